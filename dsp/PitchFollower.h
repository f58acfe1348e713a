// Pitch follower: turns the tracker's reading (or the manual pitch) into a log-domain smoothed pitch, the
// per-band frequencies with freeze, and the availability and pitch-lost flags. Updated once per sub-block.
#pragma once

#include "dsp/Constants.h"
#include "dsp/PitchAligner.h"

namespace vivera::dsp
{

struct PitchFollower
{
    float logPitch = 5.3936275f; // ln 220: the causal glide
    // What the bands use: logPitch, or with lookahead on the aligned pitch, mixed in over 30 ms.
    float bandLogPitch = 5.3936275f;
    float alignedMix = 0.0f;
    bool hasPitch = false;
    int samplesSinceLoss = 0;
    float pitchReading = 0.0f;
    float frozenPitch[kNumBands] = {};
    bool freezeLatched[kNumBands] = {};
};

struct PitchFollowerInput
{
    bool lock = false;
    float manualFrequencyHz = 220.0f;
    float trackerPitchHz = 0.0f;  // the tracker's output after the sub-block was pushed
    bool hasDetectorInput = true; // false: no detector channel, the reading is 0
};

struct BandPitchInput
{
    bool added = false;
    bool enabled = false;
    bool freeze = false;
    float multiplier = 1.0f;
};

// Back to the prepare state: ln 220, no pitch acquired, loss count 0, no freeze latched. Frozen pitches
// are kept: they are only ever replaced by a new capture.
void resetFollower(PitchFollower& follower) noexcept;

// One sub-block of n samples. Returns the smoothed pitch in Hz (exp of logPitch).
float updatePitch(PitchFollower& follower, const PitchFollowerInput& input, int n,
                  double sampleRate) noexcept;

// With `aligned` (lookahead on, lock off) the bands move to the aligner's pitch, and back to the causal
// glide without it, each over 30 ms. Call after updatePitch with the same n; without it the bands use the
// causal glide unchanged.
void followAlignedPitch(PitchFollower& follower, const PitchAligner& aligner, bool aligned, int n,
                        double sampleRate) noexcept;

// The pitch the bands use, in Hz.
float smoothedPitchHz(const PitchFollower& follower) noexcept;

bool isPitchAvailable(const PitchFollower& follower, bool lock) noexcept;

// The band's frequency in Hz, or 0 when the band is not considered or falls outside 20 Hz .. 0.49 fs.
// Also runs the band's freeze latch and capture.
float bandFrequency(PitchFollower& follower, int band, const BandPitchInput& input, bool lock,
                    double sampleRate) noexcept;

// Samples without a reading after which the pitch counts as lost: trunc(0.7 fs).
int pitchLossSamples(double sampleRate) noexcept;

bool isPitchLost(const PitchFollower& follower, bool lock, double sampleRate) noexcept;

// Auto bypass engages only once a pitch was found and then lost.
bool isAutoBypassed(const PitchFollower& follower, bool autoBypass, bool lock, double sampleRate) noexcept;

// The pitch shown to the editor: the smoothed pitch when available, else 0.
float publishedPitchHz(const PitchFollower& follower, bool lock) noexcept;

} // namespace vivera::dsp
