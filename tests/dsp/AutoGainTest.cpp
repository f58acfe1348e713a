// Auto-gain estimate: which bands count, how Mid/Side bands are weighted, the clamp, and that a cut never
// raises the level.
#include "dsp/AutoGain.h"

#include <gtest/gtest.h>

namespace vivera::dsp
{
namespace
{
constexpr double kFs = 48000.0;

AutoGainBand bell(float gainDb, float mult = 4.0f, int chan = 0, float type = 0.0f)
{
    AutoGainBand band;
    band.used = true;
    band.mult = mult;
    band.chan = chan;
    band.filter.type = type;
    band.filter.slope = 1.0f;
    band.filter.gainDb = gainDb;
    band.filter.q = 0.7f;
    return band;
}

TEST(AutoGain, NoUsableBandGivesZero)
{
    std::array<AutoGainBand, 16> bands{};
    EXPECT_EQ(estimateAutoGain(bands, 220.0f, kFs), 0.0f);
    bands[0] = bell(12.0f);
    bands[0].used = false;
    EXPECT_EQ(estimateAutoGain(bands, 220.0f, kFs), 0.0f);
    bands[0].used = true;
    EXPECT_EQ(estimateAutoGain(bands, 4.0f, kFs), 0.0f);    // 16 Hz: below 20 Hz
    EXPECT_EQ(estimateAutoGain(bands, 6000.0f, kFs), 0.0f); // 24 kHz: above 0.49·fs
    EXPECT_EQ(estimateAutoGain(bands, 0.0f, kFs), 0.0f);
}

TEST(AutoGain, BoostIsAnsweredByACutAndACutIsLeftAlone)
{
    std::array<AutoGainBand, 16> bands{};
    bands[0] = bell(6.0f);
    const float boost = estimateAutoGain(bands, 250.0f, kFs);
    EXPECT_LT(boost, -0.5f);
    EXPECT_GT(boost, -6.0f); // averaged over the whole range, well below the peak gain
    bands[0] = bell(-6.0f);
    EXPECT_EQ(estimateAutoGain(bands, 250.0f, kFs), 0.0f);
    // A wider boost weighs more.
    bands[0] = bell(6.0f);
    bands[0].filter.type = 1.0f; // low shelf at 1 kHz lifts a third of the log-spaced points
    EXPECT_LT(estimateAutoGain(bands, 250.0f, kFs), boost);
}

TEST(AutoGain, MidAndSideBandsCountHalf)
{
    for (int chan : {1, 2})
    {
        std::array<AutoGainBand, 16> two{}, one{};
        two[0] = bell(6.0f, 4.0f, chan);
        two[5] = bell(6.0f, 4.0f, chan);
        one[0] = bell(6.0f);
        EXPECT_FLOAT_EQ(estimateAutoGain(two, 250.0f, kFs), estimateAutoGain(one, 250.0f, kFs))
            << "chan " << chan;
        std::array<AutoGainBand, 16> single{};
        single[0] = bell(6.0f, 4.0f, chan);
        EXPECT_GT(estimateAutoGain(single, 250.0f, kFs), estimateAutoGain(one, 250.0f, kFs));
    }
}

TEST(AutoGain, LargeBoostIsClampedAt24Db)
{
    std::array<AutoGainBand, 16> bands{};
    for (int k = 0; k < 16; ++k)
    {
        bands[k] = bell(36.0f, 1.0f + k);
        bands[k].filter.type = 1.0f; // low shelves
        bands[k].filter.scalePercent = 200.0f;
    }
    EXPECT_EQ(estimateAutoGain(bands, 200.0f, kFs), -24.0f);
}

TEST(AutoGain, DynamicAndSoloedBandsCountAtTheirStaticSetting)
{
    std::array<AutoGainBand, 16> bell6{}, transient6{};
    bell6[0] = bell(6.0f);
    transient6[0] = bell(6.0f, 4.0f, 0, 6.0f); // level-dependent type: a Bell at its full gain
    EXPECT_EQ(estimateAutoGain(transient6, 250.0f, kFs), estimateAutoGain(bell6, 250.0f, kFs));
}

TEST(AutoGain, FrozenBandsSitOnTheirFrozenPitch)
{
    std::array<AutoGainBand, 16> frozen{}, live{};
    frozen[0] = bell(6.0f);
    frozen[0].frozen = true;
    frozen[0].frozenPitch = 120.0f;
    live[0] = bell(6.0f);
    EXPECT_EQ(estimateAutoGain(frozen, 900.0f, kFs), estimateAutoGain(live, 120.0f, kFs));
    EXPECT_NE(estimateAutoGain(frozen, 900.0f, kFs), estimateAutoGain(live, 900.0f, kFs));
}

} // namespace
} // namespace vivera::dsp
