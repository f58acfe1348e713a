#include "engine/PluginProcessor.h"

#include "support/BusLayoutCases.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace
{
using Set = juce::AudioChannelSet;

void setParameter(VezovevaDirADAudioProcessor& processor, const juce::String& id, float plainValue)
{
    auto* parameter = processor.parameters.getParameter(id);
    ASSERT_NE(parameter, nullptr) << id;
    parameter->setValueNotifyingHost(parameter->convertTo0to1(plainValue));
}

// Counts the latency changes a host would be told about.
struct LatencyListener : juce::AudioProcessorListener
{
    int latencyChanges = 0;
    void audioProcessorParameterChanged(juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails& details) override
    {
        latencyChanges += details.latencyChanged ? 1 : 0;
    }
};

TEST(Processor, DescribesItselfAsAnAudioEffect)
{
    VezovevaDirADAudioProcessor processor;
    EXPECT_EQ(processor.getName(), "Vivera");
    EXPECT_EQ(processor.getTailLengthSeconds(), 0.0);
    EXPECT_FALSE(processor.acceptsMidi());
    EXPECT_FALSE(processor.producesMidi());
    EXPECT_FALSE(processor.supportsMPE());
    EXPECT_FALSE(processor.isMidiEffect());
    EXPECT_TRUE(processor.hasEditor());
    EXPECT_FALSE(processor.supportsDoublePrecisionProcessing());
    EXPECT_EQ(processor.getNumPrograms(), 1);
    EXPECT_EQ(processor.getCurrentProgram(), 0);
    EXPECT_FALSE(processor.getProgramName(0).isEmpty());
    ASSERT_NE(processor.getBypassParameter(), nullptr);
    EXPECT_EQ(processor.getBypassParameter(), processor.parameters.getParameter("bypass"));
    EXPECT_EQ(processor.getActiveSlot(), 0);
}

TEST(Processor, DeclaresItsBusesInOrder)
{
    VezovevaDirADAudioProcessor processor;
    ASSERT_EQ(processor.getBusCount(true), 2);
    ASSERT_EQ(processor.getBusCount(false), 1);
    EXPECT_EQ(processor.getBus(true, 0)->getName(), "Input");
    EXPECT_EQ(processor.getBus(true, 1)->getName(), "Sidechain");
    EXPECT_EQ(processor.getBus(false, 0)->getName(), "Output");
    EXPECT_TRUE(processor.getBus(true, 0)->isEnabledByDefault());
    EXPECT_FALSE(processor.getBus(true, 1)->isEnabledByDefault());
    EXPECT_EQ(processor.getBus(true, 1)->getDefaultLayout(), Set::stereo());
    EXPECT_EQ(processor.getMainBusNumInputChannels(), 2);
    EXPECT_EQ(processor.getMainBusNumOutputChannels(), 2);
}

TEST(Processor, AcceptsMatchingMonoOrStereoMainBusesWithAnySmallSidechain)
{
    VezovevaDirADAudioProcessor processor;
    for (const auto& c : busLayoutCases())
        EXPECT_EQ(processor.checkBusesLayoutSupported(c.layout()), c.accepted) << c.description();
}

TEST(Processor, ReportsOneHundredMillisecondsOfLatencyWhileLookaheadIsOn)
{
    const struct
    {
        double rate;
        bool lookahead;
        int latency;
    } cases[] = {{44100.0, true, 4410}, {48000.0, true, 4800}, {96000.0, true, 9600},
                 {22050.0, true, 2205}, {44100.0, false, 0},   {48000.0, false, 0}};
    for (const auto& c : cases)
    {
        VezovevaDirADAudioProcessor processor;
        setParameter(processor, "lookahead", c.lookahead ? 1.0f : 0.0f);
        processor.prepareToPlay(c.rate, 512);
        EXPECT_EQ(processor.getLatencySamples(), c.latency) << c.rate << (c.lookahead ? " on" : " off");
    }
}

TEST(Processor, PreparingAgainAtTheSameRateTellsTheHostNothingNew)
{
    VezovevaDirADAudioProcessor processor;
    LatencyListener listener;
    processor.addListener(&listener);

    processor.prepareToPlay(48000.0, 512);
    EXPECT_EQ(listener.latencyChanges, 1);
    processor.prepareToPlay(48000.0, 512);
    processor.prepareToPlay(48000.0, 1024);
    EXPECT_EQ(listener.latencyChanges, 1);
    processor.prepareToPlay(44100.0, 512);
    EXPECT_EQ(listener.latencyChanges, 2);
    EXPECT_EQ(processor.getLatencySamples(), 4410);

    processor.removeListener(&listener);
}

TEST(Processor, GenericEditorOpensAndCloses)
{
    VezovevaDirADAudioProcessor processor;
    std::unique_ptr<juce::AudioProcessorEditor> editor(processor.createEditorIfNeeded());
    ASSERT_NE(editor, nullptr);
    // As a host does before it deletes the editor, so the processor no longer holds it as its active one.
    processor.editorBeingDeleted(editor.get());
}

// Records each latency report a host would receive and whether it came on the message thread.
struct LatencyThreadListener : juce::AudioProcessorListener
{
    std::atomic<int> reports{0}, reportsOffTheMessageThread{0};
    void audioProcessorParameterChanged(juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails& details) override
    {
        if (!details.latencyChanged)
            return;
        ++reports;
        if (!juce::MessageManager::existsAndIsCurrentThread())
            ++reportsOffTheMessageThread;
    }
};

// Where an impulse comes out, in samples; -1 if not within `length` samples.
int impulseDelay(VezovevaDirADAudioProcessor& processor, int length)
{
    juce::AudioBuffer<float> block(2, 256);
    juce::MidiBuffer midi;
    for (int start = 0; start < length; start += 256)
    {
        block.clear();
        if (start == 0)
        {
            block.setSample(0, 0, 1.0f);
            block.setSample(1, 0, 1.0f);
        }
        processor.processBlock(block, midi);
        for (int i = 0; i < 256; ++i)
            if (block.getSample(0, i) > 0.5f)
                return start + i;
    }
    return -1;
}

TEST(Processor, LatencyChangesReachTheHostFromTheMessageThread)
{
    VezovevaDirADAudioProcessor processor;
    processor.prepareToPlay(48000.0, 256);
    ASSERT_EQ(processor.getLatencySamples(), 4800);
    LatencyThreadListener listener;
    processor.addListener(&listener);

    auto* lookahead = processor.parameters.getParameter("lookahead");
    for (const bool on : {false, true, false, true})
    {
        // The host's audio thread keeps processing while the user toggles lookahead.
        std::atomic<bool> running{true};
        std::thread audio(
            [&]
            {
                juce::AudioBuffer<float> block(2, 256);
                juce::MidiBuffer midi;
                while (running)
                {
                    block.clear();
                    processor.processBlock(block, midi);
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
            });
        lookahead->setValueNotifyingHost(on ? 1.0f : 0.0f);
        const int expected = on ? 4800 : 0;
        const auto start = juce::Time::getMillisecondCounterHiRes();
        EXPECT_TRUE(pumpMessagesUntil([&] { return processor.getLatencySamples() == expected; }, 1000)) << on;
        EXPECT_LT(juce::Time::getMillisecondCounterHiRes() - start, 200.0) << on;
        running = false;
        audio.join();
        // Finish the 30 ms lookahead crossfade in audio time, however slowly this build runs.
        {
            juce::AudioBuffer<float> block(2, 256);
            juce::MidiBuffer midi;
            for (int n = 0; n < 3 * 1440; n += 256)
            {
                block.clear();
                processor.processBlock(block, midi);
            }
        }
        EXPECT_EQ(impulseDelay(processor, 9600), processor.getLatencySamples()) << on;
    }
    processor.removeListener(&listener);

    EXPECT_EQ(listener.reports.load(), 4);
    EXPECT_EQ(listener.reportsOffTheMessageThread.load(), 0);
}
} // namespace
