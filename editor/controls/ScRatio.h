// The fixed multiples of a band's frequency that its sidechain filter snaps to while FREE is off; the
// dynamics panel's SC FREQ knob and the graph's sidechain handle share them.
#pragma once

#include <array>

inline constexpr std::array<float, 7> kScRatioSteps{0.25f, 0.5f, 1.0f, 1.5f, 2.0f, 3.0f, 4.0f};

// The step nearest to `ratio` in logarithmic distance (an octave up is as far as an octave down); on a
// tie the smaller step wins. Ratios at or below zero count as 0.01.
float nearestScRatio(float ratio);

// The step after `ratio` in `direction` (> 0 up, otherwise down): the smallest step above it or the largest
// below it, so a ratio between steps moves to its neighbour on that side; at either end, that end's step.
float nextScRatio(float ratio, int direction);
