// Make-down gain predicted from the band settings and pitch alone: the mean power gain of all bands over
// 48 log-spaced frequencies, answered by an equal cut (never a boost, at most 24 dB).
#pragma once

#include "dsp/BandDesign.h"

#include <array>

namespace vivera::dsp
{

struct AutoGainBand
{
    bool used = false;         // add and on both set
    bool frozen = false;       // freeze on: the band sits on frozenPitch instead of the current pitch
    float frozenPitch = 0.0f;  // Hz
    float mult = 1.0f;         // multiple of the pitch
    int chan = 0;              // 0 Stereo, 1 Mid, 2 Side
    BandFilterSettings filter; // designed with its full static setting (amount 1, no solo)
};

constexpr int kAutoGainPoints = 48;
constexpr float kAutoGainMaxCutDb = 24.0f;

// Returns the make-down gain in dB, in [-24, 0]. Allocation-free.
float estimateAutoGain(const std::array<AutoGainBand, 16>& bands, float pitchHz, double sampleRate) noexcept;

} // namespace vivera::dsp
