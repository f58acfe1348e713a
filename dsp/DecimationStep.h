// The tracker's input cascade (high-pass, two low-passes) advanced one whole decimation period at a time.
// The cascade is linear, so its six states after D samples and its output at the last of them are a fixed
// matrix times the six states and the D inputs. Only the kept output is formed, and the products do not wait
// on each other as the sample-by-sample recursion does, so they fill vector registers.
#pragma once

#include "dsp/TrackerBiquad.h"

namespace vivera::dsp
{

struct DecimationStep
{
    static constexpr int kStates = 6; // s1, s2 of the high-pass, then of each low-pass
    static constexpr int kRows = 8;   // the six new states, the kept output, one row of zeros
    static constexpr int kOutputRow = 6;
    static constexpr int kMaxLength = 16; // periods up to 16 samples (host rates up to about 198 kHz)

    int length = 0; // samples per step; 0 when the period is longer than kMaxLength (filter sample by sample)
    // Column j < kStates: what state j contributes; column kStates + k: what input sample k contributes.
    alignas(32) double columns[kStates + kMaxLength][kRows] = {};
};

// Derives the matrix from the three filters by running their recursions on unit states and unit impulses,
// so it rounds like the filters themselves do. A length outside 1..kMaxLength leaves the step unusable.
void designDecimationStep(DecimationStep& step, const TrackerBiquad& highPass, const TrackerBiquad& lowPass1,
                          const TrackerBiquad& lowPass2, int length) noexcept;

// Advances states (kStates values) through up to `periods` whole periods of step.length input samples each,
// writing the output at the end of every period to kept. Stops before a period whose result is not finite,
// leaving the states as they were before it, and returns the number of periods done.
int runDecimationSteps(const DecimationStep& step, double* states, const float* input, int periods,
                       float* kept) noexcept;

namespace kernels
{
int runDecimationStepsScalar(const DecimationStep& step, double* states, const float* input, int periods,
                             float* kept) noexcept;
int runDecimationStepsAvx2(const DecimationStep& step, double* states, const float* input, int periods,
                           float* kept) noexcept;
} // namespace kernels

} // namespace vivera::dsp
