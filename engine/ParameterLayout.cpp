#include "ParameterLayout.h"

#include "ParameterIds.h"
#include "ParameterText.h"

#include <algorithm>
#include <cmath>

namespace
{
using TextFromValue = juce::String (*)(float, int);
using ValueFromText = float (*)(const juce::String&);

constexpr int kVersionHint = 1;

std::unique_ptr<juce::AudioParameterFloat> makeFloat(const juce::String& id, const juce::String& name,
                                                     juce::NormalisableRange<float> range, float defaultValue,
                                                     TextFromValue toText = nullptr,
                                                     ValueFromText fromText = nullptr)
{
    auto attributes = juce::AudioParameterFloatAttributes();
    if (toText != nullptr)
        attributes = attributes.withStringFromValueFunction(toText);
    if (fromText != nullptr)
        attributes = attributes.withValueFromStringFunction(fromText);
    return std::make_unique<juce::AudioParameterFloat>(juce::ParameterID{id, kVersionHint}, name, range,
                                                       defaultValue, attributes);
}

std::unique_ptr<juce::AudioParameterBool> makeBool(const juce::String& id, const juce::String& name,
                                                   bool defaultValue)
{
    return std::make_unique<juce::AudioParameterBool>(juce::ParameterID{id, kVersionHint}, name,
                                                      defaultValue);
}

std::unique_ptr<juce::AudioParameterChoice> makeChoice(const juce::String& id, const juce::String& name,
                                                       const juce::StringArray& items, int defaultIndex)
{
    return std::make_unique<juce::AudioParameterChoice>(juce::ParameterID{id, kVersionHint}, name, items,
                                                        defaultIndex);
}

juce::NormalisableRange<float> range(float start, float end, float interval, float skew)
{
    return {start, end, interval, skew};
}

std::unique_ptr<juce::AudioProcessorParameterGroup> createGlobalGroup()
{
    using namespace ParamIds;
    using namespace ParameterText;

    auto group = std::make_unique<juce::AudioProcessorParameterGroup>("global", "Global", "|");
    group->addChild(makeBool(bypass, "Bypass", false));
    group->addChild(makeFloat(sens, "Sensitivity", range(4.0f, 100.0f, 0.1f, 1.0f), 15.0f, percentText));
    group->addChild(makeFloat(gate, "Gate", range(-80.0f, 0.0f, 0.1f, 1.0f), -80.0f, gateText));
    group->addChild(
        makeFloat(trkHp, "Detector HP", range(20.0f, 500.0f, 1.0f, 0.4f), 20.0f, hertzText, hertzFromText));
    group->addChild(makeFloat(trkLp, "Detector LP", range(200.0f, 5000.0f, 1.0f, 0.4f), 5000.0f, hertzText,
                              hertzFromText));
    group->addChild(makeBool(lock, "Freq Lock", false));
    group->addChild(
        makeFloat(freq, "Manual Freq", range(20.0f, 2000.0f, 0.01f, 0.3f), 220.0f, hertzText, hertzFromText));
    group->addChild(makeFloat(scale, "Scale", range(50.0f, 200.0f, 0.1f, 1.0f), 100.0f, percentText));
    group->addChild(makeFloat(out, "Output", range(-24.0f, 12.0f, 0.1f, 1.0f), 0.0f, decibelText));
    group->addChild(makeFloat(mix, "Mix", range(0.0f, 100.0f, 0.1f, 1.0f), 100.0f, percentText));
    group->addChild(makeBool(sc, "Sidechain Pitch", false));
    group->addChild(makeBool(autoGain, "Auto Gain", true));
    group->addChild(makeBool(softClip, "Soft Clipper", false));
    group->addChild(makeBool(autoByp, "Auto Bypass", false));
    group->addChild(makeBool(freeMove, "Free Move", false));
    group->addChild(makeBool(scFree, "SC Free", false));
    group->addChild(makeBool(lookahead, "Lookahead", true));
    group->addChild(makeChoice(monSig, "Monitor Signal", monitorSignalChoices(), 0));
    group->addChild(makeChoice(monCh, "Monitor Channel", channelChoices(), 0));
    return group;
}

std::unique_ptr<juce::AudioProcessorParameterGroup> createBandGroup(int n)
{
    using namespace ParameterText;
    namespace P = BandParam;

    const auto id = [n](const char* shortName) { return bandParameterId(n, shortName); };
    const auto name = [n](const char* suffix) { return "B" + juce::String(n) + suffix; };
    // Puts 1.0 at mid-travel of the 0.25..4 range: 0.25 + 3.75 * 0.5^(1/skew) = 1.
    const float detFreqSkew = static_cast<float>(std::log(0.5) / std::log(0.2));

    auto group = std::make_unique<juce::AudioProcessorParameterGroup>("band" + juce::String(n),
                                                                      "Band " + juce::String(n), "|");
    group->addChild(makeBool(id(P::add), name(" Added"), defaultBandAdded(n)));
    group->addChild(makeBool(id(P::on), name(" Enable"), true));
    group->addChild(makeChoice(id(P::type), name(" Type"), bandTypeChoices(), 0));
    group->addChild(makeChoice(id(P::slope), name(" Slope"), bandSlopeChoices(), 1));
    group->addChild(makeChoice(id(P::chan), name(" Channel"), channelChoices(), 0));
    group->addChild(makeFloat(id(P::mult), name(" Multiplier"), range(0.25f, 256.0f, 0.01f, 0.3f),
                              defaultBandMultiplier(n), multipleText));
    group->addChild(
        makeFloat(id(P::gain), name(" Gain"), range(-36.0f, 36.0f, 0.1f, 1.0f), 0.0f, decibelText));
    group->addChild(makeFloat(id(P::q), name(" Q"), range(0.7f, 18.0f, 0.01f, 0.5f), defaultBandQ(n)));
    group->addChild(makeBool(id(P::solo), name(" Solo"), false));
    group->addChild(makeBool(id(P::freeze), name(" Freeze"), false));
    group->addChild(makeBool(id(P::dyn), name(" Dynamic"), false));
    group->addChild(makeChoice(id(P::dynmode), name(" Dyn Mode"), {"Above", "Below"}, 0));
    group->addChild(
        makeFloat(id(P::thresh), name(" Threshold"), range(-60.0f, 0.0f, 0.1f, 1.0f), -30.0f, decibelText));
    group->addChild(makeFloat(id(P::ratio), name(" Ratio"), range(1.0f, 20.0f, 0.1f, 0.5f), 4.0f, ratioText));
    group->addChild(
        makeFloat(id(P::attack), name(" Attack"), range(0.1f, 200.0f, 0.1f, 0.4f), 10.0f, millisecondText));
    group->addChild(makeFloat(id(P::release), name(" Release"), range(5.0f, 2000.0f, 1.0f, 0.4f), 150.0f,
                              millisecondText));
    group->addChild(makeFloat(id(P::knee), name(" Knee"), range(0.0f, 24.0f, 0.1f, 1.0f), 6.0f, decibelText));
    group->addChild(
        makeFloat(id(P::range), name(" Range"), range(1.0f, 60.0f, 0.1f, 1.0f), 12.0f, decibelText));
    group->addChild(makeChoice(id(P::det), name(" Detector"), {"Peak", "RMS"}, 1));
    group->addChild(makeChoice(id(P::scshape), name(" SC Shape"), {"Band", "High", "Low"}, 0));
    group->addChild(makeFloat(id(P::detfreq), name(" SC Freq"), range(0.25f, 4.0f, 0.01f, detFreqSkew), 1.0f,
                              multipleText));
    group->addChild(makeFloat(id(P::detq), name(" SC Q"), range(0.5f, 18.0f, 0.01f, 0.5f), 2.0f));
    group->addChild(makeBool(id(P::detsc), name(" SC External"), false));
    return group;
}
} // namespace

juce::StringArray bandTypeChoices()
{
    return {"Bell",     "Low Shelf", "High Shelf", "Notch",      "High Pass",
            "Low Pass", "Transient", "Sibilance",  "Background", "Sustain"};
}

juce::StringArray bandSlopeChoices()
{
    return {"6 dB/oct", "12 dB/oct", "18 dB/oct", "24 dB/oct", "48 dB/oct", "96 dB/oct"};
}

juce::StringArray channelChoices()
{
    return {"Stereo", "Mid", "Side"};
}

juce::StringArray monitorSignalChoices()
{
    return {"Output", "Delta"};
}

bool defaultBandAdded(int bandNumber)
{
    return bandNumber == 1;
}

float defaultBandMultiplier(int bandNumber)
{
    return static_cast<float>(bandNumber);
}

float defaultBandQ(int bandNumber)
{
    return std::min(2.0f + 0.5f * static_cast<float>(bandNumber - 1), 6.0f);
}

juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout()
{
    juce::AudioProcessorValueTreeState::ParameterLayout layout;
    layout.add(createGlobalGroup());
    for (int n = 1; n <= kNumBands; ++n)
        layout.add(createBandGroup(n));
    return layout;
}
