// The graph's summed band responses: each band's exact response (the audio path's own transfer functions)
// in dB at the curve's log-spaced frequencies, added into the Stereo, Mid and Side sums.
#pragma once

#include "dsp/BandCascade.h"

#include <array>

namespace graph_curves
{
constexpr int kPoints = 320;

// Frequency of curve point j: 20 Hz .. 20 kHz, log-spaced.
double pointFrequency(int j) noexcept;

// The unit-circle points of the curve frequencies for one sample rate, computed again only when the rate
// changes, so a tick's responses need no trigonometry.
class CurvePoints
{
public:
    // A rate of zero or less counts as 44100.
    void prepare(double sampleRate) noexcept;
    double sampleRate() const noexcept { return rate; }
    const vivera::dsp::UnitCirclePoint& operator[](int j) const noexcept { return points[(size_t)j]; }
    const vivera::dsp::UnitCirclePoint* data() const noexcept { return points.data(); }

private:
    double rate = 0.0;
    std::array<vivera::dsp::UnitCirclePoint, kPoints> points{};
};

// 20·log10 of a magnitude, floored at 1e-9.
double magnitudeDb(double magnitude) noexcept;

// The four sums, each kPoints values in dB: everything on Stereo (main), the same with the dynamic Stereo
// bands at full action (still), and the result on the Mid and on the Side channel.
struct CurveSums
{
    float* main;
    float* still;
    float* mid;
    float* side;

    void clear() const noexcept;
    // Adds one active band. `live` is its design at the current dynamic amount, `full` at full action (the
    // same cascade for a band that is not dynamic); channel 0 Stereo, 1 Mid, 2 Side. A Stereo band counts in
    // every sum (the Mid and Side curves show the whole result on those channels); a Mid or Side band only in
    // its own.
    void addBand(const vivera::dsp::BandCascade& live, const vivera::dsp::BandCascade& full, bool dynamic,
                 int channel, const CurvePoints& points) const noexcept;
};
} // namespace graph_curves
