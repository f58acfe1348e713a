// How a band's multiplier and frequency are written wherever they are shown, and how a typed multiplier is
// read back.
#pragma once

#include <juce_core/juce_core.h>

#include <optional>

// "H3" for a whole harmonic (within 0.005), otherwise "×" and two decimals ("×0.50", "×1.13").
juce::String formatMultiplier(float multiplier);

// "1.05 kHz" from 1000 Hz up; below, up to six significant digits without trailing zeros ("261.626 Hz").
juce::String formatFrequency(double hz);

// A typed multiplier: white space, "×" and the letters H and x are ignored, the leading number is read;
// a positive number is clamped to 0.25..256, anything else gives nothing.
std::optional<float> parseMultiplier(const juce::String& typed);
