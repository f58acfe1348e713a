#include "engine/parameters/ParameterLayout.h"

#include "engine/parameters/EngineParameters.h"
#include "engine/parameters/ParameterIds.h"
#include "engine/parameters/ParameterText.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <variant>
#include <vector>

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

// One parameter as declared once: its ID (or a band's short name), its name (or a band's name suffix),
// the handle it binds to, and how it is made for band number n (0 for a global parameter).
template <typename Owner> struct ParameterEntry
{
    using Member = std::variant<FloatHandle Owner::*, BoolHandle Owner::*, ChoiceHandle Owner::*>;
    using Maker = std::function<std::unique_ptr<juce::RangedAudioParameter>(const juce::String& id,
                                                                            const juce::String& name, int n)>;
    const char* id;
    const char* name;
    Member member;
    Maker make;
};

template <typename Owner>
ParameterEntry<Owner> floatEntry(const char* id, const char* name, FloatHandle Owner::*member,
                                 juce::NormalisableRange<float> valueRange,
                                 std::function<float(int)> defaultValue, TextFromValue toText = nullptr,
                                 ValueFromText fromText = nullptr)
{
    return {id, name, member,
            [=](const juce::String& fullId, const juce::String& fullName,
                int n) -> std::unique_ptr<juce::RangedAudioParameter>
            { return makeFloat(fullId, fullName, valueRange, defaultValue(n), toText, fromText); }};
}

template <typename Owner>
ParameterEntry<Owner> boolEntry(const char* id, const char* name, BoolHandle Owner::*member,
                                std::function<bool(int)> defaultValue)
{
    return {id, name, member,
            [=](const juce::String& fullId, const juce::String& fullName,
                int n) -> std::unique_ptr<juce::RangedAudioParameter>
            { return makeBool(fullId, fullName, defaultValue(n)); }};
}

template <typename Owner>
ParameterEntry<Owner> choiceEntry(const char* id, const char* name, ChoiceHandle Owner::*member,
                                  juce::StringArray items, int defaultIndex)
{
    return {id, name, member,
            [=](const juce::String& fullId, const juce::String& fullName,
                int) -> std::unique_ptr<juce::RangedAudioParameter>
            { return makeChoice(fullId, fullName, items, defaultIndex); }};
}

std::function<float(int)> fixed(float value)
{
    return [value](int) { return value; };
}

std::function<bool(int)> fixedBool(bool value)
{
    return [value](int) { return value; };
}

// The global parameters, in host order.
const std::vector<ParameterEntry<GlobalParameters>>& globalEntries()
{
    using namespace ParameterText;
    using G = GlobalParameters;
    static const std::vector<ParameterEntry<GlobalParameters>> entries{
        boolEntry(ParamIds::bypass, "Bypass", &G::bypass, fixedBool(false)),
        floatEntry(ParamIds::sens, "Sensitivity", &G::sens, range(4.0f, 100.0f, 0.1f, 1.0f), fixed(15.0f),
                   percentText),
        floatEntry(ParamIds::gate, "Gate", &G::gate, range(-80.0f, 0.0f, 0.1f, 1.0f), fixed(-80.0f),
                   gateText),
        floatEntry(ParamIds::trkHp, "Detector HP", &G::trkHp, range(20.0f, 500.0f, 1.0f, 0.4f), fixed(20.0f),
                   hertzText, hertzFromText),
        floatEntry(ParamIds::trkLp, "Detector LP", &G::trkLp, range(200.0f, 5000.0f, 1.0f, 0.4f),
                   fixed(5000.0f), hertzText, hertzFromText),
        boolEntry(ParamIds::lock, "Freq Lock", &G::lock, fixedBool(false)),
        floatEntry(ParamIds::freq, "Manual Freq", &G::freq, range(20.0f, 2000.0f, 0.01f, 0.3f), fixed(220.0f),
                   hertzText, hertzFromText),
        floatEntry(ParamIds::scale, "Scale", &G::scale, range(50.0f, 200.0f, 0.1f, 1.0f), fixed(100.0f),
                   percentText),
        floatEntry(ParamIds::out, "Output", &G::out, range(-24.0f, 12.0f, 0.1f, 1.0f), fixed(0.0f),
                   decibelText),
        floatEntry(ParamIds::mix, "Mix", &G::mix, range(0.0f, 100.0f, 0.1f, 1.0f), fixed(100.0f),
                   percentText),
        boolEntry(ParamIds::sc, "Sidechain Pitch", &G::sc, fixedBool(false)),
        boolEntry(ParamIds::autoGain, "Auto Gain", &G::autoGain, fixedBool(true)),
        boolEntry(ParamIds::softClip, "Soft Clipper", &G::softClip, fixedBool(false)),
        boolEntry(ParamIds::autoByp, "Auto Bypass", &G::autoByp, fixedBool(false)),
        boolEntry(ParamIds::freeMove, "Free Move", &G::freeMove, fixedBool(false)),
        boolEntry(ParamIds::scFree, "SC Free", &G::scFree, fixedBool(false)),
        boolEntry(ParamIds::lookahead, "Lookahead", &G::lookahead, fixedBool(true)),
        choiceEntry(ParamIds::monSig, "Monitor Signal", &G::monSig, monitorSignalChoices(), 0),
        choiceEntry(ParamIds::monCh, "Monitor Channel", &G::monCh, channelChoices(), 0),
    };
    return entries;
}

// The parameters of one band slot, in host order; IDs are "b" + n + "_" + the short name.
const std::vector<ParameterEntry<BandParameters>>& bandEntries()
{
    using namespace ParameterText;
    using B = BandParameters;
    namespace P = BandParam;
    // Puts 1.0 at mid-travel of the 0.25..4 range: 0.25 + 3.75 * 0.5^(1/skew) = 1.
    const float detFreqSkew = static_cast<float>(std::log(0.5) / std::log(0.2));
    static const std::vector<ParameterEntry<BandParameters>> entries{
        boolEntry(P::add, " Added", &B::add, defaultBandAdded),
        boolEntry(P::on, " Enable", &B::on, fixedBool(true)),
        choiceEntry(P::type, " Type", &B::type, bandTypeChoices(), 0),
        choiceEntry(P::slope, " Slope", &B::slope, bandSlopeChoices(), 1),
        choiceEntry(P::chan, " Channel", &B::chan, channelChoices(), 0),
        floatEntry(P::mult, " Multiplier", &B::mult, range(0.25f, 256.0f, 0.01f, 0.3f), defaultBandMultiplier,
                   multipleText),
        floatEntry(P::gain, " Gain", &B::gain, range(-36.0f, 36.0f, 0.1f, 1.0f), fixed(0.0f), decibelText),
        floatEntry(P::q, " Q", &B::q, range(0.7f, 18.0f, 0.01f, 0.5f), defaultBandQ),
        boolEntry(P::solo, " Solo", &B::solo, fixedBool(false)),
        boolEntry(P::freeze, " Freeze", &B::freeze, fixedBool(false)),
        boolEntry(P::dyn, " Dynamic", &B::dyn, fixedBool(false)),
        choiceEntry(P::dynmode, " Dyn Mode", &B::dynmode, {"Above", "Below"}, 0),
        floatEntry(P::thresh, " Threshold", &B::thresh, range(-60.0f, 0.0f, 0.1f, 1.0f), fixed(-30.0f),
                   decibelText),
        floatEntry(P::ratio, " Ratio", &B::ratio, range(1.0f, 20.0f, 0.1f, 0.5f), fixed(4.0f), ratioText),
        floatEntry(P::attack, " Attack", &B::attack, range(0.1f, 200.0f, 0.1f, 0.4f), fixed(10.0f),
                   millisecondText),
        floatEntry(P::release, " Release", &B::release, range(5.0f, 2000.0f, 1.0f, 0.4f), fixed(150.0f),
                   millisecondText),
        floatEntry(P::knee, " Knee", &B::knee, range(0.0f, 24.0f, 0.1f, 1.0f), fixed(6.0f), decibelText),
        floatEntry(P::range, " Range", &B::range, range(1.0f, 60.0f, 0.1f, 1.0f), fixed(12.0f), decibelText),
        choiceEntry(P::det, " Detector", &B::det, {"Peak", "RMS"}, 1),
        choiceEntry(P::scshape, " SC Shape", &B::scshape, {"Band", "High", "Low"}, 0),
        floatEntry(P::detfreq, " SC Freq", &B::detfreq, range(0.25f, 4.0f, 0.01f, detFreqSkew), fixed(1.0f),
                   multipleText),
        floatEntry(P::detq, " SC Q", &B::detq, range(0.5f, 18.0f, 0.01f, 0.5f), fixed(2.0f)),
        boolEntry(P::detsc, " SC External", &B::detsc, fixedBool(false)),
    };
    return entries;
}

std::unique_ptr<juce::AudioProcessorParameterGroup> createGlobalGroup()
{
    auto group = std::make_unique<juce::AudioProcessorParameterGroup>("global", "Global", "|");
    for (const auto& entry : globalEntries())
        group->addChild(entry.make(entry.id, entry.name, 0));
    return group;
}

std::unique_ptr<juce::AudioProcessorParameterGroup> createBandGroup(int n)
{
    auto group = std::make_unique<juce::AudioProcessorParameterGroup>("band" + juce::String(n),
                                                                      "Band " + juce::String(n), "|");
    for (const auto& entry : bandEntries())
        group->addChild(entry.make(bandParameterId(n, entry.id), "B" + juce::String(n) + entry.name, n));
    return group;
}

template <typename Owner>
void bindEntry(juce::AudioProcessorValueTreeState& state, const juce::String& id,
               const ParameterEntry<Owner>& entry, Owner& owner)
{
    auto* parameter = state.getParameter(id);
    const auto* value = state.getRawParameterValue(id);
    jassert(parameter != nullptr && value != nullptr);
    std::visit(
        [&](auto member)
        {
            auto& handle = owner.*member;
            handle.parameter = dynamic_cast<decltype(handle.parameter)>(parameter);
            handle.value = value;
            jassert(handle.parameter != nullptr);
        },
        entry.member);
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

EngineParameters bindEngineParameters(juce::AudioProcessorValueTreeState& state)
{
    EngineParameters bound;
    for (const auto& entry : globalEntries())
        bindEntry(state, entry.id, entry, bound.global);
    for (int k = 0; k < kNumBands; ++k)
        for (const auto& entry : bandEntries())
            bindEntry(state, bandParameterId(k + 1, entry.id), entry, bound.bands[static_cast<size_t>(k)]);
    return bound;
}
