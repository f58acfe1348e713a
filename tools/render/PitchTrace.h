// Readable pitch lines for the renderer: time, frequency and the nearest note with its cents.
#pragma once

#include <juce_core/juce_core.h>

// "A3 +12c" for 222 Hz; empty for frequencies at or below 0.
juce::String noteName(double frequencyHz);

// "  1.250 s   261.6 Hz  C4 +0c", or "  1.250 s   no pitch".
juce::String pitchTraceLine(double seconds, double frequencyHz);
