// 256-bit body of runDecimationSteps: the eight rows of the matrix in two registers, the portable kernel's
// products and sums in its order. Built with AVX2 for this file alone and only called when the processor has
// it; it uses nothing but intrinsics and raw pointers, so no shared inline code is compiled for AVX2 here.
#include "dsp/DecimationStep.h"

#include <immintrin.h>

namespace vivera::dsp::kernels
{
namespace
{
struct Rows
{
    __m256d low, high; // rows 0..3 and 4..7
};

Rows load(const double* column) noexcept
{
    return {_mm256_loadu_pd(column), _mm256_loadu_pd(column + 4)};
}

Rows times(const Rows& c, __m256d v) noexcept
{
    return {_mm256_mul_pd(c.low, v), _mm256_mul_pd(c.high, v)};
}

Rows plus(const Rows& a, const Rows& b) noexcept
{
    return {_mm256_add_pd(a.low, b.low), _mm256_add_pd(a.high, b.high)};
}
} // namespace

int runDecimationStepsAvx2(const DecimationStep& step, double* states, const float* input, int periods,
                           float* kept) noexcept
{
    const int length = step.length;
    const auto& c = step.columns;
    const __m256d zero = _mm256_setzero_pd();
    const Rows c0 = load(c[0]), c1 = load(c[1]), c2 = load(c[2]), c3 = load(c[3]), c4 = load(c[4]),
               c5 = load(c[5]);
    // States 0..3 in one register, 4 and 5 in the low half of the other, as the rows come out of a step.
    __m256d stateLow = _mm256_loadu_pd(states);
    __m256d stateHigh = _mm256_set_pd(0.0, 0.0, states[5], states[4]);
    for (int p = 0; p < periods; ++p)
    {
        const float* x = input + p * length;
        Rows sum{zero, zero};
        for (int k = 0; k < length; ++k)
            sum = plus(
                sum, times(load(c[DecimationStep::kStates + k]), _mm256_set1_pd(static_cast<double>(x[k]))));
        const Rows s01 = plus(times(c0, _mm256_permute4x64_pd(stateLow, 0x00)),
                              times(c1, _mm256_permute4x64_pd(stateLow, 0x55)));
        const Rows s23 = plus(times(c2, _mm256_permute4x64_pd(stateLow, 0xaa)),
                              times(c3, _mm256_permute4x64_pd(stateLow, 0xff)));
        const Rows s45 = plus(times(c4, _mm256_permute4x64_pd(stateHigh, 0x00)),
                              times(c5, _mm256_permute4x64_pd(stateHigh, 0x55)));
        sum = plus(plus(sum, s45), plus(s01, s23));

        const __m256d poison = _mm256_add_pd(_mm256_mul_pd(sum.low, zero), _mm256_mul_pd(sum.high, zero));
        if (_mm256_movemask_pd(_mm256_cmp_pd(poison, poison, _CMP_UNORD_Q)) != 0)
            periods = p; // leaves the states of the last finite period
        else
        {
            stateLow = sum.low;
            stateHigh = sum.high;
            kept[p] = static_cast<float>(_mm_cvtsd_f64(_mm256_extractf128_pd(sum.high, 1)));
        }
    }
    double high[4];
    _mm256_storeu_pd(states, stateLow);
    _mm256_storeu_pd(high, stateHigh);
    states[4] = high[0];
    states[5] = high[1];
    return periods;
}

} // namespace vivera::dsp::kernels
