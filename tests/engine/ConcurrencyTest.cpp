// The editor and the audio thread side by side: the audio thread processes a tone while a host changes
// parameters at random, and the message thread does everything an editor tick does. Built into the normal
// suite as a stress test and, alone, into a ThreadSanitizer build, where any data race between the two
// sides is reported.
#include "editor/GraphComponent.h"
#include "support/MessagePump.h"
#include "support/ProcessorHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 512;
constexpr auto kDuration = std::chrono::seconds(3);

// What each side saw, checked once both have stopped.
struct SideReport
{
    long iterations = 0;
    long nonFiniteValues = 0;
};

bool allFinite(const juce::AudioBuffer<float>& buffer)
{
    for (int c = 0; c < buffer.getNumChannels(); ++c)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            if (!std::isfinite(buffer.getSample(c, i)))
                return false;
    return true;
}

// The host side: a 220 Hz tone on the main input and a 55 Hz one on the sidechain, in 512-sample blocks,
// with a few parameters set to random values before each block, as automation arrives in a host.
SideReport runAudio(VezovevaDirADAudioProcessor& processor, const std::atomic<bool>& stop)
{
    std::vector<juce::AudioProcessorParameter*> automated;
    for (auto* parameter : processor.getParameters())
        automated.push_back(parameter);
    std::mt19937 random(20240611);
    std::uniform_int_distribution<size_t> pickParameter(0, automated.size() - 1);
    std::uniform_real_distribution<float> pickValue(0.0f, 1.0f);

    juce::AudioBuffer<float> buffer(processor.getTotalNumInputChannels(), kBlock);
    juce::MidiBuffer midi;
    SideReport report;
    long sample = 0;
    while (!stop.load())
    {
        for (int i = 0; i < kBlock; ++i, ++sample)
        {
            const double t = static_cast<double>(sample) / kRate;
            const float tone = 0.4f * static_cast<float>(std::sin(2.0 * M_PI * 220.0 * t));
            const float sidechain = 0.6f * static_cast<float>(std::sin(2.0 * M_PI * 55.0 * t));
            for (int c = 0; c < buffer.getNumChannels(); ++c)
                buffer.setSample(c, i, c < 2 ? tone : sidechain);
        }
        for (int change = 0; change < 4; ++change)
            automated[pickParameter(random)]->setValueNotifyingHost(pickValue(random));
        processor.processBlock(buffer, midi);
        if (!allFinite(buffer))
            ++report.nonFiniteValues;
        ++report.iterations;
    }
    return report;
}

// One editor tick: the snapshot, both scopes, every band's curve at its published frequency and amount,
// the auto-gain estimate, the frequency graph's update (curves and both analyser rings) and a change
// gesture on a few controls; then the messages a host's loop would dispatch (the parameter tree's timer
// among them).
class EditorTick
{
public:
    // The controls reach their parameters through the typed handles, as the editor's do.
    explicit EditorTick(VezovevaDirADAudioProcessor& p)
        : processor(p), dragged{processor.bandParameters(0).gain.parameter,
                                processor.bandParameters(1).mult.parameter,
                                processor.bandParameters(2).q.parameter,
                                processor.globalParameters().mix.parameter,
                                processor.globalParameters().out.parameter},
          graph(p)
    {
        graph.setSize(kGraphWidth, kGraphHeight);
    }

    void run(SideReport& report)
    {
        processor.readTelemetry(snapshot);
        processor.copyScopes(inputScope.data(), outputScope.data());
        for (size_t i = 0; i < inputScope.size(); ++i)
            if (!std::isfinite(inputScope[i]) || !std::isfinite(outputScope[i]))
                ++report.nonFiniteValues;

        for (int k = 0; k < vivera::dsp::kNumBands; ++k)
        {
            const auto index = static_cast<size_t>(k);
            vivera::dsp::BandCascade cascade;
            if (processor.designBand(k, snapshot.bandFrequency[index],
                                     processor.bandParameters(k).solo.isOn(),
                                     snapshot.bandDynamicAmount[index], cascade) &&
                !std::isfinite(cascade.wet))
                ++report.nonFiniteValues;
        }
        if (!std::isfinite(processor.estimateAutoGain(snapshot.pitchHz)))
            ++report.nonFiniteValues;

        graph.updateFromProcessor(snapshot);
        for (float level : graph.inputSpectrum())
            if (std::isnan(level))
                ++report.nonFiniteValues;

        auto* parameter = dragged[static_cast<size_t>(report.iterations) % dragged.size()];
        parameter->beginChangeGesture();
        parameter->setValueNotifyingHost(pickValue(random));
        parameter->endChangeGesture();

        while (vivera_test_detail::dispatchNextMessageOnSystemQueue(true))
        {
        }
        ++report.iterations;
    }

    TelemetrySnapshot snapshot;

private:
    VezovevaDirADAudioProcessor& processor;
    std::vector<juce::AudioProcessorParameter*> dragged;
    std::array<float, Telemetry::kScopeSize> inputScope{}, outputScope{};
    static constexpr int kGraphWidth = 600;
    static constexpr int kGraphHeight = 300;
    GraphComponent graph;
    std::mt19937 random{7};
    std::uniform_real_distribution<float> pickValue{0.0f, 1.0f};
};

TEST(Concurrency, EditorReadsWhileAudioRunsWithRandomParameterChanges)
{
    ProcessorHarness host;
    host.useLayout(juce::AudioChannelSet::stereo(), juce::AudioChannelSet::stereo());
    for (const auto* id : {"b1_add", "b2_add", "b3_add", "b4_add"})
        host.set(id, 1.0f);
    host.prepare(kRate, kBlock);
    auto& processor = host.processor;

    EditorTick tick(processor);
    SideReport editor;
    SideReport audio;
    std::atomic<bool> stop{false};
    std::thread audioThread([&] { audio = runAudio(processor, stop); });

    const auto end = std::chrono::steady_clock::now() + kDuration;
    while (std::chrono::steady_clock::now() < end)
        tick.run(editor);
    stop.store(true);
    audioThread.join();

    EXPECT_GT(audio.iterations, 10);
    EXPECT_GT(editor.iterations, 10);
    EXPECT_EQ(audio.nonFiniteValues, 0) << "blocks with a sample that is not finite";
    EXPECT_EQ(editor.nonFiniteValues, 0) << "values read by the editor that are not finite";
    EXPECT_EQ(tick.snapshot.sampleRate, kRate);
}
} // namespace
