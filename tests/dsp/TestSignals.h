// Deterministic test signals for the tracker and detector tests: band-limited harmonic tones with an
// arbitrary frequency curve, and seeded noise.
#pragma once

#include <cmath>
#include <functional>
#include <random>
#include <vector>

namespace vivera::dsp::test
{

constexpr double kTwoPi = 6.283185307179586476925;

enum class Waveform
{
    sine,
    sawtooth,
    pulse25 // 25 % duty pulse: every fourth harmonic missing
};

inline const char* waveformName(Waveform w)
{
    switch (w)
    {
    case Waveform::sine:
        return "sine";
    case Waveform::sawtooth:
        return "saw";
    case Waveform::pulse25:
        return "pulse";
    }
    return "?";
}

// Harmonic amplitude of the band-limited waveform, normalised so the fundamental is 1.
inline double harmonicAmplitude(Waveform w, int h)
{
    switch (w)
    {
    case Waveform::sine:
        return h == 1 ? 1.0 : 0.0;
    case Waveform::sawtooth:
        return 1.0 / h;
    case Waveform::pulse25:
        return std::sin(h * kTwoPi * 0.125) / (h * std::sin(kTwoPi * 0.125));
    }
    return 0.0;
}

// Additive synthesis below 0.45 fs with an instantaneous frequency given per sample, scaled to peakAmplitude
// for the fundamental (harmonics add on top).
inline std::vector<float> harmonicTone(Waveform w, const std::function<double(double)>& frequencyAt,
                                       double seconds, double sampleRate, double amplitude)
{
    const auto n = static_cast<size_t>(seconds * sampleRate);
    std::vector<float> out(n);
    double phase = 0.0; // in cycles
    for (size_t i = 0; i < n; ++i)
    {
        const double f = frequencyAt(static_cast<double>(i) / sampleRate);
        double sum = 0.0;
        for (int h = 1; h * f < 0.45 * sampleRate && h <= 64; ++h)
        {
            const double a = harmonicAmplitude(w, h);
            if (a != 0.0)
                sum += a * std::sin(kTwoPi * h * phase);
        }
        out[i] = static_cast<float>(amplitude * sum);
        phase += f / sampleRate;
        phase -= std::floor(phase);
    }
    return out;
}

inline std::vector<float> steadyTone(Waveform w, double frequencyHz, double seconds, double sampleRate,
                                     double amplitude)
{
    return harmonicTone(
        w, [frequencyHz](double) { return frequencyHz; }, seconds, sampleRate, amplitude);
}

inline std::vector<float> whiteNoise(double seconds, double sampleRate, double amplitude, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    std::vector<float> out(static_cast<size_t>(seconds * sampleRate));
    for (auto& v : out)
        v = static_cast<float>(amplitude) * dist(rng);
    return out;
}

inline double dbToGain(double db)
{
    return std::pow(10.0, db / 20.0);
}

inline double centsBetween(double f, double reference)
{
    return 1200.0 * std::log2(f / reference);
}

} // namespace vivera::dsp::test
