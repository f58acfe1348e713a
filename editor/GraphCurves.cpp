#include "editor/GraphCurves.h"

#include <algorithm>
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

double responseDb(const vivera::dsp::BandCascade& cascade, const vivera::dsp::UnitCirclePoint& point) noexcept
{
    return 20.0 * std::log10(std::max(1e-9, vivera::dsp::cascadeMagnitude(cascade, point)));
}

void CurveSums::clear() const noexcept
{
    for (float* sum : {main, still, mid, side})
        std::fill(sum, sum + kPoints, 0.0f);
}

void CurveSums::addBand(const vivera::dsp::BandCascade& live, const vivera::dsp::BandCascade& full,
                        bool dynamic, int channel, const CurvePoints& points) const noexcept
{
    for (int j = 0; j < kPoints; ++j)
    {
        const double d = responseDb(live, points[j]);
        if (channel == 1)
            mid[j] += (float)d;
        else if (channel == 2)
            side[j] += (float)d;
        else
        {
            const double s = dynamic ? responseDb(full, points[j]) : d;
            main[j] += (float)d;
            mid[j] += (float)d;
            side[j] += (float)d;
            still[j] += (float)s;
        }
    }
}
} // namespace graph_curves
