#include "editor/controls/ScRatio.h"

#include <algorithm>
#include <cmath>

float nearestScRatio(float ratio)
{
    // Not a number: the neutral step; otherwise at least 0.01, so the logarithm stays finite.
    const double x = std::isnan(ratio) ? 1.0 : std::clamp(static_cast<double>(ratio), 0.01, 1.0e6);
    // Distances equal up to float rounding of the input are a tie, which keeps the earlier (smaller) step.
    constexpr double kTie = 1.0e-6;
    float best = kScRatioSteps.front();
    double bestDistance = std::abs(std::log(x / best));
    for (const float step : kScRatioSteps)
    {
        const double distance = std::abs(std::log(x / step));
        if (distance < bestDistance - kTie)
        {
            best = step;
            bestDistance = distance;
        }
    }
    return best;
}

float nextScRatio(float ratio, int direction)
{
    // Within float rounding of a step counts as on it, so a stored 1.5 steps to 2 and 1, not to 1.5.
    constexpr float kOnStep = 1.0e-4f;
    const float x = std::isnan(ratio) ? 1.0f : ratio;
    if (direction > 0)
    {
        for (const float step : kScRatioSteps)
            if (step > x * (1.0f + kOnStep))
                return step;
        return kScRatioSteps.back();
    }
    for (auto it = kScRatioSteps.rbegin(); it != kScRatioSteps.rend(); ++it)
        if (*it < x * (1.0f - kOnStep))
            return *it;
    return kScRatioSteps.front();
}
