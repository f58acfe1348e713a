// The built-in demonstration: a sung-like melody and a small setting that shows the bands following it.
#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <utility>
#include <vector>

// A monophonic melody: a harmonic tone with vibrato, note changes and short gaps, in stereo.
juce::AudioBuffer<float> makeDemoMelody(double sampleRate);

// A dynamic cut on x3 and a boost on x2, as parameter ID and text value pairs.
std::vector<std::pair<juce::String, juce::String>> demoSettings();
