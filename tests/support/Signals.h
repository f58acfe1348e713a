// Test signals and helpers for running whole signals through a processor block by block.
#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cmath>
#include <functional>

inline juce::AudioBuffer<float> makeSignal(int channels, int length, const std::function<float(int)>& sample)
{
    juce::AudioBuffer<float> buffer(channels, length);
    for (int i = 0; i < length; ++i)
    {
        const float value = sample(i);
        for (int c = 0; c < channels; ++c)
            buffer.setSample(c, i, value);
    }
    return buffer;
}

inline std::function<float(int)> sine(double frequency, double rate, float amplitude)
{
    return [=](int i) { return amplitude * static_cast<float>(std::sin(2.0 * M_PI * frequency * i / rate)); };
}

// A tone with the first eight harmonics falling off as 1/h: a clear pitch like a voice or a bass.
inline std::function<float(int)> harmonicTone(double frequency, double rate, float amplitude)
{
    return [=](int i)
    {
        double sum = 0.0;
        for (int h = 1; h <= 8; ++h)
            sum += std::sin(2.0 * M_PI * frequency * h * i / rate) / h;
        return amplitude * 0.5f * static_cast<float>(sum);
    };
}

inline std::function<float(int)> whiteNoise(float amplitude, int seed = 1)
{
    auto random = std::make_shared<juce::Random>(seed);
    return [=](int) { return amplitude * (2.0f * random->nextFloat() - 1.0f); };
}

inline float peakOf(const juce::AudioBuffer<float>& buffer, int channel, int start, int length)
{
    float peak = 0.0f;
    for (int i = start; i < start + length; ++i)
        peak = std::max(peak, std::abs(buffer.getSample(channel, i)));
    return peak;
}

inline double rmsOf(const juce::AudioBuffer<float>& buffer, int channel, int start, int length)
{
    double sum = 0.0;
    for (int i = start; i < start + length; ++i)
        sum += double(buffer.getSample(channel, i)) * buffer.getSample(channel, i);
    return std::sqrt(sum / length);
}
