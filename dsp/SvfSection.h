// One filter section of a band: the trapezoidal state-variable section and the one-pole, their design
// from frequency, Q and gain, their per-sample recursions and their exact frequency response.
#pragma once

#include <complex>

namespace vivera::dsp
{

// Section design codes; the band types Bell..LowPass share the first six values.
enum SvfType : int
{
    kSvfBell = 0,
    kSvfLowShelf = 1,
    kSvfHighShelf = 2,
    kSvfNotch = 3,
    kSvfHighPass = 4,
    kSvfLowPass = 5,
    kSvfBandPass = 6,
};

// Coefficients of one state-variable section; the defaults are the identity (output = input).
struct SvfCoefficients
{
    double a1 = 1.0; // 1 / (1 + g·(g + k))
    double a2 = 0.0; // g·a1
    double a3 = 0.0; // g·a2
    double m0 = 1.0; // weight of the input in the output
    double m1 = 0.0; // weight of the band-pass value
    double m2 = 0.0; // weight of the low-pass value
};

// One slot of a band cascade; the defaults are an empty (identity) slot.
struct FilterSection
{
    bool isOnePole = false;
    bool isHighPass = false; // one-pole only: output is input minus low-pass
    double G = 0.0;          // one-pole coefficient t / (1 + t)
    SvfCoefficients svf;
};

// Designs a state-variable section of the given SvfType code at frequencyHz (clamped to 5 Hz .. 0.49·fs);
// q below 0.1 is raised to 0.1. Bell and shelves reach gainDb at the centre or on the shelf.
SvfCoefficients designSvfSection(int type, double frequencyHz, double q, double gainDb, double sampleRate);

// Designs a first-order low- or high-pass section at frequencyHz (clamped to 5 Hz .. 0.49·fs).
FilterSection designOnePole(bool isHighPass, double frequencyHz, double sampleRate);

// The pre-warped gain tan(π·f/fs) with f clamped to 5 Hz .. 0.49·fs, and the amplitude A = 10^(gainDb/40).
// The designs below take them precomputed, so sections sharing a frequency or a gain share one tan() or
// pow(); their results equal designSvfSection's and designOnePole's bit for bit.
double prewarpedGain(double frequencyHz, double sampleRate);
double sectionAmplitude(double gainDb);
SvfCoefficients designSvfSectionPrewarped(int type, double g, double q, double A);
FilterSection designOnePolePrewarped(bool isHighPass, double t);

// Exact transfer function of a section at omega = 2π·f/fs radians per sample.
std::complex<double> sectionResponse(const FilterSection& section, double omega);

// The powers of z = e^{j omega} the responses need, computed once per frequency so that evaluating many
// sections at the same frequencies (the auto-gain estimate, the editor's curves) skips the trigonometry.
struct UnitCirclePoint
{
    std::complex<double> z;   // e^{j omega}
    std::complex<double> zi;  // e^{-j omega}
    std::complex<double> zi2; // e^{-2j omega}

    static UnitCirclePoint at(double omega);
};

// The same value as sectionResponse(section, omega) for point = UnitCirclePoint::at(omega).
std::complex<double> sectionResponse(const FilterSection& section, const UnitCirclePoint& point);

// One sample through a state-variable section; ic1 and ic2 are its integrator states.
inline double processSvfSection(const SvfCoefficients& c, double& ic1, double& ic2, double u) noexcept
{
    const double e = u - ic2;
    const double bp = c.a1 * ic1 + c.a2 * e;
    const double lp = ic2 + c.a2 * ic1 + c.a3 * e;
    ic1 = 2.0 * bp - ic1;
    ic2 = 2.0 * lp - ic2;
    return c.m0 * u + c.m1 * bp + c.m2 * lp;
}

// One sample through a one-pole section; s is its integrator state.
inline double processOnePole(double G, bool isHighPass, double& s, double u) noexcept
{
    const double d = (u - s) * G;
    const double low = s + d;
    s = low + d;
    return isHighPass ? u - low : low;
}

} // namespace vivera::dsp
