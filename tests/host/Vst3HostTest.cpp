// Loads the built VST3 bundle through JUCE's VST3 host implementation and checks what a host sees.
#include "engine/PluginProcessor.h"
#include "support/MessagePump.h"
#include "support/ParameterFixtures.h"
#include "support/ScriptedPlayHead.h"

#include "support/BusLayoutCases.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>
#include <random>
#include <thread>

namespace
{

class Vst3Host : public testing::Test
{
protected:
    void SetUp() override
    {
        juce::OwnedArray<juce::PluginDescription> found;
        format.findAllTypesForFile(found, VIVERA_VST3_BUNDLE);
        ASSERT_EQ(found.size(), 1) << "no plug-in found in " << VIVERA_VST3_BUNDLE;
        description = *found[0];

        juce::String error;
        plugin = format.createInstanceFromDescription(description, 44100.0, 512, error);
        ASSERT_NE(plugin, nullptr) << error;
    }

    juce::AudioProcessorParameter& parameter(int index) { return *plugin->getParameters()[index]; }

    juce::AudioProcessorParameter* parameterNamed(const juce::String& name)
    {
        for (auto* p : plugin->getParameters())
            if (p->getName(100) == name)
                return p;
        return nullptr;
    }

    // Prepares like a host and waits for the latency the module reports afterwards.
    int latencyAfterPrepare(double rate, int expected)
    {
        plugin->releaseResources();
        plugin->prepareToPlay(rate, 512);
        pumpMessagesUntil([&] { return plugin->getLatencySamples() == expected; });
        return plugin->getLatencySamples();
    }

    void runOneBlock(int numSamples = 512)
    {
        juce::AudioBuffer<float> buffer(plugin->getTotalNumInputChannels(), numSamples);
        buffer.clear();
        juce::MidiBuffer midi;
        plugin->processBlock(buffer, midi);
    }

    // Sets a parameter the way a host automates it; the value reaches the processor with the next block.
    void setAndDeliver(juce::AudioProcessorParameter& p, float normalisedValue)
    {
        p.setValueNotifyingHost(normalisedValue);
        runOneBlock();
    }

    juce::VST3PluginFormat format;
    juce::PluginDescription description;
    std::unique_ptr<juce::AudioPluginInstance> plugin;
};

TEST_F(Vst3Host, DescriptionIsAnFxEffectFromVidizaridaza)
{
    EXPECT_EQ(description.name, "Vivera");
    EXPECT_EQ(description.manufacturerName, "Vidizaridaza");
    EXPECT_EQ(description.version, "0.1.0");
    EXPECT_EQ(description.category, "Fx");
    EXPECT_EQ(description.pluginFormatName, "VST3");
    EXPECT_FALSE(description.isInstrument);
    EXPECT_FALSE(plugin->acceptsMidi());
    EXPECT_FALSE(plugin->producesMidi());
    EXPECT_EQ(plugin->getTailLengthSeconds(), 0.0);
}

TEST_F(Vst3Host, ParametersAppearInOrderWithTheirTexts)
{
    ASSERT_EQ(plugin->getParameters().size(), 387);
    EXPECT_EQ(parameter(0).getName(100), "Bypass");
    EXPECT_EQ(parameter(19).getName(100), "B1 Added");
    EXPECT_EQ(parameter(386).getName(100), "B16 SC External");
    EXPECT_EQ(plugin->getBypassParameter(), &parameter(0));

    EXPECT_EQ(parameter(2).getName(100), "Gate");
    EXPECT_EQ(parameter(2).getText(0.0f, 100), "OFF");

    // The host only knows normalised values: map x2 through the processor's own range.
    VezovevaDirADAudioProcessor reference;
    const float two = reference.parameters.getParameter("b2_mult")->convertTo0to1(2.0f);
    auto* b2Mult = parameterNamed("B2 Multiplier");
    ASSERT_NE(b2Mult, nullptr);
    EXPECT_EQ(b2Mult->getText(two, 100), juce::String(juce::CharPointer_UTF8("\xc3\x97"
                                                                             "2.00")));
    EXPECT_EQ(parameterNamed("B1 Type")->getText(1.0f, 100), "Sustain");
}

TEST_F(Vst3Host, LatencyFollowsRateAndLookahead)
{
    EXPECT_EQ(latencyAfterPrepare(44100.0, 4410), 4410);
    EXPECT_EQ(latencyAfterPrepare(48000.0, 4800), 4800);

    auto* lookahead = parameterNamed("Lookahead");
    ASSERT_NE(lookahead, nullptr);
    setAndDeliver(*lookahead, 0.0f);
    EXPECT_EQ(latencyAfterPrepare(48000.0, 0), 0);
    EXPECT_EQ(latencyAfterPrepare(44100.0, 0), 0);

    setAndDeliver(*lookahead, 1.0f);
    EXPECT_EQ(latencyAfterPrepare(44100.0, 4410), 4410);
    plugin->releaseResources();
}

TEST_F(Vst3Host, NegotiatesTheSupportedBusLayouts)
{
    for (const auto& c : busLayoutCases())
        EXPECT_EQ(plugin->checkBusesLayoutSupported(c.layout()), c.accepted) << c.description();
}

TEST_F(Vst3Host, AudioPassesThrough)
{
    auto* lookahead = parameterNamed("Lookahead");
    ASSERT_NE(lookahead, nullptr);
    plugin->prepareToPlay(48000.0, 256);
    setAndDeliver(*lookahead, 0.0f);
    for (int block = 0; block < 10; ++block) // let the 30 ms lookahead crossfade finish
        runOneBlock(256);

    juce::Random random(7);
    juce::AudioBuffer<float> buffer(plugin->getTotalNumInputChannels(), 256);
    buffer.clear();
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            buffer.setSample(ch, i, random.nextFloat() - 0.5f);
    juce::AudioBuffer<float> input(buffer);

    juce::MidiBuffer midi;
    plugin->processBlock(buffer, midi);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            ASSERT_NEAR(buffer.getSample(ch, i), input.getSample(ch, i), 1e-5f)
                << "channel " << ch << " sample " << i;
    plugin->releaseResources();
}
TEST_F(Vst3Host, EveryParameterSurvivesTheHostsSaveAndRestore)
{
    plugin->prepareToPlay(48000.0, 512);
    VezovevaDirADAudioProcessor ranges;
    setEveryParameterAwayFromDefault(*plugin, ranges);
    runOneBlock(); // the processor receives parameter changes with the audio
    const auto saved = normalisedValues(*plugin);
    juce::MemoryBlock state;
    plugin->getStateInformation(state);
    plugin->releaseResources();

    juce::String error;
    auto restored = format.createInstanceFromDescription(description, 48000.0, 512, error);
    ASSERT_NE(restored, nullptr) << error;
    const auto defaults = normalisedValues(*restored);
    restored->setStateInformation(state.getData(), static_cast<int>(state.getSize()));
    const auto actual = normalisedValues(*restored);
    ASSERT_EQ(actual.size(), 387u);
    for (size_t i = 0; i < actual.size(); ++i)
    {
        EXPECT_NE(saved[i], defaults[i]) << restored->getParameters()[int(i)]->getName(100);
        EXPECT_NEAR(actual[i], saved[i], 1e-6f) << restored->getParameters()[int(i)]->getName(100);
    }
}

TEST_F(Vst3Host, LoopWrapKeepsTheDelayLineRunning)
{
    // The host's cycle reaches the plug-in through the module's process context: the wrap from the loop end
    // to its start must not empty the delay line.
    constexpr int kBlock = 512;
    ScriptedPlayHead playHead;
    playHead.looping = true;
    playHead.loopStartPpq = 4.0; // a one-second loop
    playHead.loopEndPpq = 6.0;
    playHead.time = playHead.samplesAt(playHead.loopStartPpq);
    plugin->setPlayHead(&playHead);
    plugin->prepareToPlay(48000.0, kBlock);

    std::vector<float> input, output;
    juce::AudioBuffer<float> buffer(plugin->getTotalNumInputChannels(), kBlock);
    juce::MidiBuffer midi;
    for (int b = 0; b < 200; ++b) // two wraps
    {
        buffer.clear();
        for (int i = 0; i < kBlock; ++i)
        {
            const auto x = 0.5f * std::sin(2.0f * juce::MathConstants<float>::pi * 997.0f *
                                           static_cast<float>(input.size()) / 48000.0f);
            input.push_back(x);
            buffer.setSample(0, i, x);
            buffer.setSample(1, i, x);
        }
        plugin->processBlock(buffer, midi);
        for (int i = 0; i < kBlock; ++i)
            output.push_back(buffer.getSample(0, i));
        playHead.advance(kBlock);
    }
    plugin->releaseResources();
    plugin->setPlayHead(nullptr);

    for (size_t i = 4800; i < output.size(); ++i)
        ASSERT_NEAR(output[i], input[i - 4800], 1e-5f) << "sample " << i;
}

TEST_F(Vst3Host, LatencyChangeDuringProcessingReachesTheHost)
{
    ASSERT_EQ(latencyAfterPrepare(48000.0, 4800), 4800);
    auto* lookahead = parameterNamed("Lookahead");
    ASSERT_NE(lookahead, nullptr);

    for (const bool on : {false, true})
    {
        std::atomic<bool> running{true};
        std::thread audio(
            [&]
            {
                juce::AudioBuffer<float> buffer(plugin->getTotalNumInputChannels(), 256);
                juce::MidiBuffer midi;
                while (running)
                {
                    buffer.clear();
                    plugin->processBlock(buffer, midi);
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                }
            });
        lookahead->setValueNotifyingHost(on ? 1.0f : 0.0f);
        const int expected = on ? 4800 : 0;
        EXPECT_TRUE(pumpMessagesUntil([&] { return plugin->getLatencySamples() == expected; }, 2000)) << on;
        running = false;
        audio.join();
    }
    plugin->releaseResources();
}

TEST_F(Vst3Host, RestoredStateGivesBackTheRestoredValues)
{
    // Automation curves write values between 0 and 1 to on/off switches; after a state is restored every
    // parameter must report the value the state holds, not what the host wrote before.
    plugin->prepareToPlay(48000.0, 512);
    juce::MemoryBlock saved;
    plugin->getStateInformation(saved); // every switch at its default

    const struct
    {
        const char* name;
        float written, restored;
    } cases[] = {{"B2 Added", 0.38f, 0.0f},
                 {"B1 Solo", 0.49f, 0.0f},
                 {"B1 Enable", 0.62f, 1.0f},
                 {"Lookahead", 0.51f, 1.0f},
                 {"B3 Dynamic", 0.38f, 0.0f}};
    for (const auto& c : cases)
    {
        auto* p = parameterNamed(c.name);
        ASSERT_NE(p, nullptr) << c.name;
        setAndDeliver(*p, c.written);
    }
    plugin->setStateInformation(saved.getData(), static_cast<int>(saved.getSize()));
    runOneBlock();
    pumpMessagesUntil([] { return false; }, 50);
    for (const auto& c : cases)
        EXPECT_EQ(parameterNamed(c.name)->getValue(), c.restored) << c.name;
    plugin->releaseResources();
}

TEST_F(Vst3Host, DestroyingAnInstanceWhileItsParametersChangeIsSafe)
{
    // Until a host attaches its run loop, the module runs its own message thread, and the instance is
    // destroyed here on the host's thread while that one runs the instance's timers (among them the copy of
    // changed parameter values into the saved state). Every parameter moves just before, so that copy has
    // work to do at random moments of the teardown.
    std::mt19937 random(27);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::uniform_int_distribution<int> pauseMicroseconds(0, 25000);
    for (int round = 0; round < 40; ++round)
    {
        if (plugin == nullptr)
        {
            juce::String error;
            plugin = format.createInstanceFromDescription(description, 48000.0, 512, error);
            ASSERT_NE(plugin, nullptr) << error;
        }
        plugin->prepareToPlay(48000.0, 512);
        for (auto* p : plugin->getParameters())
            p->setValueNotifyingHost(unit(random));
        runOneBlock();
        std::this_thread::sleep_for(std::chrono::microseconds(pauseMicroseconds(random)));
        plugin->releaseResources();
        plugin.reset();
    }
}
} // namespace
