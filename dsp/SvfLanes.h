// Independent state-variable sections, each on its own input, run side by side in vector registers: the
// level detectors' sidechain filters, which do not depend on one another.
#pragma once

#include "dsp/SvfSection.h"

namespace vivera::dsp
{

struct SvfLane
{
    const SvfCoefficients* coefficients;
    double* ic1; // integrator states, read at the start and written back at the end
    double* ic2;
    const double* in;
    double* out; // may be the same array as in
};

// Runs each lane's section over n samples of its own input; per lane exactly processSvfSection's
// arithmetic, on every kernel path.
void runSvfLanes(const SvfLane* lanes, int count, int n) noexcept;

namespace kernels
{
void runSvfLanesSse2(const SvfLane* lanes, int count, int n) noexcept;
void runSvfLanesAvx2(const SvfLane* lanes, int count, int n) noexcept;
} // namespace kernels

} // namespace vivera::dsp
