// Measures the steady-state complex gain of a linear recursion by driving two copies of it with a cosine
// and a sine, whose outputs combine to the response to e^{jωn}: no windowing error at any frequency.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>

namespace vivera::dsp::test
{

struct SteadyStateResult
{
    std::complex<double> response;
    bool settled = false;
};

// step(xCos, xSin, yCos, ySin) runs one sample through both copies. Stops once the estimate stops moving.
template <class Step> SteadyStateResult measureSteadyState(Step&& step, double omega)
{
    constexpr int64_t kChunk = 4096;
    constexpr int64_t kMaxSamples = int64_t{1} << 23;
    SteadyStateResult result;
    std::complex<double> previous(0.0, 0.0);
    int stableChunks = 0;
    for (int64_t n = 0; n < kMaxSamples; ++n)
    {
        // Phase reduced in extended precision keeps the drive a clean sinusoid over long runs.
        const double phase = static_cast<double>(
            std::fmod(static_cast<long double>(omega) * n, 2.0L * 3.14159265358979323846264338L));
        double yCos = 0.0, ySin = 0.0;
        step(std::cos(phase), std::sin(phase), yCos, ySin);
        if ((n + 1) % kChunk == 0)
        {
            const std::complex<double> estimate = std::complex<double>(yCos, ySin) * std::polar(1.0, -phase);
            const double scale = std::max(1.0, std::abs(estimate));
            stableChunks = std::abs(estimate - previous) < 1e-9 * scale ? stableChunks + 1 : 0;
            previous = estimate;
            if (stableChunks >= 3)
            {
                result.response = estimate;
                result.settled = true;
                return result;
            }
        }
    }
    result.response = previous;
    return result;
}

} // namespace vivera::dsp::test
