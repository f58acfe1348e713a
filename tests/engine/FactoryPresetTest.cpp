// The factory preset bank: well-formed entries, loading as one undo step, finding by name or number, and
// what each preset does to a sung-like melody.
#include "engine/PluginProcessor.h"
#include "engine/state/FactoryPresets.h"
#include "support/ParameterFixtures.h"
#include "support/ProcessorHarness.h"
#include "tools/render/DemoSignal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <set>

namespace
{
const auto& bank()
{
    return VezovevaDirADAudioProcessor::factoryPresets();
}

float plainValue(VezovevaDirADAudioProcessor& processor, const juce::String& id)
{
    auto* p = processor.parameters.getParameter(id);
    return p->convertFrom0to1(p->getValue());
}

TEST(FactoryPresets, BankHoldsEightToTwelveNamedEntriesOfKnownParametersInRange)
{
    ASSERT_GE(bank().size(), 8u);
    ASSERT_LE(bank().size(), 12u);
    VezovevaDirADAudioProcessor processor;
    std::set<juce::String> names;
    for (const auto& preset : bank())
    {
        SCOPED_TRACE(preset.englishName.toStdString());
        EXPECT_TRUE(preset.englishName.isNotEmpty());
        EXPECT_TRUE(preset.spanishName.isNotEmpty());
        EXPECT_TRUE(names.insert(preset.englishName.toLowerCase()).second) << "duplicate name";
        EXPECT_TRUE(names.insert(preset.spanishName.toLowerCase()).second ||
                    preset.spanishName == preset.englishName);
        EXPECT_FALSE(preset.values.empty());
        std::set<juce::String> ids;
        for (const auto& [id, value] : preset.values)
        {
            auto* parameter = processor.parameters.getParameter(id);
            ASSERT_NE(parameter, nullptr) << id;
            EXPECT_TRUE(ids.insert(id).second) << "duplicate " << id;
            const auto& range = parameter->getNormalisableRange();
            EXPECT_FLOAT_EQ(range.snapToLegalValue(value), value) << id << " is outside its range or steps";
            // Session choices are never changed by a preset load, so a preset must not pretend to set them.
            EXPECT_TRUE(id != "lookahead" && id != "mon_sig" && id != "mon_ch") << id;
        }
    }
    // The Spanish names carry their accents (written as character references in the files).
    EXPECT_TRUE(bank()[0].spanishName.containsChar(juce::juce_wchar(0xf3))) << bank()[0].spanishName;
}

TEST(FactoryPresets, EachLoadsAsOneUndoStepOverTheDefaults)
{
    VezovevaDirADAudioProcessor processor;
    VezovevaDirADAudioProcessor defaults;
    setEveryParameterAwayFromDefault(processor);
    processor.parameters.copyState();
    processor.undoManager.clearUndoHistory();
    const auto edited = normalisedValues(processor);

    for (size_t index = 0; index < bank().size(); ++index)
    {
        const auto& preset = bank()[index];
        SCOPED_TRACE(preset.englishName.toStdString());
        processor.loadFactoryPreset(static_cast<int>(index));
        EXPECT_EQ(processor.getPresetName(), preset.englishName);

        std::map<juce::String, float> listed(preset.values.begin(), preset.values.end());
        for (auto* p : processor.getParameters())
        {
            auto* ranged = dynamic_cast<juce::RangedAudioParameter*>(p);
            const auto id = ranged->getParameterID();
            if (id == "lookahead" || id == "mon_sig" || id == "mon_ch")
                continue;
            const float expected = listed.count(id) > 0 ? listed[id] : plainValue(defaults, id);
            EXPECT_NEAR(plainValue(processor, id), expected, 1e-4f * std::max(1.0f, std::abs(expected)))
                << id;
        }
        EXPECT_EQ(processor.parameters.getParameter("lookahead")->getValue(), edited[16]);

        ASSERT_TRUE(processor.undoManager.undo());
        EXPECT_EQ(normalisedValues(processor), edited);
        EXPECT_FALSE(processor.undoManager.canUndo()) << "more than one undo step";
        processor.undoManager.clearUndoHistory();
    }
}

TEST(FactoryPresets, FoundByEitherNameIgnoringCaseOrByNumber)
{
    ASSERT_FALSE(bank().empty());
    const int last = static_cast<int>(bank().size()) - 1;
    EXPECT_EQ(findFactoryPreset(bank()[1].englishName.toUpperCase()), 1);
    EXPECT_EQ(findFactoryPreset(bank()[2].spanishName), 2);
    EXPECT_EQ(findFactoryPreset("  " + bank()[static_cast<size_t>(last)].englishName + " "), last);
    EXPECT_EQ(findFactoryPreset("1"), 0);
    EXPECT_EQ(findFactoryPreset(juce::String(last + 1)), last);
    for (const char* none : {"0", "99", "-1", "", "no such preset", "1.5"})
        EXPECT_EQ(findFactoryPreset(none), -1) << none;
}

TEST(FactoryPresets, ReaderLeavesOutDamagedTextsAndValues)
{
    const auto presets = readFactoryPresets({
        R"(<?xml version="1.0"?><STATE presetName="Good" spanishName="Bueno">)"
        R"(<PARAM id="b1_gain" value="3"/><PARAM id="b2_gain" value="loud"/><PARAM id="b3_gain"/>)"
        R"(<PARAM value="2"/><PARAM id="b4_gain" value="nan"/><PARAM id="b5_gain" value="-1.5e0"/></STATE>)",
        "not xml",
        R"(<OTHER presetName="Wrong root"/>)",
        nullptr,
    });
    ASSERT_EQ(presets.size(), 1u);
    EXPECT_EQ(presets[0].englishName, "Good");
    EXPECT_EQ(presets[0].spanishName, "Bueno");
    ASSERT_EQ(presets[0].values.size(), 2u);
    EXPECT_EQ(presets[0].values[0].first, "b1_gain");
    EXPECT_FLOAT_EQ(presets[0].values[0].second, 3.0f);
    EXPECT_EQ(presets[0].values[1].first, "b5_gain");
    EXPECT_FLOAT_EQ(presets[0].values[1].second, -1.5f);
}

// The demo melody with short bursts of hiss at each note start, as consonants would bring: the melody's
// harmonics end near 2.6 kHz, and the de-esser and fizz control need something above that to act on.
juce::AudioBuffer<float> melodyWithHiss(double rate)
{
    auto signal = makeDemoMelody(rate);
    juce::Random random(17);
    const int burst = static_cast<int>(0.06 * rate);
    const int period = static_cast<int>(0.6 * rate);
    float previous = 0.0f;
    for (int start = 0; start + burst < signal.getNumSamples(); start += period)
        for (int i = 0; i < burst; ++i)
        {
            // First difference of white noise: a rising spectrum, most of it above 5 kHz.
            const float white = random.nextFloat() * 2.0f - 1.0f;
            const float hiss = 0.08f * (white - previous);
            previous = white;
            for (int c = 0; c < signal.getNumChannels(); ++c)
                signal.addSample(c, start + i, hiss);
        }
    return signal;
}

double rms(const juce::AudioBuffer<float>& buffer, int from, int to)
{
    double sum = 0.0;
    for (int c = 0; c < buffer.getNumChannels(); ++c)
        for (int i = from; i < to; ++i)
            sum += double(buffer.getSample(c, i)) * buffer.getSample(c, i);
    return std::sqrt(sum / std::max(1, (to - from) * buffer.getNumChannels()));
}

TEST(FactoryPresets, EachChangesTheMelodyAudiblyStaysFiniteAndKeepsItsLevelSane)
{
    const double rate = 48000.0;
    const auto input = melodyWithHiss(rate);
    const float inputPeak = input.getMagnitude(0, input.getNumSamples());

    for (size_t index = 0; index < bank().size(); ++index)
    {
        SCOPED_TRACE(bank()[index].englishName.toStdString());
        ProcessorHarness harness;
        harness.useLayout(juce::AudioChannelSet::stereo(), juce::AudioChannelSet::disabled());
        harness.processor.loadFactoryPreset(static_cast<int>(index));
        harness.prepare(rate, 512);
        const int latency = harness.processor.getLatencySamples();

        // The input followed by the latency in silence; the output is read back `latency` samples later.
        juce::AudioBuffer<float> padded(2, input.getNumSamples() + latency);
        padded.clear();
        for (int c = 0; c < 2; ++c)
            padded.copyFrom(c, 0, input, c, 0, input.getNumSamples());
        const auto output = harness.run(padded);

        juce::AudioBuffer<float> difference(2, input.getNumSamples());
        bool finite = true;
        float outputPeak = 0.0f;
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < input.getNumSamples(); ++i)
            {
                const float y = output.getSample(c, i + latency);
                finite = finite && std::isfinite(y);
                outputPeak = std::max(outputPeak, std::abs(y));
                difference.setSample(c, i, y - input.getSample(c, i));
            }
        ASSERT_TRUE(finite);

        const double change = 20.0 * std::log10(rms(difference, 0, input.getNumSamples()) /
                                                rms(input, 0, input.getNumSamples()));
        const double peakChange = 20.0 * std::log10(outputPeak / inputPeak);
        EXPECT_GT(change, -40.0) << "the preset hardly changes the sound";
        EXPECT_LT(peakChange, 3.0) << "the preset raises the peak too much";
        EXPECT_GT(peakChange, -9.0) << "the preset loses too much level";
        std::printf("  %-32s change %6.1f dB, peak %+5.1f dB\n", bank()[index].englishName.toRawUTF8(),
                    change, peakChange);
    }
}
} // namespace
