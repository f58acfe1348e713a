#include "editor/GraphCurves.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>

namespace graph_curves
{
constexpr double kTwoPi = 6.283185307179586;

double pointFrequency(int j) noexcept
{
    return 20.0 * std::pow(1000.0, (double)j / (kPoints - 1));
}

void CurvePoints::prepare(double sampleRate) noexcept
{
    const double wanted = sampleRate > 0.0 ? sampleRate : 44100.0;
    if (wanted == rate)
        return;
    rate = wanted;
    for (int j = 0; j < kPoints; ++j)
        points[(size_t)j] = vivera::dsp::UnitCirclePoint::at(kTwoPi * pointFrequency(j) / rate);
}

double magnitudeDb(double magnitude) noexcept
{
    return 20.0 * std::log10(std::max(1e-9, magnitude));
}

void CurveSums::clear() const noexcept
{
    for (float* sum : {main, still, mid, side})
        std::fill(sum, sum + kPoints, 0.0f);
}

void CurveSums::addBand(const vivera::dsp::BandCascade& live, const vivera::dsp::BandCascade& full,
                        bool dynamic, int channel, const CurvePoints& points) const noexcept
{
    // All points of a cascade at once (the same values as one at a time, computed in vector registers).
    std::array<double, kPoints> liveMagnitude, fullMagnitude;
    vivera::dsp::cascadeMagnitudes(live, points.data(), kPoints, liveMagnitude.data());
    const bool stillDiffers = channel == 0 && dynamic;
    if (stillDiffers)
        vivera::dsp::cascadeMagnitudes(full, points.data(), kPoints, fullMagnitude.data());

    for (size_t j = 0; j < (size_t)kPoints; ++j)
    {
        const double d = magnitudeDb(liveMagnitude[j]);
        if (channel == 1)
            mid[j] += (float)d;
        else if (channel == 2)
            side[j] += (float)d;
        else
        {
            const double s = stillDiffers ? magnitudeDb(fullMagnitude[j]) : d;
            main[j] += (float)d;
            mid[j] += (float)d;
            side[j] += (float)d;
            still[j] += (float)s;
        }
    }
}
} // namespace graph_curves
