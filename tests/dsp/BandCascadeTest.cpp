// Cascade layouts and their response: the measured steady-state gain of processCascade equals
// cascadeMagnitude for every kind and slope, and each layout has the shape its slope promises.
#include "dsp/BandCascade.h"
#include "SteadyState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace vivera::dsp
{
namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr double kFs = 48000.0;
constexpr double kButterworthQ = 0.70710678;

double omegaOf(double f, double fs = kFs)
{
    return 2.0 * kPi * f / fs;
}

// Centre frequency a state-variable section was designed at (g = tan(π·f/fs) = a2/a1).
double designedFrequency(const SvfCoefficients& c, double fs = kFs)
{
    return std::atan(c.a2 / c.a1) * fs / kPi;
}

double db(double magnitude)
{
    return 20.0 * std::log10(magnitude);
}

struct Layout
{
    double f;
    double q;
    double gainDb;
    double wet;
};

TEST(BandCascade, RecursionMatchesMagnitudeForEveryKindAndSlope)
{
    const Layout layouts[] = {
        {1000.0, kButterworthQ, 12.0, 1.0}, {1000.0, 18.0, -9.0, 1.0},    {5.0, 0.7, 12.0, 1.0},
        {0.49 * kFs, 18.0, -9.0, 1.0},      {0.49 * kFs, 0.7, 12.0, 1.0}, {3000.0, 4.0, 6.0, 0.3},
    };
    const double probes[] = {0.5, 1.0, 1.7};
    for (bool solo : {false, true})
        for (int kind = 0; kind <= 5; ++kind)
            for (int slope = 0; slope <= 5; ++slope)
                for (const Layout& layout : layouts)
                {
                    BandCascade cascade =
                        designCascade(kind, slope, layout.f, layout.q, layout.gainDb, kFs, solo);
                    cascade.wet = layout.wet;
                    for (double probe : probes)
                    {
                        const double omega = std::min(omegaOf(layout.f * probe), 0.995 * kPi);
                        BandChannelState cosState, sinState;
                        auto step = [&](double xc, double xs, double& yc, double& ys)
                        {
                            yc = processCascade(cascade, cosState, xc);
                            ys = processCascade(cascade, sinState, xs);
                        };
                        const auto measured = test::measureSteadyState(step, omega);
                        const double expected = cascadeMagnitude(cascade, omega);
                        ASSERT_TRUE(measured.settled);
                        EXPECT_NEAR(std::abs(measured.response), expected, 1e-7 * std::max(1.0, expected))
                            << "solo " << solo << " kind " << kind << " slope " << slope << " f " << layout.f
                            << " q " << layout.q << " wet " << layout.wet << " probe " << probe;
                    }
                }
}

TEST(BandCascade, SectionCountsPerKindAndSlope)
{
    const int passCounts[] = {1, 1, 2, 2, 4, 8};
    const int shapeCounts[] = {1, 1, 1, 2, 4, 4};
    for (int slope = 0; slope <= 5; ++slope)
    {
        for (int kind = 0; kind <= 5; ++kind)
        {
            const BandCascade cascade = designCascade(kind, slope, 1000.0, 2.0, 6.0, kFs, false);
            EXPECT_EQ(cascade.sectionCount, kind >= 4 ? passCounts[slope] : shapeCounts[slope])
                << "kind " << kind << " slope " << slope;
            EXPECT_EQ(cascade.wet, 1.0);
        }
        const BandCascade solo = designCascade(4, slope, 1000.0, 2.0, 6.0, kFs, true);
        ASSERT_EQ(solo.sectionCount, 1);
        EXPECT_NEAR(cascadeMagnitude(solo, omegaOf(1000.0)), 1.0, 1e-12); // listen band-pass: unity at f
    }
    // One-poles only where the slope is odd-order.
    EXPECT_TRUE(designCascade(4, 0, 1000.0, 2.0, 0.0, kFs, false).sections[0].isOnePole);
    EXPECT_TRUE(designCascade(5, 2, 1000.0, 2.0, 0.0, kFs, false).sections[0].isOnePole);
    EXPECT_FALSE(designCascade(5, 2, 1000.0, 2.0, 0.0, kFs, false).sections[1].isOnePole);
}

TEST(BandCascade, ButterworthCornerIsMinus3DbForEveryPassSlope)
{
    for (int kind : {4, 5})
        for (int slope = 0; slope <= 5; ++slope)
            for (double f : {100.0, 1000.0, 10000.0})
            {
                const BandCascade cascade = designCascade(kind, slope, f, kButterworthQ, 0.0, kFs, false);
                EXPECT_NEAR(db(cascadeMagnitude(cascade, omegaOf(f))), db(std::sqrt(0.5)), 1e-3)
                    << "kind " << kind << " slope " << slope << " f " << f;
                // Maximally flat: no overshoot in the pass band (beyond the rounding of the tabled Qs).
                const double pass = kind == 4 ? 4.0 * f : f / 4.0;
                EXPECT_LT(cascadeMagnitude(cascade, omegaOf(pass)), 1.0 + 1e-4);
            }
}

TEST(BandCascade, UserQScalesOnlyTheLastPolePair)
{
    const double butterworthQs[][8] = {
        {}, {}, {1.0}, {0.5412, 1.30656}, {0.5098, 0.60134, 0.89998, 2.56292}, {},
    };
    for (int slope = 2; slope <= 5; ++slope)
        for (double scale : {0.5, 2.0, 10.0})
        {
            const double q = kButterworthQ * scale;
            const BandCascade plain = designCascade(4, slope, 1000.0, kButterworthQ, 0.0, kFs, false);
            const BandCascade shaped = designCascade(4, slope, 1000.0, q, 0.0, kFs, false);
            ASSERT_EQ(plain.sectionCount, shaped.sectionCount);
            const int last = shaped.sectionCount - 1;
            for (int i = 0; i < last; ++i)
            {
                EXPECT_EQ(shaped.sections[i].svf.a1, plain.sections[i].svf.a1)
                    << "slope " << slope << " i " << i;
                EXPECT_EQ(shaped.sections[i].svf.m1, plain.sections[i].svf.m1)
                    << "slope " << slope << " i " << i;
                if (slope != 5 && !shaped.sections[i].isOnePole)
                    EXPECT_NEAR(-1.0 / shaped.sections[i].svf.m1, butterworthQs[slope][i], 1e-12);
            }
            // HighPass m1 = -k = -1/Q: the last pair's Q is the Butterworth value times the user's scale.
            const double lastQ = -1.0 / shaped.sections[last].svf.m1;
            const double butterworthLastQ = -1.0 / plain.sections[last].svf.m1;
            EXPECT_NEAR(lastQ, butterworthLastQ * scale, 1e-9) << "slope " << slope;
        }
    // 96 dB/oct: Q of pair n is 1/(2·sin((2n-1)·π/32)), from n = 8 down to the resonant n = 1.
    const BandCascade steep = designCascade(4, 5, 1000.0, kButterworthQ, 0.0, kFs, false);
    for (int i = 0; i < 8; ++i)
    {
        const int n = 8 - i;
        EXPECT_NEAR(-1.0 / steep.sections[i].svf.m1, 1.0 / (2.0 * std::sin((2 * n - 1) * kPi / 32.0)), 1e-12)
            << "n " << n;
    }
}

TEST(BandCascade, SteepBellsSpreadAroundTheCentreWithNormalisedGain)
{
    struct Case
    {
        int slope;
        double q;
        std::vector<double> offsets; // section position in units of the spacing m
        double normaliser;           // sum of 1/(o² + 1), o = offset·1.2
    };
    const Case cases[] = {
        {3, 2.0, {-0.5, 0.5}, 2.0 / 1.36},
        {4, 2.0, {-1.5, -0.5, 0.5, 1.5}, 2.0 / 4.24 + 2.0 / 1.36},
        {5, 0.7, {-1.5, -0.5, 0.5, 1.5}, 2.0 / 4.24 + 2.0 / 1.36},
    };
    const double f = 2000.0, gainDb = 9.0;
    for (const Case& c : cases)
    {
        const BandCascade cascade = designCascade(0, c.slope, f, c.q, gainDb, kFs, false);
        ASSERT_EQ(cascade.sectionCount, static_cast<int>(c.offsets.size()));
        const double bandwidth = std::asinh(1.0 / (2.0 * c.q)) * 2.0 / std::log(2.0);
        const double m = 0.6 * bandwidth;
        for (int j = 0; j < cascade.sectionCount; ++j)
        {
            const double fj = designedFrequency(cascade.sections[j].svf);
            EXPECT_NEAR(std::log2(fj / f), c.offsets[j] * m, 1e-9) << "slope " << c.slope << " j " << j;
            // A bell section peaks at exactly its own gain at its own centre.
            FilterSection alone = cascade.sections[j];
            EXPECT_NEAR(db(std::abs(sectionResponse(alone, omegaOf(fj)))), gainDb / c.normaliser, 1e-9);
        }
    }
    // Notches spread the same way.
    const BandCascade notch = designCascade(3, 4, f, 2.0, 0.0, kFs, false);
    const BandCascade bell = designCascade(0, 4, f, 2.0, 6.0, kFs, false);
    for (int j = 0; j < 4; ++j)
        EXPECT_NEAR(designedFrequency(notch.sections[j].svf), designedFrequency(bell.sections[j].svf), 1e-9);
}

TEST(BandCascade, SpreadBellsStayFiniteForNonPositiveQ)
{
    for (double q : {0.0, -1.0, static_cast<double>(NAN)})
    {
        const BandCascade cascade = designCascade(0, 4, 1000.0, q, 6.0, kFs, false);
        for (int j = 0; j < cascade.sectionCount; ++j)
        {
            const SvfCoefficients& c = cascade.sections[j].svf;
            EXPECT_TRUE(std::isfinite(c.a1) && std::isfinite(c.a2) && std::isfinite(c.a3) &&
                        std::isfinite(c.m0) && std::isfinite(c.m1) && std::isfinite(c.m2))
                << "q " << q << " section " << j;
        }
        EXPECT_TRUE(std::isfinite(cascadeMagnitude(cascade, omegaOf(1000.0)))) << "q " << q;
    }
}

TEST(BandCascade, SteepShelvesSplitTheGainEvenly)
{
    const double f = 500.0;
    for (int slope : {3, 4, 5})
        for (int kind : {1, 2})
        {
            const BandCascade cascade = designCascade(kind, slope, f, 0.7071, -12.0, kFs, false);
            const int count = slope == 3 ? 2 : 4;
            ASSERT_EQ(cascade.sectionCount, count);
            const double shelfOmega = omegaOf(kind == 1 ? 5.0 : 0.49 * kFs);
            for (int j = 0; j < count; ++j)
            {
                EXPECT_EQ(cascade.sections[j].svf.a1, cascade.sections[0].svf.a1);
                EXPECT_EQ(cascade.sections[j].svf.m2, cascade.sections[0].svf.m2);
            }
            EXPECT_NEAR(db(std::abs(sectionResponse(cascade.sections[0], shelfOmega))), -12.0 / count, 0.05);
            EXPECT_NEAR(db(cascadeMagnitude(cascade, shelfOmega)), -12.0, 0.2);
        }
}

TEST(BandCascade, WetBlendMixesFilteredAndDry)
{
    BandCascade notched = designCascade(3, 1, 1000.0, 2.0, 0.0, kFs, false);
    BandCascade blended = notched;
    blended.wet = 0.25;
    BandChannelState a, b;
    for (int i = 0; i < 500; ++i)
    {
        const double x = std::sin(0.05 * i) + 0.3 * std::sin(0.31 * i);
        const double y = processCascade(notched, a, x);
        EXPECT_EQ(processCascade(blended, b, x), x + 0.25 * (y - x));
    }
    BandCascade dry = notched;
    dry.wet = 0.0;
    BandChannelState c;
    for (double x : {0.5, -0.25, 1.0, 0.0, 0.75})
        EXPECT_EQ(processCascade(dry, c, x), x);
    EXPECT_NEAR(cascadeMagnitude(blended, omegaOf(1000.0)), 0.75, 1e-12);
}

// The batch form must give every point's magnitude exactly as the single-point form does, for every
// layout, listen filter and blend, at frequencies from near DC to near Nyquist.
TEST(BandCascade, BatchMagnitudesEqualSinglePointMagnitudesBitForBit)
{
    std::vector<UnitCirclePoint> points;
    for (double f = 3.0; f < 0.5 * kFs; f *= 1.13)
        points.push_back(UnitCirclePoint::at(omegaOf(f)));
    points.push_back(UnitCirclePoint::at(omegaOf(1000.0))); // on a centre frequency
    const int count = static_cast<int>(points.size());
    ASSERT_GT(count, 64); // more than one chunk of the batch form
    for (bool solo : {false, true})
        for (int kind = 0; kind <= 5; ++kind)
            for (int slope = 0; slope <= 5; ++slope)
                for (double wet : {1.0, 0.3})
                {
                    BandCascade cascade =
                        designCascade(kind, slope, 1000.0, 2.5, kind == 2 ? -9.0 : 7.5, kFs, solo);
                    cascade.wet = wet;
                    std::vector<double> batch(points.size());
                    cascadeMagnitudes(cascade, points.data(), count, batch.data());
                    for (int i = 0; i < count; ++i)
                    {
                        const double single = cascadeMagnitude(cascade, points[static_cast<size_t>(i)]);
                        ASSERT_EQ(std::memcmp(&single, &batch[static_cast<size_t>(i)], sizeof single), 0)
                            << "kind " << kind << " slope " << slope << " solo " << solo << " wet " << wet
                            << " point " << i;
                    }
                }
}

TEST(BandCascade, EmptyCascadeIsIdentity)
{
    const BandCascade empty;
    BandChannelState st;
    EXPECT_EQ(processCascade(empty, st, 0.375), 0.375);
    EXPECT_EQ(cascadeMagnitude(empty, 1.0), 1.0);
}

} // namespace
} // namespace vivera::dsp
