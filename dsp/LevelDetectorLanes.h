// Level detectors (a peak or RMS envelope, no transient or sibilance measure) run whole by one kernel: the
// sidechain filters, envelopes, logarithms and gain computers of up to four detectors side by side, one
// detector to a lane. The filter and envelope recursions share one sample loop, so they overlap instead of
// each waiting alone over the chunk.
#pragma once

#include "dsp/SvfSection.h"

namespace vivera::dsp::kernels
{

constexpr int kLevelDetectorLanes = 4;

// One detector over a chunk: its inputs, coefficients and the states it reads and writes back.
struct LevelDetectorLane
{
    const SvfCoefficients* filter;
    const double* a; // the analysed signal: left, Mid or Side
    const double* b; // the right signal in Stereo, else null
    bool rms;        // RMS envelope, else peak
    bool above;      // reduce above the threshold, else below
    double follow10ms, peakDecay;
    double thresholdDb, kneeWidth, slope, attack, release;
    double *ic1L, *ic2L, *ic1R, *ic2R;
    double *meanSquare, *envelope, *levelDb, *reductionDb;
};

// count <= kLevelDetectorLanes, m <= 32. Per detector exactly the phased form's operations, sample by
// sample.
void runLevelDetectorsAvx2(const LevelDetectorLane* lanes, int count, int m) noexcept;

} // namespace vivera::dsp::kernels
