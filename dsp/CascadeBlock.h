// Runs a band cascade over a short block of samples, one channel or a stereo pair at once. Same
// per-sample arithmetic as processCascade, organised so that sections of neighbouring samples overlap.
#pragma once

#include "dsp/BandCascade.h"

namespace vivera::dsp
{

// In place over n samples of one channel; bit-identical to processCascade per sample.
void runCascadeBlock(const BandCascade& cascade, BandChannelState& st, double* x, int n) noexcept;

// In place over n samples of a left/right pair with their own states; bit-identical to two runCascadeBlock
// calls.
void runCascadeBlockStereo(const BandCascade& cascade, BandChannelState& stL, BandChannelState& stR,
                           double* left, double* right, int n) noexcept;

} // namespace vivera::dsp
