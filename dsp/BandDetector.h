// Per-band level detector: a sidechain filter around the band, a peak, RMS or transient envelope and a
// compressor-style gain computer whose smoothed wanted reduction, divided by the range, is the band's
// dynamic amount in 0..1.
#pragma once

#include "dsp/Constants.h"

namespace vivera::dsp
{

enum DetectorSidechainShape : int
{
    kSidechainBand = 0,
    kSidechainHigh = 1,
    kSidechainLow = 2,
};

struct DetectorSettings
{
    double thresholdDb = -30.0;
    double ratio = 4.0;
    double attackMs = 10.0;
    double releaseMs = 150.0;
    double kneeDb = 6.0;
    double rangeDb = 12.0;
    double scQ = 2.0;
    bool above = true;
    bool rms = true;
    bool transientDetector = false;
    bool sibilance = false;
    int channelMode = kChannelStereo;
    int scShape = kSidechainBand;
};

struct BandDetector
{
    double levelDb = -120.0;
    double ic1L = 0.0, ic1R = 0.0;
    double ic2L = 0.0, ic2R = 0.0;
    double envelope = 0.0;
    double meanSquare = 0.0;
    double reductionDb = 0.0;
    double fastMeanSquare = 0.0;
    double slowMeanSquare = 0.0;
    double fullBandMeanSquare = 0.0;
};

void resetDetector(BandDetector& detector) noexcept;

// Runs n (<= 32, any n works) samples of the two detector channels and returns the dynamic amount in [0, 1].
// scFrequencyHz is the sidechain filter's centre or corner (detfreq times the band frequency).
double runDetector(BandDetector& detector, const DetectorSettings& settings, const float* ch0,
                   const float* ch1, int n, double scFrequencyHz, double sampleRate) noexcept;

} // namespace vivera::dsp
