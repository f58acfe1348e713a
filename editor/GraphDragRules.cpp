#include "editor/GraphDragRules.h"

#include "dsp/Constants.h"
#include "editor/controls/ScRatio.h"

#include <algorithm>
#include <cmath>

namespace GraphDragRules
{
namespace
{
double roundToHundredths(double value) noexcept
{
    return std::round(value * 100.0) / 100.0;
}
} // namespace

float detectorHighPass(double mouseHz, float lowPassHz) noexcept
{
    if (!(mouseHz >= 20.0))
        return 20.0f;
    return (float)std::min(mouseHz, std::min((double)lowPassHz * 0.9, 500.0));
}

float detectorLowPass(double mouseHz, float highPassHz) noexcept
{
    const double lowest = std::max((double)highPassHz * 1.1, 200.0);
    if (!(mouseHz >= lowest))
        return (float)lowest;
    return (float)std::min(mouseHz, 5000.0);
}

std::optional<float> sidechainRatio(double mouseHz, double bandHz, bool freeRatio) noexcept
{
    if (!(bandHz > 0.0) || !std::isfinite(mouseHz))
        return std::nullopt;
    double ratio = mouseHz / bandHz;
    if (freeRatio)
        ratio = roundToHundredths(ratio);
    else
        ratio = nearestScRatio((float)std::max(ratio, 0.01));
    return (float)std::clamp(ratio, 0.25, 4.0);
}

VerticalTarget verticalTarget(int type, int slope) noexcept
{
    // The level-dependent types are bells.
    const int shape = type >= vivera::dsp::kBandTransient ? vivera::dsp::kBandBell : type;
    switch (shape)
    {
    case vivera::dsp::kBandNotch:
        return VerticalTarget::none;
    case vivera::dsp::kBandHighPass:
    case vivera::dsp::kBandLowPass:
        // 6 dB/oct has no resonance to raise.
        return slope > 0 ? VerticalTarget::q : VerticalTarget::none;
    default:
        return VerticalTarget::gain;
    }
}

float gainFromDisplayDb(double displayDb, float scalePercent) noexcept
{
    if (!std::isfinite(displayDb))
        return 0.0f;
    const double step = std::max((double)scalePercent * 0.01, 0.5);
    return (float)std::clamp(std::round(displayDb / step * 10.0) / 10.0, -36.0, 36.0);
}

float qFromDisplayDb(double displayDb) noexcept
{
    if (std::isnan(displayDb))
        return 0.7f;
    return (float)std::clamp(std::pow(10.0, displayDb / 20.0), 0.7, 18.0);
}

std::optional<double> followedPitch(double bandHz, float multiplier) noexcept
{
    if (!(bandHz > 0.0) || !(multiplier > 0.0f))
        return std::nullopt;
    return bandHz / (double)multiplier;
}

float multiplierForFrequency(double mouseHz, double pitchHz) noexcept
{
    if (!(pitchHz > 0.0) || !std::isfinite(mouseHz))
        return 1.0f;
    return (float)std::clamp(roundToHundredths(mouseHz / pitchHz), 0.25, 256.0);
}

float wheelQ(float q, float deltaY) noexcept
{
    return (float)std::clamp((double)q * std::exp(1.2 * (double)deltaY), 0.7, 18.0);
}

float wheelSidechainQ(float detq, float deltaY) noexcept
{
    return (float)std::clamp((double)detq * std::exp(1.2 * (double)deltaY), 0.5, 18.0);
}
} // namespace GraphDragRules
