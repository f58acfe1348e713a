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
