// The parameter tree: one "Global" group and sixteen band groups, in the order hosts see them.
#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// Choice lists. Indices are stored data, so items are only ever appended.
juce::StringArray bandTypeChoices();      // "Bell" .. "Sustain"
juce::StringArray bandSlopeChoices();     // "6 dB/oct" .. "96 dB/oct"
juce::StringArray channelChoices();       // "Stereo", "Mid", "Side"
juce::StringArray monitorSignalChoices(); // "Output", "Delta"

// Defaults that differ from slot to slot (band number 1..16): a fresh slot n sits on the n-th harmonic.
bool defaultBandAdded(int bandNumber);
float defaultBandMultiplier(int bandNumber);
float defaultBandQ(int bandNumber);

juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();
