// Design of the period-at-a-time cascade and its portable kernel; the 256-bit kernel does the same products
// in the same order, so every path gives identical results.
#include "dsp/DecimationStep.h"
#include "dsp/SimdBuild.h"
#include "dsp/SimdLevel.h"

#include <algorithm>

namespace vivera::dsp
{

namespace
{
struct CascadeState
{
    TrackerBiquad highPass, lowPass1, lowPass2;

    double run(double in) noexcept
    {
        return processTrackerBiquad(lowPass2,
                                    processTrackerBiquad(lowPass1, processTrackerBiquad(highPass, in)));
    }

    void setStates(const double* s) noexcept
    {
        highPass.s1 = s[0];
        highPass.s2 = s[1];
        lowPass1.s1 = s[2];
        lowPass1.s2 = s[3];
        lowPass2.s1 = s[4];
        lowPass2.s2 = s[5];
    }

    void writeColumn(double* column, double output) const noexcept
    {
        const double values[DecimationStep::kRows] = {highPass.s1, highPass.s2, lowPass1.s1, lowPass1.s2,
                                                      lowPass2.s1, lowPass2.s2, output,      0.0};
        std::copy(values, values + DecimationStep::kRows, column);
    }
};
} // namespace

void designDecimationStep(DecimationStep& step, const TrackerBiquad& highPass, const TrackerBiquad& lowPass1,
                          const TrackerBiquad& lowPass2, int length) noexcept
{
    for (auto& column : step.columns)
        std::fill(column, column + DecimationStep::kRows, 0.0);
    if (length < 1 || length > DecimationStep::kMaxLength)
    {
        step.length = 0;
        return;
    }
    step.length = length;
    const CascadeState filters{highPass, lowPass1, lowPass2};
    for (int j = 0; j < DecimationStep::kStates; ++j)
    {
        CascadeState c = filters;
        double unit[DecimationStep::kStates] = {};
        unit[j] = 1.0;
        c.setStates(unit);
        double output = 0.0;
        for (int n = 0; n < length; ++n)
            output = c.run(0.0);
        c.writeColumn(step.columns[j], output);
    }
    for (int k = 0; k < length; ++k)
    {
        CascadeState c = filters;
        const double zero[DecimationStep::kStates] = {};
        c.setStates(zero);
        double output = 0.0;
        for (int n = 0; n < length; ++n)
            output = c.run(n == k ? 1.0 : 0.0);
        c.writeColumn(step.columns[DecimationStep::kStates + k], output);
    }
}

namespace kernels
{
int runDecimationStepsScalar(const DecimationStep& step, double* states, const float* input, int periods,
                             float* kept) noexcept
{
    constexpr int kRows = DecimationStep::kRows;
    const int length = step.length;
    const auto& c = step.columns;
    for (int p = 0; p < periods; ++p)
    {
        const float* x = input + p * length;
        // The inputs' share does not wait for the previous period; the states' share is summed as a tree so
        // the recursion from one period to the next stays short.
        double sum[kRows] = {};
        for (int k = 0; k < length; ++k)
            for (int r = 0; r < kRows; ++r)
                sum[r] += c[DecimationStep::kStates + k][r] * static_cast<double>(x[k]);
        for (int r = 0; r < kRows; ++r)
        {
            const double s01 = c[0][r] * states[0] + c[1][r] * states[1];
            const double s23 = c[2][r] * states[2] + c[3][r] * states[3];
            const double s45 = c[4][r] * states[4] + c[5][r] * states[5];
            sum[r] = (sum[r] + s45) + (s01 + s23);
        }
        // Zero times a value is NaN only for an infinite or NaN value.
        double poison = 0.0;
        for (int r = 0; r < kRows; ++r)
            poison += sum[r] * 0.0;
        if (poison != poison)
            return p;
        std::copy(sum, sum + DecimationStep::kStates, states);
        kept[p] = static_cast<float>(sum[DecimationStep::kOutputRow]);
    }
    return periods;
}
} // namespace kernels

int runDecimationSteps(const DecimationStep& step, double* states, const float* input, int periods,
                       float* kept) noexcept
{
#if VIVERA_SIMD_AVX2
    if (activeSimdLevel() == SimdLevel::avx2)
        return kernels::runDecimationStepsAvx2(step, states, input, periods, kept);
#endif
    return kernels::runDecimationStepsScalar(step, states, input, periods, kept);
}

} // namespace vivera::dsp
