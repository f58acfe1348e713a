// Lines the band pitch up with the audio the bands filter while lookahead delays that audio. A reading
// describes the analysis frame, whose centre lies behind the newest sample, so it reaches the bands'
// (delayed) audio a while after it is made: the aligner delays the stream of readings by that while. The
// tracker confirms a note change later than it follows a continuous move (the new note must fill most of
// the frame and win the median), so each jump in the readings is moved earlier by that extra time. The bands
// then glide through a moving average centred on the moment of the change, as steep as the causal glide
// at its steepest, instead of an exponential that starts only after it.
//
// The readings are kept on a fixed grid of kSubBlockSize samples whatever the sub-block lengths, so the
// delays hold at any block size.
#pragma once

#include "dsp/Constants.h"

#include <cstdint>

namespace vivera::dsp
{

struct PitchAligner
{
    // Grid steps kept: the delay and half the window at up to 384 kHz.
    static constexpr int kCapacity = 1024;

    int delaySteps = 0;               // the reading's age when it meets its audio: the window's centre
    int advanceSteps = 0;             // how much earlier a jump is placed
    int halfWindow = 0;               // the moving average spans 2 * halfWindow + 1 steps
    float logReading[kCapacity] = {}; // ln Hz of each step's reading, 0 for none
    int64_t newest = -1;              // grid index of the newest reading
    int pendingSamples = 0;
    float lastLogReading = 0.0f; // the newest reading that was present, 0 before the first
    double windowSum = 0.0;
    int windowCount = 0;
    float alignedLogPitch = 0.0f; // the moving average; valid once hasAligned
    bool hasAligned = false;
};

// Sets the grid's delays for a sample rate and clears the history.
void prepareAligner(PitchAligner& aligner, double sampleRate) noexcept;

// Forgets every reading (the delays stay).
void resetAligner(PitchAligner& aligner) noexcept;

// One sub-block of n samples with the tracker's reading after it (0 for none). Updates alignedLogPitch.
void pushAlignerReading(PitchAligner& aligner, float readingHz, int n) noexcept;

} // namespace vivera::dsp
