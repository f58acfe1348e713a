// Section design and response: the recursions themselves are inline in the header.
#include "dsp/SvfSection.h"
#include "dsp/Constants.h"

#include <algorithm>
#include <cmath>

namespace vivera::dsp
{
namespace
{

// Keeps designs inside the range where tan() pre-warping is well behaved.
double clampSectionFrequency(double frequencyHz, double sampleRate)
{
    return std::min(std::max(frequencyHz, 5.0), 0.49 * sampleRate);
}
} // namespace

double prewarpedGain(double frequencyHz, double sampleRate)
{
    return std::tan(kPi * clampSectionFrequency(frequencyHz, sampleRate) / sampleRate);
}

SvfCoefficients designSvfSection(int type, double frequencyHz, double q, double gainDb, double sampleRate)
{
    // Only Bell and the shelves use the gain; pow() is skipped for the others.
    const bool hasGain = type == kSvfBell || type == kSvfLowShelf || type == kSvfHighShelf;
    return designSvfSectionPrewarped(type, prewarpedGain(frequencyHz, sampleRate), q,
                                     hasGain ? sectionAmplitude(gainDb) : 1.0);
}

double sectionAmplitude(double gainDb)
{
    return std::pow(10.0, gainDb / 40.0);
}

SvfCoefficients designSvfSectionPrewarped(int type, double g, double q, double A)
{
    const double qFloored = q > 0.1 ? q : 0.1; // NaN too
    double k = 1.0 / qFloored;

    SvfCoefficients c;
    c.m0 = 1.0;
    c.m1 = 0.0;
    c.m2 = 0.0;
    switch (type)
    {
    case kSvfBell:
        k = 1.0 / (qFloored * A);
        c.m1 = k * (A * A - 1.0);
        break;
    case kSvfLowShelf:
        c.m1 = k * (A - 1.0);
        c.m2 = A * A - 1.0;
        g /= std::sqrt(A);
        break;
    case kSvfHighShelf:
        c.m0 = A * A;
        c.m1 = k * (1.0 - A) * A;
        c.m2 = 1.0 - A * A;
        g *= std::sqrt(A);
        break;
    case kSvfNotch:
        c.m1 = -k;
        break;
    case kSvfHighPass:
        c.m1 = -k;
        c.m2 = -1.0;
        break;
    case kSvfLowPass:
        c.m0 = 0.0;
        c.m2 = 1.0;
        break;
    case kSvfBandPass:
        c.m0 = 0.0;
        c.m1 = k;
        break;
    default: // unknown code: the section passes its input
        break;
    }
    c.a1 = 1.0 / (1.0 + g * (g + k));
    c.a2 = g * c.a1;
    c.a3 = g * c.a2;
    return c;
}

FilterSection designOnePole(bool isHighPass, double frequencyHz, double sampleRate)
{
    return designOnePolePrewarped(isHighPass, prewarpedGain(frequencyHz, sampleRate));
}

FilterSection designOnePolePrewarped(bool isHighPass, double t)
{
    FilterSection section;
    section.isOnePole = true;
    section.isHighPass = isHighPass;
    section.G = t / (1.0 + t);
    return section;
}

namespace
{
// 1/d by real arithmetic: the general complex division also guards against infinities and scales its
// operands, which the auto-gain estimate pays 1500 times per block. Denominators here are of order one.
std::complex<double> reciprocal(std::complex<double> d)
{
    return std::conj(d) / std::norm(d);
}
} // namespace

UnitCirclePoint UnitCirclePoint::at(double omega)
{
    return {std::polar(1.0, omega), std::polar(1.0, -omega), std::polar(1.0, -2.0 * omega)};
}

std::complex<double> sectionResponse(const FilterSection& section, double omega)
{
    return sectionResponse(section, UnitCirclePoint::at(omega));
}

std::complex<double> sectionResponse(const FilterSection& section, const UnitCirclePoint& point)
{
    using C = std::complex<double>;
    if (section.isOnePole)
    {
        const double G = section.G;
        const C low = G + (1.0 - G) * 2.0 * G * reciprocal(point.z - 1.0 + 2.0 * G);
        return section.isHighPass ? C(1.0) - low : low;
    }
    const SvfCoefficients& c = section.svf;
    const C D = 1.0 + 2.0 * (c.a3 - c.a1) * point.zi + (2.0 * c.a1 + 2.0 * c.a3 - 1.0) * point.zi2;
    const C onePlusZi = 1.0 + point.zi;
    const C inverseD = reciprocal(D);
    const C bp = c.a2 * (1.0 - point.zi2) * inverseD;
    const C lp = c.a3 * onePlusZi * onePlusZi * inverseD;
    return c.m0 + c.m1 * bp + c.m2 * lp;
}

} // namespace vivera::dsp
