// Monophonic pitch estimator of the YIN family: band-limits and decimates the detector signal, then runs a
// cumulative-mean-normalised difference analysis every 128 decimated samples with a median of three.
#pragma once

#include "dsp/DifferenceFunction.h"

namespace vivera::dsp
{

// Audio EQ Cookbook biquad in transposed direct form II, double precision.
struct TrackerBiquad
{
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    double s1 = 0.0, s2 = 0.0;
};

enum class TrackerBiquadKind
{
    highPass,
    lowPass
};

// Sets the coefficients of a cookbook high- or low-pass, keeping the states. The corner is clamped to
// [1 Hz, 0.49 fs]; a non-finite corner is replaced by fallbackHz so a bad value can never poison the states.
void designTrackerBiquad(TrackerBiquad& filter, TrackerBiquadKind kind, double frequencyHz, double q,
                         double sampleRate, double fallbackHz) noexcept;

inline double processTrackerBiquad(TrackerBiquad& f, double in) noexcept
{
    const double out = f.b0 * in + f.s1;
    f.s1 = f.b1 * in - f.a1 * out + f.s2;
    f.s2 = f.b2 * in - f.a2 * out;
    return out;
}

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

    // Runs the analysis on the 1024 most recent decimated samples (normally called by pushSample).
    void analyse() noexcept;

private:
    void designFilters() noexcept;
    // The lag of the first dip under the threshold, at its local minimum; 0 when there is none.
    int periodLag() const noexcept;
    void miss() noexcept;
    void accept(double frequencyHz) noexcept;
};

} // namespace vivera::dsp
