// Make-down gain predicted from the band settings and pitch alone: the mean power gain of all bands over
// 48 log-spaced frequencies, answered by an equal cut (never a boost, at most 24 dB).
#pragma once

#include "dsp/BandDesign.h"
#include "dsp/Constants.h"

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

// Equality of every field: the engine reuses its last estimate while all of its inputs are unchanged.
inline bool operator==(const AutoGainBand& a, const AutoGainBand& b) noexcept
{
    return a.used == b.used && a.frozen == b.frozen && a.frozenPitch == b.frozenPitch && a.mult == b.mult &&
           a.chan == b.chan && a.filter == b.filter;
}
inline bool operator!=(const AutoGainBand& a, const AutoGainBand& b) noexcept
{
    return !(a == b);
}
// A new field must join the comparison above, or the engine would reuse a stale estimate.
static_assert(sizeof(AutoGainBand) == 4 * sizeof(float) + sizeof(BandFilterSettings),
              "compare every field in operator==");

constexpr int kAutoGainPoints = 48;
constexpr float kAutoGainMaxCutDb = 24.0f;

// The estimate's frequencies at one sample rate as points on the unit circle. They depend on the rate
// alone, so a caller that estimates often keeps them instead of paying 48 pow() and 144 sin/cos each time.
struct AutoGainGrid
{
    double sampleRate = 0.0;
    std::array<UnitCirclePoint, kAutoGainPoints> points{};
};

AutoGainGrid autoGainGrid(double sampleRate) noexcept;

// Returns the make-down gain in dB, in [-24, 0]. Allocation-free.
float estimateAutoGain(const std::array<AutoGainBand, kNumBands>& bands, float pitchHz,
                       double sampleRate) noexcept;

// The same estimate on a grid made by autoGainGrid(sampleRate).
float estimateAutoGain(const std::array<AutoGainBand, kNumBands>& bands, float pitchHz,
                       const AutoGainGrid& grid) noexcept;

} // namespace vivera::dsp
