// A band's filter: up to eight sections run in series, with a dry/wet blend for dynamic Notch, High Pass
// and Low Pass bands. Designed from a section kind and slope, run per sample, and evaluated exactly.
#pragma once

#include "dsp/SvfSection.h"

#include <array>
#include <cstddef>

namespace vivera::dsp
{

constexpr int kMaxSections = 8;

struct BandCascade
{
    std::array<FilterSection, kMaxSections> sections{}; // used in index order
    int sectionCount = 0;
    double wet = 1.0; // below 1 only for dynamic Notch, High Pass and Low Pass bands
};

// Running state of one band on one channel; zero when cleared.
struct BandChannelState
{
    std::array<double, kMaxSections> ic1{};
    std::array<double, kMaxSections> ic2{};
    std::array<double, kMaxSections> s{};
};

// sectionKind is a band type folded to 0..5 (Bell, LowShelf, HighShelf, Notch, HighPass, LowPass);
// slopeIndex 0..5 is 6, 12, 18, 24, 48, 96 dB/oct. Solo designs a unity-gain band-pass listen filter.
BandCascade designCascade(int sectionKind, int slopeIndex, double frequencyHz, double q, double gainDb,
                          double sampleRate, bool solo);

// Magnitude of the whole cascade at omega = 2π·f/fs, including the wet blend.
double cascadeMagnitude(const BandCascade& cascade, double omega);
double cascadeMagnitude(const BandCascade& cascade, const UnitCirclePoint& point);

// magnitudes[i] = cascadeMagnitude(cascade, points[i]) bit for bit, for count points at once: the complex
// arithmetic is written out over arrays of points, so it runs in vector registers.
void cascadeMagnitudes(const BandCascade& cascade, const UnitCirclePoint* points, int count,
                       double* magnitudes) noexcept;

// One sample through slot i of a cascade with that slot's state.
inline double processSection(const FilterSection& section, BandChannelState& st, size_t i, double u) noexcept
{
    if (section.isOnePole)
        return processOnePole(section.G, section.isHighPass, st.s[i], u);
    return processSvfSection(section.svf, st.ic1[i], st.ic2[i], u);
}

// One sample through the cascade.
inline double processCascade(const BandCascade& cascade, BandChannelState& st, double x) noexcept
{
    double y = x;
    const size_t count = static_cast<size_t>(cascade.sectionCount);
    for (size_t i = 0; i < count; ++i)
        y = processSection(cascade.sections[i], st, i, y);
    if (cascade.wet < 1.0)
        y = x + cascade.wet * (y - x);
    return y;
}

} // namespace vivera::dsp
