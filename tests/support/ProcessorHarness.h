// Drives a processor the way a host does: layout, prepare, then whole signals block by block.
#pragma once

#include "engine/PluginProcessor.h"
#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

struct ProcessorHarness
{
    VezovevaDirADAudioProcessor processor;
    int blockSize = 512;
    bool countAllocations = false; // count heap allocations inside processBlock only

    void set(const juce::String& id, float plainValue)
    {
        auto* parameter = processor.parameters.getParameter(id);
        ASSERT_NE(parameter, nullptr) << id;
        parameter->setValueNotifyingHost(parameter->convertTo0to1(plainValue));
    }

    void useLayout(const juce::AudioChannelSet& main, const juce::AudioChannelSet& sidechain)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add(main);
        layout.inputBuses.add(sidechain);
        layout.outputBuses.add(main);
        ASSERT_TRUE(processor.setBusesLayout(layout));
    }

    void prepare(double rate = 48000.0, int maximumBlock = 512)
    {
        blockSize = maximumBlock;
        processor.setRateAndBufferSizeDetails(rate, maximumBlock);
        processor.prepareToPlay(rate, maximumBlock);
    }

    // Processes the main signal (and the sidechain, if given) and returns the main output.
    juce::AudioBuffer<float> run(const juce::AudioBuffer<float>& main,
                                 const juce::AudioBuffer<float>* sidechain = nullptr, int block = 0)
    {
        const int mainChannels = processor.getMainBusNumInputChannels();
        const int totalChannels =
            std::max(processor.getTotalNumInputChannels(), processor.getTotalNumOutputChannels());
        const int step = block > 0 ? block : blockSize;
        juce::AudioBuffer<float> output(mainChannels, main.getNumSamples());
        juce::AudioBuffer<float> work(totalChannels, step);
        juce::MidiBuffer midi;
        for (int start = 0; start < main.getNumSamples(); start += step)
        {
            const int n = std::min(step, main.getNumSamples() - start);
            work.setSize(totalChannels, n, false, false, true);
            work.clear();
            for (int c = 0; c < mainChannels; ++c)
                work.copyFrom(c, 0, main, std::min(c, main.getNumChannels() - 1), start, n);
            if (sidechain != nullptr)
                for (int c = mainChannels; c < totalChannels; ++c)
                    work.copyFrom(c, 0, *sidechain,
                                  std::min(c - mainChannels, sidechain->getNumChannels() - 1), start, n);
            allocation_counter::counting = countAllocations;
            processor.processBlock(work, midi);
            allocation_counter::counting = false;
            for (int c = 0; c < mainChannels; ++c)
                output.copyFrom(c, start, work, c, 0, n);
        }
        return output;
    }
};
