// Designs one band's cascade from its raw settings, its current frequency and dynamic amount: the one
// place where band type, slope, gain, Q and the global scale are folded and clamped.
#pragma once

#include "dsp/BandCascade.h"

namespace vivera::dsp
{

// Raw parameter values as the parameter tree holds them (choice indices as floats).
struct BandFilterSettings
{
    float type = 0.0f;           // band type 0..9
    float slope = 1.0f;          // slope index 0..5
    float gainDb = 0.0f;         // band gain, dB
    float q = 2.0f;              // band Q
    float scalePercent = 100.0f; // global gain scale, percent
};

// Bit-for-bit equality of every field: caches keyed on a design's inputs rely on it.
inline bool operator==(const BandFilterSettings& a, const BandFilterSettings& b) noexcept
{
    return a.type == b.type && a.slope == b.slope && a.gainDb == b.gainDb && a.q == b.q &&
           a.scalePercent == b.scalePercent;
}
inline bool operator!=(const BandFilterSettings& a, const BandFilterSettings& b) noexcept
{
    return !(a == b);
}
// A new field must join the comparison above, or caches would reuse stale designs.
static_assert(sizeof(BandFilterSettings) == 5 * sizeof(float), "compare every field in operator==");

// Section kind 0..5 a band type designs with; level-dependent and unknown types are Bells.
int bandSectionKind(int bandType) noexcept;

// Band type as an integer 0..9: the value truncated, negative or NaN values as 0 (Bell).
int bandTypeIndex(float type) noexcept;

// Writes the band's cascade and returns true; returns false and leaves out untouched when
// frequencyHz <= 0 (band inactive). amount 0..1 is the dynamic amount (1 for a static band).
bool designBand(const BandFilterSettings& settings, double sampleRate, double frequencyHz, bool solo,
                double amount, BandCascade& out);

// The inputs of a band's last design. The cascade is a pure function of them, so a sub-block that brings
// the same inputs bit for bit keeps its cascade; a dynamic Notch, High Pass or Low Pass band, whose amount
// only sets the blend, then changes nothing but the blend.
struct BandDesignCache
{
    bool valid = false;
    int kind = 0;
    int slope = 0;
    double frequencyHz = 0.0;
    double q = 0.0;
    double gainDb = 0.0;
    double sampleRate = 0.0;
    bool solo = false;
};

// Same return value and the same cascade in out as designBand, skipping the design when its inputs equal
// the last ones. out must be written only through calls with this cache (as the band's running cascade
// is); clear the cache (valid = false) if anything else writes it.
bool designBandCached(BandDesignCache& cache, const BandFilterSettings& settings, double sampleRate,
                      double frequencyHz, bool solo, double amount, BandCascade& out);

} // namespace vivera::dsp
