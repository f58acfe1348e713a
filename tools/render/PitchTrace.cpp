#include "PitchTrace.h"

#include <cmath>

juce::String noteName(double frequencyHz)
{
    if (!(frequencyHz > 0.0))
        return {};
    static const char* const names[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    const double midi = 69.0 + 12.0 * std::log2(frequencyHz / 440.0);
    const int nearest = static_cast<int>(std::lround(midi));
    const int cents = static_cast<int>(std::lround((midi - nearest) * 100.0));
    const int octave = static_cast<int>(std::floor(nearest / 12.0)) - 1;
    const int pitchClass = ((nearest % 12) + 12) % 12;
    return juce::String(names[pitchClass]) + juce::String(octave) + " " + (cents >= 0 ? "+" : "") +
           juce::String(cents) + "c";
}

juce::String pitchTraceLine(double seconds, double frequencyHz)
{
    const auto time = juce::String(seconds, 3).paddedLeft(' ', 8) + " s";
    if (!(frequencyHz > 0.0))
        return time + "   no pitch";
    return time + juce::String(frequencyHz, 1).paddedLeft(' ', 9) + " Hz  " + noteName(frequencyHz);
}
