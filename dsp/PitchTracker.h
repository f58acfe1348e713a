// Monophonic pitch estimator of the YIN family: band-limits and decimates the detector signal, then runs a
// cumulative-mean-normalised difference analysis every 128 decimated samples with a median of three.
#pragma once

#include "dsp/DecimationStep.h"
#include "dsp/DifferenceFunction.h"
#include "dsp/TrackerBiquad.h"

namespace vivera::dsp
{

struct PitchTracker
{
    static constexpr int kRingSize = 2048;
    static constexpr int kFrameSize = 1024;
    static_assert(kFrameSize == DifferenceFunction::kFrameSize, "the analysis transforms one whole frame");
    static constexpr int kMaxLag = 512;
    static constexpr int kHop = 128;
    static constexpr int kHistorySize = 3;
    static constexpr float kDefaultHpHz = 20.0f;
    static constexpr float kDefaultLpHz = 5000.0f;

    double sampleRate = 48000.0;
    double decimatedRate = 12000.0;
    int decimation = 4;
    int decimationCounter = 0;
    int minLag = 6;
    int maxLag = 401;
    int windowLength = 623;
    double threshold = 0.15;
    float gateDb = -80.0f;
    float hpHz = kDefaultHpHz;
    float lpHz = kDefaultLpHz;
    TrackerBiquad highPass;
    TrackerBiquad lowPass1;
    TrackerBiquad lowPass2;
    DecimationStep decimationStep; // the three filters over one decimation period, redesigned with them
    // Input samples of the current period not yet run through the filters: a period is filtered as a whole
    // when it completes (or sample by sample when the filters are redesigned in the middle of one).
    float pending[DecimationStep::kMaxLength] = {};
    int pendingCount = 0;
    float ring[kRingSize] = {};
    float frame[kFrameSize] = {};
    DifferenceFunction differenceFunction; // transform tables and work buffers, set up by prepare
    double difference[kMaxLag + 1] = {};   // raw difference d(lag), kept for the parabolic refinement
    double cmndf[kMaxLag + 1] = {};
    int writeIndex = 0;
    int fillCount = 0;
    int hopCounter = 0;
    double history[kHistorySize] = {};
    int historyIndex = 0;
    int historyCount = 0;
    int missCount = 0;
    float pitchHz = 0.0f;
    float levelDb = -120.0f;

    // Sets rates and lags, designs the input filters from hpHz/lpHz and clears all state and output.
    void prepare(double newSampleRate) noexcept;

    // Per-block settings: sensitivity in percent, gate in dB (-80 = off), detector band limits in Hz.
    // The filters are redesigned (states kept) only when a corner changed; a NaN always counts as a change.
    void applySettings(float sensPercent, float gate, float trackHpHz, float trackLpHz) noexcept;

    // One mono detector sample at the host rate; runs an analysis when a hop completes.
    void pushSample(float x) noexcept;

    // count mono detector samples at the host rate, exactly as count calls of pushSample would: whole
    // decimation periods go through the filters at once.
    void pushBlock(const float* x, int count) noexcept;

    // Runs the analysis on the 1024 most recent decimated samples (normally called by pushSample).
    void analyse() noexcept;

private:
    void designFilters() noexcept;
    // Runs the pending samples through the filters one at a time, leaving none pending.
    void filterPending() noexcept;
    // The filters sample by sample, as the recursions are written; returns the last output.
    double filterSamples(const float* x, int count) noexcept;
    // Runs whole periods through the filters (see runDecimationSteps); returns the number done.
    int filterPeriods(const float* x, int periods, float* kept) noexcept;
    // The per-sample feed, for decimation periods too long for one step.
    void pushBlockSampleBySample(const float* x, int count) noexcept;
    // Stores one filtered, decimated sample and runs the analysis when a hop completes.
    void keepDecimated(float y) noexcept;
    // The lag of the first dip under the threshold, at its local minimum; 0 when there is none. Fills cmndf
    // from the raw difference as far as it reads (at least up to the returned lag + 1).
    int periodLag() noexcept;
    void miss() noexcept;
    void accept(double frequencyHz) noexcept;
};

} // namespace vivera::dsp
