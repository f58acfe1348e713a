// Cascade layouts per band kind and slope, and the cascade's magnitude response.
#include "dsp/BandCascade.h"

#include <algorithm>
#include <cmath>

namespace vivera::dsp
{
namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr double kButterworthQ = 0.70710678;

void append(BandCascade& cascade, const FilterSection& section)
{
    cascade.sections[static_cast<size_t>(cascade.sectionCount++)] = section;
}

void appendSvf(BandCascade& cascade, int type, double f, double q, double gainDb, double fs)
{
    FilterSection section;
    section.svf = designSvfSection(type, f, q, gainDb, fs);
    append(cascade, section);
}

// High and low pass: Butterworth pole pairs, with the user's Q scaling only the highest-Q pair.
void designPass(BandCascade& cascade, bool highPass, int slope, double f, double q, double fs)
{
    const int type = highPass ? kSvfHighPass : kSvfLowPass;
    const double s = q / kButterworthQ;
    switch (slope)
    {
    case 0:
        append(cascade, designOnePole(highPass, f, fs));
        break;
    case 1:
        appendSvf(cascade, type, f, q, 0.0, fs);
        break;
    case 2:
        append(cascade, designOnePole(highPass, f, fs));
        appendSvf(cascade, type, f, 1.0 * s, 0.0, fs);
        break;
    case 3:
        appendSvf(cascade, type, f, 0.5412, 0.0, fs);
        appendSvf(cascade, type, f, 1.30656 * s, 0.0, fs);
        break;
    case 4:
        appendSvf(cascade, type, f, 0.5098, 0.0, fs);
        appendSvf(cascade, type, f, 0.60134, 0.0, fs);
        appendSvf(cascade, type, f, 0.89998, 0.0, fs);
        appendSvf(cascade, type, f, 2.56292 * s, 0.0, fs);
        break;
    default:
        for (int n = 8; n >= 1; --n)
        {
            const double qn = 1.0 / (2.0 * std::sin((2.0 * n - 1.0) * kPi * 0.03125));
            appendSvf(cascade, type, f, n == 1 ? qn * s : qn, 0.0, fs);
        }
        break;
    }
}

// Bell and Notch steeper than one section: sections spread around f, gains normalised so the
// overlapping bells still reach the set gain near the centre.
void designSpread(BandCascade& cascade, int kind, int count, double f, double q, double gainDb, double fs)
{
    const double bw = std::asinh(1.0 / (2.0 * q)) * 2.0 / std::log(2.0);
    const double m = 0.6 * bw;
    const double c = (count - 1) / 2.0;
    double S = 0.0;
    for (int i = 0; i < count; ++i)
    {
        const double o = (i - c) * m / (bw / 2.0);
        S += 1.0 / (o * o + 1.0);
    }
    for (int j = 0; j < count; ++j)
        appendSvf(cascade, kind, f * std::pow(2.0, (j - c) * m), q, gainDb / S, fs);
}
} // namespace

BandCascade designCascade(int sectionKind, int slopeIndex, double frequencyHz, double q, double gainDb,
                          double sampleRate, bool solo)
{
    // Out-of-range codes fall back to Bell and the nearest slope rather than an arbitrary layout.
    if (sectionKind < kSvfBell || sectionKind > kSvfLowPass)
        sectionKind = kSvfBell;
    slopeIndex = std::min(std::max(slopeIndex, 0), 5);

    BandCascade cascade;
    if (solo)
    {
        appendSvf(cascade, kSvfBandPass, frequencyHz, q, 0.0, sampleRate);
        return cascade;
    }
    if (sectionKind == kSvfHighPass || sectionKind == kSvfLowPass)
    {
        designPass(cascade, sectionKind == kSvfHighPass, slopeIndex, frequencyHz, q, sampleRate);
        return cascade;
    }
    const int count = slopeIndex == 3 ? 2 : (slopeIndex == 4 || slopeIndex == 5) ? 4 : 1;
    if (count == 1)
        appendSvf(cascade, sectionKind, frequencyHz, q, gainDb, sampleRate);
    else if (sectionKind == kSvfLowShelf || sectionKind == kSvfHighShelf)
        for (int i = 0; i < count; ++i)
            appendSvf(cascade, sectionKind, frequencyHz, q, gainDb / count, sampleRate);
    else
        designSpread(cascade, sectionKind, count, frequencyHz, q, gainDb, sampleRate);
    return cascade;
}

double cascadeMagnitude(const BandCascade& cascade, double omega)
{
    std::complex<double> h(1.0, 0.0);
    for (int i = 0; i < cascade.sectionCount; ++i)
        h *= sectionResponse(cascade.sections[static_cast<size_t>(i)], omega);
    if (cascade.wet < 1.0)
        h = 1.0 + cascade.wet * (h - 1.0);
    return std::hypot(h.real(), h.imag());
}

} // namespace vivera::dsp
