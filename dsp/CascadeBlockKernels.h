// Vector bodies of the cascade block kernels that need an instruction set beyond the build's baseline,
// compiled in files of their own and chosen at run time.
#pragma once

#include "dsp/SvfSection.h"

namespace vivera::dsp::kernels
{

// A left/right pair through 2·pairs consecutive state-variable sections (pairs 1..4), in place over n
// samples (n <= kSubBlockSize). Section j and section j + pairs share one 256-bit register, each lane
// with exactly processSvfSection's arithmetic. The states point at the first section's slot of each
// channel's integrator arrays.
struct StereoSectionRun
{
    const FilterSection* sections;
    int pairs;
    double* left;
    double* right;
    double* ic1L;
    double* ic2L;
    double* ic1R;
    double* ic2R;
};

void runStereoSvfPairsAvx2(const StereoSectionRun& run, int n) noexcept;

} // namespace vivera::dsp::kernels
