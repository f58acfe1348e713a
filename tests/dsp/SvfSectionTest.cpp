// Section design and recursions: every section code's measured steady-state gain matches sectionResponse,
// and the design hits its defining points (bell centre gain, shelf plateau, Butterworth corner).
#include "dsp/SvfSection.h"
#include "SteadyState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace vivera::dsp
{
namespace
{
constexpr double kPi = 3.14159265358979323846;

std::complex<double> measureSection(const FilterSection& section, double omega)
{
    double c1 = 0.0, c2 = 0.0, cs = 0.0, s1 = 0.0, s2 = 0.0, ss = 0.0;
    auto step = [&](double xc, double xs, double& yc, double& ys)
    {
        if (section.isOnePole)
        {
            yc = processOnePole(section.G, section.isHighPass, cs, xc);
            ys = processOnePole(section.G, section.isHighPass, ss, xs);
        }
        else
        {
            yc = processSvfSection(section.svf, c1, c2, xc);
            ys = processSvfSection(section.svf, s1, s2, xs);
        }
    };
    const auto result = test::measureSteadyState(step, omega);
    EXPECT_TRUE(result.settled);
    return result.response;
}

FilterSection svfSection(int type, double f, double q, double gainDb, double fs)
{
    FilterSection section;
    section.svf = designSvfSection(type, f, q, gainDb, fs);
    return section;
}

TEST(SvfSection, RecursionMatchesResponseForEveryCode)
{
    const double fs = 48000.0;
    const double frequencies[] = {5.0, 1000.0, 0.49 * fs};
    const double qs[] = {0.1, 0.7071, 18.0};
    const double gains[] = {-18.0, 9.0};
    const double probes[] = {0.3, 1.0, 3.0}; // probe frequency relative to the section frequency
    for (int type = kSvfBell; type <= kSvfBandPass; ++type)
        for (double f : frequencies)
            for (double q : qs)
                for (double gainDb : gains)
                    for (double probe : probes)
                    {
                        const double omega = std::min(2.0 * kPi * f * probe / fs, 0.999 * kPi);
                        const FilterSection section = svfSection(type, f, q, gainDb, fs);
                        const auto expected = sectionResponse(section, omega);
                        const auto measured = measureSection(section, omega);
                        EXPECT_NEAR(std::abs(measured - expected), 0.0,
                                    1e-7 * std::max(1.0, std::abs(expected)))
                            << "type " << type << " f " << f << " q " << q << " gain " << gainDb << " probe "
                            << probe;
                    }
}

TEST(SvfSection, OnePoleRecursionMatchesResponse)
{
    const double fs = 44100.0;
    for (bool highPass : {false, true})
        for (double f : {5.0, 440.0, 0.49 * fs})
            for (double probe : {0.1, 1.0, 10.0})
            {
                const double omega = std::min(2.0 * kPi * f * probe / fs, 0.999 * kPi);
                const FilterSection section = designOnePole(highPass, f, fs);
                const auto expected = sectionResponse(section, omega);
                EXPECT_NEAR(std::abs(measureSection(section, omega) - expected), 0.0, 1e-7)
                    << "highPass " << highPass << " f " << f << " probe " << probe;
            }
}

TEST(SvfSection, DefiningPointsOfTheResponse)
{
    const double fs = 48000.0;
    const double f = 1000.0;
    const double omega = 2.0 * kPi * f / fs;
    const double A2 = std::pow(10.0, 6.0 / 20.0);

    EXPECT_NEAR(std::abs(sectionResponse(svfSection(kSvfBell, f, 2.0, 6.0, fs), omega)), A2, 1e-12);
    EXPECT_NEAR(std::abs(sectionResponse(svfSection(kSvfBandPass, f, 3.0, 0.0, fs), omega)), 1.0, 1e-12);
    EXPECT_NEAR(std::abs(sectionResponse(svfSection(kSvfNotch, f, 3.0, 0.0, fs), omega)), 0.0, 1e-12);
    // Shelves: full gain deep on the shelf, none on the other side.
    const double low = 2.0 * kPi * 10.0 / fs, high = 2.0 * kPi * 20000.0 / fs;
    EXPECT_NEAR(std::abs(sectionResponse(svfSection(kSvfLowShelf, f, 0.7071, 6.0, fs), low)), A2, 1e-3);
    EXPECT_NEAR(std::abs(sectionResponse(svfSection(kSvfLowShelf, f, 0.7071, 6.0, fs), high)), 1.0, 1e-2);
    EXPECT_NEAR(std::abs(sectionResponse(svfSection(kSvfHighShelf, f, 0.7071, 6.0, fs), high)), A2, 1e-2);
    EXPECT_NEAR(std::abs(sectionResponse(svfSection(kSvfHighShelf, f, 0.7071, 6.0, fs), low)), 1.0, 1e-3);
    // Butterworth pole pair and one-pole: -3 dB at the corner.
    const double halfPower = std::sqrt(0.5);
    EXPECT_NEAR(std::abs(sectionResponse(svfSection(kSvfLowPass, f, 0.70710678, 0.0, fs), omega)), halfPower,
                1e-8);
    EXPECT_NEAR(std::abs(sectionResponse(svfSection(kSvfHighPass, f, 0.70710678, 0.0, fs), omega)), halfPower,
                1e-8);
    EXPECT_NEAR(std::abs(sectionResponse(designOnePole(false, f, fs), omega)), halfPower, 1e-12);
    EXPECT_NEAR(std::abs(sectionResponse(designOnePole(true, f, fs), omega)), halfPower, 1e-12);
}

TEST(SvfSection, DesignClampsFrequencyAndQ)
{
    const double fs = 48000.0;
    const auto at5 = designSvfSection(kSvfBell, 5.0, 2.0, 6.0, fs);
    const auto below = designSvfSection(kSvfBell, 0.5, 2.0, 6.0, fs);
    EXPECT_EQ(below.a1, at5.a1);
    EXPECT_EQ(below.a2, at5.a2);
    const auto top = designSvfSection(kSvfLowPass, 0.49 * fs, 2.0, 0.0, fs);
    const auto above = designSvfSection(kSvfLowPass, fs, 2.0, 0.0, fs);
    EXPECT_EQ(above.a2, top.a2);
    const auto q01 = designSvfSection(kSvfNotch, 1000.0, 0.1, 0.0, fs);
    const auto q0 = designSvfSection(kSvfNotch, 1000.0, 0.0, 0.0, fs);
    EXPECT_EQ(q0.m1, q01.m1);
    EXPECT_EQ(q0.a1, q01.a1);
    EXPECT_EQ(designOnePole(false, -3.0, fs).G, designOnePole(false, 5.0, fs).G);
}

TEST(SvfSection, EmptySlotIsIdentity)
{
    const FilterSection empty;
    double ic1 = 0.0, ic2 = 0.0;
    for (double x : {0.25, -1.0, 3.5})
        EXPECT_EQ(processSvfSection(empty.svf, ic1, ic2, x), x);
    EXPECT_EQ(sectionResponse(empty, 1.0), std::complex<double>(1.0, 0.0));
}

} // namespace
} // namespace vivera::dsp

namespace vivera::dsp
{
namespace
{
// Cascades share tan() and pow() through the prewarped designs; they must not change a bit.
TEST(SvfSection, PrewarpedDesignsEqualDirectDesigns)
{
    const double fs = 44100.0;
    for (int type = kSvfBell; type <= kSvfBandPass; ++type)
        for (double f : {1.0, 440.0, 30000.0})
            for (double q : {0.05, 0.7, 12.0})
                for (double gainDb : {-30.0, 0.0, 7.5})
                {
                    const bool hasGain = type <= kSvfHighShelf;
                    const SvfCoefficients a = designSvfSection(type, f, q, gainDb, fs);
                    const SvfCoefficients b = designSvfSectionPrewarped(
                        type, prewarpedGain(f, fs), q, hasGain ? sectionAmplitude(gainDb) : 1.0);
                    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0)
                        << "type " << type << " f " << f << " q " << q;
                }
    for (bool highPass : {false, true})
        for (double f : {1.0, 440.0, 30000.0})
        {
            const FilterSection a = designOnePole(highPass, f, fs);
            const FilterSection b = designOnePolePrewarped(highPass, prewarpedGain(f, fs));
            EXPECT_EQ(a.G, b.G);
            EXPECT_EQ(a.isHighPass, b.isHighPass);
            EXPECT_TRUE(b.isOnePole);
        }
}
} // namespace
} // namespace vivera::dsp
