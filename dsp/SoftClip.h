// Output soft clipper: transparent up to -3 dBFS, then bends smoothly towards 0 dBFS with no latency.
#pragma once

#include <cmath>

namespace vivera::dsp
{

inline double softClip(double x) noexcept
{
    constexpr double T = 0.70794578438; // -3 dBFS: the knee
    constexpr double K = 0.29205421562; // 1 - T: headroom the curve bends into
    const double magnitude = std::abs(x);
    if (magnitude <= T)
        return x;
    const double y = T + K * std::tanh((magnitude - T) / K);
    return x < 0.0 ? -y : y;
}

} // namespace vivera::dsp
