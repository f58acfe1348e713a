// Per-band level detector: a sidechain filter around the band, a peak, RMS or transient envelope and a
// compressor-style gain computer whose smoothed wanted reduction, divided by the range, is the band's
// dynamic amount in 0..1.
#pragma once

#include "dsp/Constants.h"
#include "dsp/SvfSection.h"

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

// Everything a detector run derives from its settings, sidechain frequency and sample rate.
struct DetectorCoefficients
{
    SvfCoefficients filter;
    double attack = 0.0, release = 0.0;
    double follow10ms = 0.0, peakDecay = 0.0, followFast = 0.0, followSlow = 0.0;
    double slope = 0.0, kneeWidth = 0.0, transientThresholdDb = 0.0;
};

DetectorCoefficients detectorCoefficients(const DetectorSettings& settings, double scFrequencyHz,
                                          double sampleRate) noexcept;

// The last coefficients with the inputs they came from: a run whose inputs are bit for bit the same
// reuses them and skips the tan() and six exp() calls. Derived values only, never state.
struct DetectorCoefficientCache
{
    bool valid = false;
    DetectorSettings settings;
    double scFrequencyHz = 0.0;
    double sampleRate = 0.0;
    DetectorCoefficients coefficients;
};

const DetectorCoefficients& cachedDetectorCoefficients(DetectorCoefficientCache& cache,
                                                       const DetectorSettings& settings, double scFrequencyHz,
                                                       double sampleRate) noexcept;

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
    DetectorCoefficientCache cache; // derived from the settings, not state: a reset leaves it
};

void resetDetector(BandDetector& detector) noexcept;

// Runs n (<= 32, any n works) samples of the two detector channels and returns the dynamic amount in [0, 1].
// scFrequencyHz is the sidechain filter's centre or corner (detfreq times the band frequency).
double runDetector(BandDetector& detector, const DetectorSettings& settings, const float* ch0,
                   const float* ch1, int n, double scFrequencyHz, double sampleRate) noexcept;

// One band's detector run in a sub-block, for running several at once.
struct DetectorJob
{
    BandDetector* detector = nullptr;
    const DetectorSettings* settings = nullptr;
    const float* ch0 = nullptr;
    const float* ch1 = nullptr;
    double scFrequencyHz = 0.0;
    double amount = 0.0; // out: what runDetector would return
};

// Runs every job over the same n samples (the detectors must be distinct). Each job's amount and detector
// end exactly as runDetector would leave them; the sidechain filters of all jobs share vector registers.
void runDetectors(DetectorJob* jobs, int count, int n, double sampleRate) noexcept;

} // namespace vivera::dsp
