#include "editor/MultiplierSteps.h"

#include <algorithm>
#include <cmath>

const std::vector<float>& kMultiplierSteps()
{
    static const std::vector<float> steps = []
    {
        std::vector<double> values{0.25, 0.5, 1.0};
        for (int n = 2; n <= 16; ++n)
            values.push_back(n);
        for (double v : {18.0, 24.0, 32.0, 48.0, 64.0})
            values.push_back(v);
        const double intervals[] = {16.0 / 15.0, 9.0 / 8.0, 6.0 / 5.0, 5.0 / 4.0, 4.0 / 3.0, 7.0 / 5.0,
                                    3.0 / 2.0,   8.0 / 5.0, 5.0 / 3.0, 7.0 / 4.0, 15.0 / 8.0};
        for (double r : intervals)
            values.push_back(std::round(r * 100.0) / 100.0);
        std::sort(values.begin(), values.end());

        std::vector<float> kept;
        for (double v : values)
            if (kept.empty() || std::abs(v - static_cast<double>(kept.back())) > 0.005)
                kept.push_back(static_cast<float>(v));
        return kept;
    }();
    return steps;
}

float stepMultiplierValue(float m, int direction)
{
    const auto& steps = kMultiplierSteps();
    if (!std::isfinite(m))
        return m;
    if (direction > 0)
    {
        for (float step : steps)
            if (step > m + 0.005f)
                return step;
        return m;
    }
    for (auto it = steps.rbegin(); it != steps.rend(); ++it)
        if (*it < m - 0.005f)
            return *it;
    return m;
}
