// Cascade layouts per band kind and slope, and the cascade's magnitude response.
#include "dsp/BandCascade.h"
#include "dsp/Constants.h"

#include <algorithm>
#include <cmath>

namespace vivera::dsp
{
namespace
{

void append(BandCascade& cascade, const FilterSection& section)
{
    cascade.sections[static_cast<size_t>(cascade.sectionCount++)] = section;
}

void appendSvf(BandCascade& cascade, int type, double g, double q, double A)
{
    FilterSection section;
    section.svf = designSvfSectionPrewarped(type, g, q, A);
    append(cascade, section);
}

// Q of the pole pairs of a 16th-order Butterworth, pair n = 1..8 at index n - 1.
const std::array<double, 8> kButterworth16Q = []
{
    std::array<double, 8> q{};
    for (int n = 1; n <= 8; ++n)
        q[static_cast<size_t>(n - 1)] = 1.0 / (2.0 * std::sin((2.0 * n - 1.0) * kPi * 0.03125));
    return q;
}();

// High and low pass: Butterworth pole pairs, with the user's Q scaling only the highest-Q pair.
void designPass(BandCascade& cascade, bool highPass, int slope, double g, double q)
{
    const int type = highPass ? kSvfHighPass : kSvfLowPass;
    const double s = q / kButterworthQ;
    switch (slope)
    {
    case 0:
        append(cascade, designOnePolePrewarped(highPass, g));
        break;
    case 1:
        appendSvf(cascade, type, g, q, 1.0);
        break;
    case 2:
        append(cascade, designOnePolePrewarped(highPass, g));
        appendSvf(cascade, type, g, 1.0 * s, 1.0);
        break;
    case 3:
        appendSvf(cascade, type, g, 0.5412, 1.0);
        appendSvf(cascade, type, g, 1.30656 * s, 1.0);
        break;
    case 4:
        appendSvf(cascade, type, g, 0.5098, 1.0);
        appendSvf(cascade, type, g, 0.60134, 1.0);
        appendSvf(cascade, type, g, 0.89998, 1.0);
        appendSvf(cascade, type, g, 2.56292 * s, 1.0);
        break;
    default:
        for (int n = 8; n >= 1; --n)
        {
            const double qn = kButterworth16Q[static_cast<size_t>(n - 1)];
            appendSvf(cascade, type, g, n == 1 ? qn * s : qn, 1.0);
        }
        break;
    }
}

// Bell and Notch steeper than one section: sections spread around f, gains normalised so the
// overlapping bells still reach the set gain near the centre.
void designSpread(BandCascade& cascade, int kind, int count, double f, double q, double gainDb, double fs)
{
    // The bandwidth takes Q as given; only a Q of zero or below, whose bandwidth is infinite and would
    // make every gain NaN, falls back to the section designs' floor.
    const double bandwidthQ = q > 0.0 ? q : 0.1;
    const double bw = std::asinh(1.0 / (2.0 * bandwidthQ)) * 2.0 / std::log(2.0);
    const double m = 0.6 * bw;
    const double c = (count - 1) / 2.0;
    double S = 0.0;
    for (int i = 0; i < count; ++i)
    {
        const double o = (i - c) * m / (bw / 2.0);
        S += 1.0 / (o * o + 1.0);
    }
    const double A = sectionAmplitude(gainDb / S);
    for (int j = 0; j < count; ++j)
        appendSvf(cascade, kind, prewarpedGain(f * std::pow(2.0, (j - c) * m), fs), q, A);
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
        appendSvf(cascade, kSvfBandPass, prewarpedGain(frequencyHz, sampleRate), q, 1.0);
        return cascade;
    }
    if (sectionKind == kSvfHighPass || sectionKind == kSvfLowPass)
    {
        designPass(cascade, sectionKind == kSvfHighPass, slopeIndex, prewarpedGain(frequencyHz, sampleRate),
                   q);
        return cascade;
    }
    const int count = slopeIndex == 3 ? 2 : (slopeIndex == 4 || slopeIndex == 5) ? 4 : 1;
    if (count == 1)
        appendSvf(cascade, sectionKind, prewarpedGain(frequencyHz, sampleRate), q, sectionAmplitude(gainDb));
    else if (sectionKind == kSvfLowShelf || sectionKind == kSvfHighShelf)
    {
        const double g = prewarpedGain(frequencyHz, sampleRate);
        const double A = sectionAmplitude(gainDb / count);
        for (int i = 0; i < count; ++i)
            appendSvf(cascade, sectionKind, g, q, A);
    }
    else
        designSpread(cascade, sectionKind, count, frequencyHz, q, gainDb, sampleRate);
    return cascade;
}

double cascadeMagnitude(const BandCascade& cascade, double omega)
{
    return cascadeMagnitude(cascade, UnitCirclePoint::at(omega));
}

double cascadeMagnitude(const BandCascade& cascade, const UnitCirclePoint& point)
{
    std::complex<double> h(1.0, 0.0);
    for (int i = 0; i < cascade.sectionCount; ++i)
        h *= sectionResponse(cascade.sections[static_cast<size_t>(i)], point);
    if (cascade.wet < 1.0)
        h = 1.0 + cascade.wet * (h - 1.0);
    return std::hypot(h.real(), h.imag());
}

} // namespace vivera::dsp
