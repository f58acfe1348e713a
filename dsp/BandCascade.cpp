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

namespace
{
constexpr int kPointChunk = 64;

// Points as separate arrays of real and imaginary parts.
struct PointArrays
{
    double zRe[kPointChunk], zIm[kPointChunk];
    double ziRe[kPointChunk], ziIm[kPointChunk];
    double zi2Re[kPointChunk], zi2Im[kPointChunk];
};

// Each step below is one std::complex operation of sectionResponse and cascadeMagnitude, written out
// component by component in the order the library computes it: a real factor scales both parts, a real
// term adds to the real part only, and a product is (ac - bd, ad + bc).
void multiplyInto(double& hRe, double& hIm, double re, double im) noexcept
{
    const double productRe = hRe * re - hIm * im;
    const double productIm = hRe * im + hIm * re;
    hRe = productRe;
    hIm = productIm;
}

void multiplySvfResponse(const SvfCoefficients& c, const PointArrays& p, int n, double* hRe,
                         double* hIm) noexcept
{
    const double ziScale = 2.0 * (c.a3 - c.a1);
    const double zi2Scale = 2.0 * c.a1 + 2.0 * c.a3 - 1.0;
    for (int i = 0; i < n; ++i)
    {
        // D = 1 + ziScale·zi + zi2Scale·zi2, and its reciprocal conj(D) / |D|².
        const double dRe = (ziScale * p.ziRe[i] + 1.0) + zi2Scale * p.zi2Re[i];
        const double dIm = ziScale * p.ziIm[i] + zi2Scale * p.zi2Im[i];
        const double norm = dRe * dRe + dIm * dIm;
        const double invRe = dRe / norm;
        const double invIm = -dIm / norm;
        // bp = a2·(1 - zi2)·(1/D)
        double bpRe = c.a2 * (-p.zi2Re[i] + 1.0), bpIm = c.a2 * -p.zi2Im[i];
        multiplyInto(bpRe, bpIm, invRe, invIm);
        // lp = a3·(1 + zi)·(1 + zi)·(1/D)
        const double onePlusRe = p.ziRe[i] + 1.0, onePlusIm = p.ziIm[i];
        double lpRe = c.a3 * onePlusRe, lpIm = c.a3 * onePlusIm;
        multiplyInto(lpRe, lpIm, onePlusRe, onePlusIm);
        multiplyInto(lpRe, lpIm, invRe, invIm);
        // m0 + m1·bp + m2·lp
        const double re = (c.m1 * bpRe + c.m0) + c.m2 * lpRe;
        const double im = c.m1 * bpIm + c.m2 * lpIm;
        multiplyInto(hRe[i], hIm[i], re, im);
    }
}

void multiplyOnePoleResponse(const FilterSection& section, const PointArrays& p, int n, double* hRe,
                             double* hIm) noexcept
{
    const double G = section.G;
    const double scale = (1.0 - G) * 2.0 * G;
    for (int i = 0; i < n; ++i)
    {
        // low = G + scale / (z - 1 + 2G)
        const double dRe = (p.zRe[i] - 1.0) + 2.0 * G, dIm = p.zIm[i];
        const double norm = dRe * dRe + dIm * dIm;
        const double lowRe = scale * (dRe / norm) + G;
        const double lowIm = scale * (-dIm / norm);
        if (section.isHighPass)
            multiplyInto(hRe[i], hIm[i], 1.0 - lowRe, 0.0 - lowIm);
        else
            multiplyInto(hRe[i], hIm[i], lowRe, lowIm);
    }
}
} // namespace

void cascadeMagnitudes(const BandCascade& cascade, const UnitCirclePoint* points, int count,
                       double* magnitudes) noexcept
{
    for (int first = 0; first < count; first += kPointChunk)
    {
        const int n = std::min(kPointChunk, count - first);
        PointArrays p;
        double hRe[kPointChunk], hIm[kPointChunk];
        for (int i = 0; i < n; ++i)
        {
            const UnitCirclePoint& point = points[first + i];
            p.zRe[i] = point.z.real();
            p.zIm[i] = point.z.imag();
            p.ziRe[i] = point.zi.real();
            p.ziIm[i] = point.zi.imag();
            p.zi2Re[i] = point.zi2.real();
            p.zi2Im[i] = point.zi2.imag();
            hRe[i] = 1.0;
            hIm[i] = 0.0;
        }
        for (int s = 0; s < cascade.sectionCount; ++s)
        {
            const FilterSection& section = cascade.sections[static_cast<size_t>(s)];
            if (section.isOnePole)
                multiplyOnePoleResponse(section, p, n, hRe, hIm);
            else
                multiplySvfResponse(section.svf, p, n, hRe, hIm);
        }
        for (int i = 0; i < n; ++i)
        {
            double re = hRe[i], im = hIm[i];
            if (cascade.wet < 1.0)
            {
                re = cascade.wet * (re - 1.0) + 1.0;
                im = cascade.wet * im;
            }
            magnitudes[first + i] = std::hypot(re, im);
        }
    }
}

} // namespace vivera::dsp
