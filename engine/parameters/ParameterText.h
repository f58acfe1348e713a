// Value-to-text and text-to-value functions of the parameters, as hosts and the editor show them.
#pragma once

#include <juce_core/juce_core.h>

namespace ParameterText
{
juce::String percentText(float value, int maximumLength = 0);     // 15.3 -> "15.3 %"
juce::String decibelText(float value, int maximumLength = 0);     // -30 -> "-30.0 dB"
juce::String millisecondText(float value, int maximumLength = 0); // 150 -> "150.0 ms"
juce::String ratioText(float value, int maximumLength = 0);       // 4 -> "4.0:1"
juce::String multipleText(float value, int maximumLength = 0);    // 2 -> "×2.00"
juce::String hertzText(float value, int maximumLength = 0);       // 220 -> "220 Hz", 5000 -> "5.00 kHz"
juce::String gateText(float value, int maximumLength = 0);        // -80 -> "OFF"

// Leading number of the text, times 1000 when a lower-case "k" appears anywhere ("2.5 kHz" -> 2500).
float hertzFromText(const juce::String& text);

// Up to six significant digits without trailing zeros, independent of the C locale.
juce::String generalFormat(double value);
} // namespace ParameterText
