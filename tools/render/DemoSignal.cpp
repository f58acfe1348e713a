#include "DemoSignal.h"

#include <cmath>

namespace
{
struct Note
{
    double frequency; // Hz; 0 is a rest
    double seconds;
};

// A3 C4 E4 D4 C4 A3 (rest) G3 A3
const Note kMelody[] = {{220.00, 0.6}, {261.63, 0.6}, {329.63, 0.6}, {293.66, 0.6}, {261.63, 0.6},
                        {220.00, 0.9}, {0.0, 0.3},    {196.00, 0.6}, {220.00, 1.2}};
} // namespace

juce::AudioBuffer<float> makeDemoMelody(double sampleRate)
{
    double totalSeconds = 0.0;
    for (const auto& note : kMelody)
        totalSeconds += note.seconds;
    const int length = static_cast<int>(totalSeconds * sampleRate);
    juce::AudioBuffer<float> buffer(2, length);
    buffer.clear();

    const double twoPi = 2.0 * juce::MathConstants<double>::pi;
    double phase = 0.0;
    int start = 0;
    for (const auto& note : kMelody)
    {
        const int count = static_cast<int>(note.seconds * sampleRate);
        const int fade = static_cast<int>(0.01 * sampleRate);
        for (int i = 0; i < count && start + i < length; ++i)
        {
            if (note.frequency <= 0.0)
                continue;
            const double t = i / sampleRate;
            // 5.5 Hz vibrato of +-25 cents, starting a little after the note does.
            const double depth = std::min(1.0, t / 0.2) * 0.25 / 12.0;
            const double frequency = note.frequency * std::pow(2.0, depth * std::sin(twoPi * 5.5 * t));
            phase += twoPi * frequency / sampleRate;
            double sample = 0.0;
            for (int h = 1; h <= 10; ++h)
                sample += std::sin(h * phase) / (h * (h % 2 == 0 ? 1.5 : 1.0));
            const double envelope = std::min({1.0, i / double(fade), (count - i) / double(fade)});
            const float value = static_cast<float>(0.2 * envelope * sample);
            buffer.setSample(0, start + i, value);
            buffer.setSample(1, start + i, value);
        }
        start += count;
    }
    return buffer;
}

std::vector<std::pair<juce::String, juce::String>> demoSettings()
{
    return {
        {"auto_gain", "0"}, {"b1_add", "0"}, {"b2_add", "1"}, {"b2_mult", "2"},
        {"b2_gain", "6"},   {"b2_q", "4"},   {"b3_add", "1"}, {"b3_mult", "3"},
        {"b3_gain", "-12"}, {"b3_q", "6"},   {"b3_dyn", "1"}, {"b3_thresh", "-40"},
    };
}
