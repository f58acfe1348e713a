// The bus layouts a host may offer, with whether Vivera accepts each: mono or stereo main buses that match,
// and a sidechain that is off, mono or stereo.
#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <vector>

struct BusLayoutCase
{
    juce::AudioChannelSet in, sidechain, out;
    bool accepted;

    juce::AudioProcessor::BusesLayout layout() const
    {
        juce::AudioProcessor::BusesLayout result;
        result.inputBuses.add(in);
        result.inputBuses.add(sidechain);
        result.outputBuses.add(out);
        return result;
    }

    std::string description() const
    {
        return (in.getDescription() + " + " + sidechain.getDescription() + " -> " + out.getDescription())
            .toStdString();
    }
};

inline std::vector<BusLayoutCase> busLayoutCases()
{
    using Set = juce::AudioChannelSet;
    return {
        {Set::stereo(), Set::disabled(), Set::stereo(), true},
        {Set::stereo(), Set::stereo(), Set::stereo(), true},
        {Set::stereo(), Set::mono(), Set::stereo(), true},
        {Set::mono(), Set::stereo(), Set::mono(), true},
        {Set::mono(), Set::disabled(), Set::mono(), true},
        {Set::stereo(), Set::disabled(), Set::mono(), false},
        {Set::mono(), Set::disabled(), Set::stereo(), false},
        {Set::create5point1(), Set::disabled(), Set::create5point1(), false},
        {Set::stereo(), Set::create5point1(), Set::stereo(), false},
    };
}
