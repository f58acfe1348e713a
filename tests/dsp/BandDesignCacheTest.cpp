// The design cache must leave exactly the cascade a fresh design gives, whatever changes between
// sub-blocks: frequency, amount, any setting, solo, sample rate, or nothing at all.
#include "dsp/BandDesign.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace vivera::dsp
{
namespace
{
bool sameCascade(const BandCascade& a, const BandCascade& b)
{
    if (a.sectionCount != b.sectionCount || std::memcmp(&a.wet, &b.wet, sizeof a.wet) != 0)
        return false;
    for (size_t i = 0; i < a.sections.size(); ++i)
    {
        const FilterSection& x = a.sections[i];
        const FilterSection& y = b.sections[i];
        const double xv[] = {x.G, x.svf.a1, x.svf.a2, x.svf.a3, x.svf.m0, x.svf.m1, x.svf.m2};
        const double yv[] = {y.G, y.svf.a1, y.svf.a2, y.svf.a3, y.svf.m0, y.svf.m1, y.svf.m2};
        if (x.isOnePole != y.isOnePole || x.isHighPass != y.isHighPass || std::memcmp(xv, yv, sizeof xv) != 0)
            return false;
    }
    return true;
}

TEST(BandDesignCache, LeavesTheCascadeAFreshDesignGives)
{
    std::mt19937 rng(9);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    BandFilterSettings settings;
    double frequency = 440.0, amount = 1.0, rate = 48000.0;
    bool solo = false;
    BandDesignCache cache;
    BandCascade cached, fresh;
    for (int step = 0; step < 5000; ++step)
    {
        switch (pick(9))
        {
        case 0:
            frequency = pick(4) == 0 ? 0.0 : 30.0 + pick(20000); // sometimes inactive
            break;
        case 1:
            amount = pick(3) == 0 ? 1.0 : pick(101) / 100.0;
            break;
        case 2:
            settings.type = static_cast<float>(pick(10));
            break;
        case 3:
            settings.slope = static_cast<float>(pick(6));
            break;
        case 4:
            settings.gainDb = static_cast<float>(pick(49) - 24);
            break;
        case 5:
            settings.q = 0.1f + static_cast<float>(pick(100)) / 10.0f;
            break;
        case 6:
            solo = pick(4) == 0;
            break;
        case 7:
            rate = pick(2) == 0 ? 48000.0 : 96000.0;
            break;
        default: // nothing changes: the cache keeps the cascade
            break;
        }
        const bool activeCached = designBandCached(cache, settings, rate, frequency, solo, amount, cached);
        const bool activeFresh = designBand(settings, rate, frequency, solo, amount, fresh);
        ASSERT_EQ(activeCached, activeFresh) << "step " << step;
        if (activeFresh)
            ASSERT_TRUE(sameCascade(cached, fresh)) << "step " << step << " type " << settings.type;
    }
}

// A dynamic High Pass band whose amount moves keeps its sections and changes only its blend.
TEST(BandDesignCache, AmountOfABlendingBandOnlyMovesTheBlend)
{
    BandFilterSettings settings;
    settings.type = 4.0f;
    settings.slope = 5.0f;
    BandDesignCache cache;
    BandCascade cascade;
    ASSERT_TRUE(designBandCached(cache, settings, 48000.0, 300.0, false, 0.25, cascade));
    const double a1 = cascade.sections[3].svf.a1;
    cascade.sections[3].svf.a1 = 12345.0; // marks the sections: a redesign would overwrite it
    ASSERT_TRUE(designBandCached(cache, settings, 48000.0, 300.0, false, 0.75, cascade));
    EXPECT_EQ(cascade.wet, 0.75);
    EXPECT_EQ(cascade.sections[3].svf.a1, 12345.0);
    ASSERT_TRUE(designBandCached(cache, settings, 48000.0, 301.0, false, 0.75, cascade));
    EXPECT_NE(cascade.sections[3].svf.a1, 12345.0);
    EXPECT_NE(cascade.sections[3].svf.a1, a1);
}

} // namespace
} // namespace vivera::dsp
