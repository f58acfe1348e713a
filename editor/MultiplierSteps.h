// The harmonic and interval multipliers the + and - keys step through.
#pragma once

#include <vector>

// 34 ascending multipliers: 0.25, 0.5, 1, 2..16, 18, 24, 32, 48, 64 and eleven interval ratios.
const std::vector<float>& kMultiplierSteps();

// The next step above m (direction > 0) or below it (direction <= 0), ignoring steps within 0.005 of m;
// m itself when there is none.
float stepMultiplierValue(float m, int direction);
