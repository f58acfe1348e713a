// The detectors' gain computers side by side: knee, slope and attack/release ballistics of several
// independent detectors, four to a 256-bit register.
#pragma once

namespace vivera::dsp::kernels
{

// One detector's gain computer over a chunk of samples.
struct GainLane
{
    const double* level;    // log10 of the level argument per sample
    const double* fullBand; // log10 of the full-band energy per sample (sibilance), else null
    bool transient;         // level in dB is 10·level (an energy ratio) instead of 20·level
    bool above;             // reduce above the threshold, else below
    double thresholdDb;
    double kneeWidth;
    double slope;
    double attack;
    double release;
    double* levelDb;     // state: the last sample's level
    double* reductionDb; // state: the smoothed wanted reduction
};

// Per lane exactly the scalar gain computer's operations, sample by sample; m <= 32.
void runGainLanesAvx2(const GainLane* lanes, int count, int m) noexcept;

} // namespace vivera::dsp::kernels
