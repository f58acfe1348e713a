// Band design from raw settings: type folding, gain scaling and clamps, slope clamp, the dynamic amount
// as gain (shapes) or as dry/wet blend (Notch, High Pass, Low Pass), and inactive bands.
#include "dsp/BandDesign.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace vivera::dsp
{
namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr double kFs = 48000.0;

BandFilterSettings settings(float type, float slope, float gainDb, float q, float scalePercent = 100.0f)
{
    BandFilterSettings s;
    s.type = type;
    s.slope = slope;
    s.gainDb = gainDb;
    s.q = q;
    s.scalePercent = scalePercent;
    return s;
}

bool sameCascade(const BandCascade& a, const BandCascade& b)
{
    if (a.sectionCount != b.sectionCount || a.wet != b.wet)
        return false;
    for (int i = 0; i < a.sectionCount; ++i)
    {
        const FilterSection &x = a.sections[i], &y = b.sections[i];
        if (x.isOnePole != y.isOnePole || x.isHighPass != y.isHighPass || x.G != y.G ||
            x.svf.a1 != y.svf.a1 || x.svf.a2 != y.svf.a2 || x.svf.a3 != y.svf.a3 || x.svf.m0 != y.svf.m0 ||
            x.svf.m1 != y.svf.m1 || x.svf.m2 != y.svf.m2)
            return false;
    }
    return true;
}

BandCascade design(const BandFilterSettings& s, double f = 1000.0, bool solo = false, double amount = 1.0)
{
    BandCascade out;
    EXPECT_TRUE(designBand(s, kFs, f, solo, amount, out));
    return out;
}

TEST(BandDesign, BellAtCentreReachesItsGainExactly)
{
    const BandCascade cascade = design(settings(0, 0, 6.0f, 2.0f));
    EXPECT_NEAR(cascadeMagnitude(cascade, 2.0 * kPi * 1000.0 / kFs), std::pow(10.0, 6.0 / 20.0), 1e-12);
}

TEST(BandDesign, GainIsScaledByAmountAndScaleThenClamped)
{
    struct Case
    {
        float gainDb, scalePercent;
        double amount;
        double expectedDb;
    };
    const Case cases[] = {
        {36.0f, 200.0f, 1.0, 72.0}, {-36.0f, 200.0f, 1.0, -72.0}, {36.0f, 250.0f, 1.0, 72.0},
        {12.0f, 50.0f, 1.0, 6.0},   {12.0f, 100.0f, 0.5, 6.0},    {12.0f, 100.0f, 1.5, 12.0},
        {12.0f, 100.0f, -0.5, 0.0}, {-9.0f, 100.0f, 0.0, 0.0},
    };
    for (float type : {0.0f, 1.0f, 2.0f, 6.0f, 9.0f})
        for (const Case& c : cases)
        {
            const int kind = type >= 6.0f ? 0 : static_cast<int>(type);
            const BandCascade actual =
                design(settings(type, 3, c.gainDb, 2.0f, c.scalePercent), 1000.0, false, c.amount);
            const BandCascade expected = designCascade(kind, 3, 1000.0, 2.0, c.expectedDb, kFs, false);
            EXPECT_TRUE(sameCascade(actual, expected)) << "type " << type << " gain " << c.gainDb << " scale "
                                                       << c.scalePercent << " amount " << c.amount;
        }
}

TEST(BandDesign, NotchAndPassTypesBlendByAmountUnlessSoloed)
{
    for (float type : {3.0f, 4.0f, 5.0f})
        for (double amount : {0.0, 0.25, 1.0, 2.0})
        {
            const BandCascade cascade = design(settings(type, 1, 24.0f, 2.0f), 1000.0, false, amount);
            const BandCascade full = designCascade(static_cast<int>(type), 1, 1000.0, 2.0, 0.0, kFs, false);
            EXPECT_EQ(cascade.wet, std::min(amount, 1.0)) << "type " << type;
            BandCascade unblended = cascade;
            unblended.wet = 1.0;
            EXPECT_TRUE(sameCascade(unblended, full)) << "gain must be ignored, type " << type;

            const BandCascade soloed = design(settings(type, 1, 24.0f, 2.0f), 1000.0, true, amount);
            EXPECT_EQ(soloed.wet, 1.0);
        }
    // Shapes act through their gain, never through the blend.
    EXPECT_EQ(design(settings(0, 1, 6.0f, 2.0f), 1000.0, false, 0.25).wet, 1.0);
    EXPECT_EQ(design(settings(8, 1, 6.0f, 2.0f), 1000.0, false, 0.25).wet, 1.0);
}

TEST(BandDesign, TypeAndSlopeAreFoldedIntoRange)
{
    struct Case
    {
        float type, slope;
        int kind, expectedSlope;
    };
    const Case cases[] = {
        {-3.0f, 1.0f, 0, 1}, {3.7f, 1.0f, 3, 1},  {4.0f, -2.0f, 4, 0}, {5.0f, 9.0f, 5, 5},
        {7.0f, 4.0f, 0, 4},  {12.0f, 2.9f, 0, 2}, {NAN, NAN, 0, 0},
    };
    for (const Case& c : cases)
    {
        const BandCascade actual = design(settings(c.type, c.slope, 6.0f, 1.5f));
        const double gain = c.kind >= 3 ? 0.0 : 6.0;
        const BandCascade expected = designCascade(c.kind, c.expectedSlope, 1000.0, 1.5, gain, kFs, false);
        EXPECT_TRUE(sameCascade(actual, expected)) << "type " << c.type << " slope " << c.slope;
    }
}

TEST(BandDesign, SoloDesignsTheListenBandPass)
{
    for (float type : {0.0f, 4.0f, 7.0f})
    {
        const BandCascade cascade = design(settings(type, 5, 12.0f, 3.0f), 2000.0, true);
        EXPECT_TRUE(sameCascade(cascade, designCascade(0, 0, 2000.0, 3.0, 0.0, kFs, true)));
        EXPECT_NEAR(cascadeMagnitude(cascade, 2.0 * kPi * 2000.0 / kFs), 1.0, 1e-12);
    }
}

TEST(BandDesign, NonPositiveFrequencyLeavesTheCascadeUntouched)
{
    BandCascade out = designCascade(1, 3, 300.0, 1.0, 4.0, kFs, false);
    out.wet = 0.5;
    const BandCascade before = out;
    for (double f : {0.0, -100.0, static_cast<double>(NAN)})
    {
        EXPECT_FALSE(designBand(settings(0, 1, 6.0f, 2.0f), kFs, f, false, 1.0, out));
        EXPECT_TRUE(sameCascade(out, before));
    }
}

} // namespace
} // namespace vivera::dsp
