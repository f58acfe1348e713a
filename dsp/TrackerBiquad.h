// The pitch tracker's input filters: Audio EQ Cookbook biquads in transposed direct form II, double
// precision.
#pragma once

namespace vivera::dsp
{

struct TrackerBiquad
{
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    double s1 = 0.0, s2 = 0.0;
};

enum class TrackerBiquadKind
{
    highPass,
    lowPass
};

// Sets the coefficients of a cookbook high- or low-pass, keeping the states. The corner is clamped to
// [1 Hz, 0.49 fs]; a non-finite corner is replaced by fallbackHz so a bad value can never poison the states.
void designTrackerBiquad(TrackerBiquad& filter, TrackerBiquadKind kind, double frequencyHz, double q,
                         double sampleRate, double fallbackHz) noexcept;

inline double processTrackerBiquad(TrackerBiquad& f, double in) noexcept
{
    const double out = f.b0 * in + f.s1;
    f.s1 = f.b1 * in - f.a1 * out + f.s2;
    f.s2 = f.b2 * in - f.a2 * out;
    return out;
}

} // namespace vivera::dsp
