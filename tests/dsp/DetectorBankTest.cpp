// Several detectors at once and the phased sub-block: each detector must end bit for bit where the plain
// per-sample recursion leaves it, on every kernel path; the sidechain filters side by side must equal the
// section run alone; cached coefficients must equal fresh ones and follow every input.
#include "SimdLevels.h"
#include "dsp/BandDetector.h"
#include "dsp/PortableLog10.h"
#include "dsp/SvfLanes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace vivera::dsp
{
namespace
{
using namespace test;

// The detector written as one loop per sample, as the arithmetic reads.
double referenceDetector(BandDetector& d, const DetectorSettings& s, const float* ch0, const float* ch1,
                         int n, double scHz, double fs)
{
    const DetectorCoefficients k = detectorCoefficients(s, scHz, fs);
    const bool stereo = s.channelMode != kChannelMid && s.channelMode != kChannelSide;
    for (int i = 0; i < n; ++i)
    {
        double a, b = 0.0;
        if (stereo)
        {
            a = ch0[i];
            b = ch1[i];
        }
        else if (s.channelMode == kChannelMid)
            a = 0.5 * (static_cast<double>(ch0[i]) + ch1[i]);
        else
            a = 0.5 * (static_cast<double>(ch0[i]) - ch1[i]);
        if (s.sibilance)
        {
            const double q = stereo ? 0.5 * (a * a + b * b) : a * a;
            d.fullBandMeanSquare += (q - d.fullBandMeanSquare) * k.follow10ms;
        }
        const double ya = processSvfSection(k.filter, d.ic1L, d.ic2L, a);
        const double yb = stereo ? processSvfSection(k.filter, d.ic1R, d.ic2R, b) : 0.0;
        const double energy = stereo ? 0.5 * (ya * ya + yb * yb) : ya * ya;
        double over;
        if (s.transientDetector)
        {
            d.fastMeanSquare += (energy - d.fastMeanSquare) * k.followFast;
            d.slowMeanSquare += (energy - d.slowMeanSquare) * k.followSlow;
            d.envelope = std::sqrt(d.fastMeanSquare);
            d.levelDb = 10.0 * portableLog10((d.fastMeanSquare + 1e-12) / (d.slowMeanSquare + 1e-12));
            over = s.above ? d.levelDb - k.transientThresholdDb : k.transientThresholdDb - d.levelDb;
        }
        else
        {
            if (s.rms)
            {
                d.meanSquare += (energy - d.meanSquare) * k.follow10ms;
                d.envelope = std::sqrt(d.meanSquare);
            }
            else
                d.envelope = std::max(k.peakDecay * d.envelope,
                                      stereo ? std::max(std::abs(ya), std::abs(yb)) : std::abs(ya));
            d.levelDb = 20.0 * portableLog10(d.envelope + 1e-9);
            if (s.sibilance)
                d.levelDb -= 10.0 * portableLog10(d.fullBandMeanSquare + 1e-12);
            over = s.above ? d.levelDb - s.thresholdDb : s.thresholdDb - d.levelDb;
        }
        double x;
        const double w = k.kneeWidth;
        if (w < 0.01)
            x = std::max(over, 0.0);
        else if (over < -0.5 * w)
            x = 0.0;
        else if (over > 0.5 * w)
            x = over;
        else
            x = (over + 0.5 * w) * (over + 0.5 * w) / (2.0 * w);
        const double wanted = x * k.slope;
        const double c = wanted > d.reductionDb ? k.attack : k.release;
        d.reductionDb = (1.0 - c) * wanted + c * d.reductionDb;
    }
    const double amount = d.reductionDb / std::max(s.rangeDb, 0.1);
    return amount > 0.0 ? std::min(amount, 1.0) : 0.0;
}

DetectorSettings randomSettings(std::mt19937& rng)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    DetectorSettings s;
    s.thresholdDb = -60.0 + 60.0 * unit(rng);
    s.ratio = 1.0 + 10.0 * unit(rng);
    s.attackMs = 0.1 + 50.0 * unit(rng);
    s.releaseMs = 5.0 + 500.0 * unit(rng);
    s.kneeDb = unit(rng) < 0.3 ? 0.0 : 12.0 * unit(rng);
    s.rangeDb = 1.0 + 24.0 * unit(rng);
    s.scQ = 0.5 + 8.0 * unit(rng);
    s.above = unit(rng) < 0.5;
    s.rms = unit(rng) < 0.5;
    s.transientDetector = unit(rng) < 0.25;
    s.sibilance = !s.transientDetector && unit(rng) < 0.3;
    s.channelMode = static_cast<int>(rng() % 3);
    s.scShape = static_cast<int>(rng() % 3);
    return s;
}

bool sameState(const BandDetector& a, const BandDetector& b)
{
    const double x[] = {a.levelDb,           a.ic1L,       a.ic1R,        a.ic2L,           a.ic2R,
                        a.envelope,          a.meanSquare, a.reductionDb, a.fastMeanSquare, a.slowMeanSquare,
                        a.fullBandMeanSquare};
    const double y[] = {b.levelDb,           b.ic1L,       b.ic1R,        b.ic2L,           b.ic2R,
                        b.envelope,          b.meanSquare, b.reductionDb, b.fastMeanSquare, b.slowMeanSquare,
                        b.fullBandMeanSquare};
    return std::memcmp(x, y, sizeof x) == 0;
}

// Many detectors with mixed modes, sub-blocks of varying length (also above 32), a tone with bursts so
// the gain computers attack and release.
TEST(DetectorBank, EveryDetectorMatchesThePerSampleRecursionOnEveryPath)
{
    constexpr double fs = 48000.0;
    constexpr int kJobs = 13;
    constexpr int kTotal = 3000;
    std::mt19937 rng(21);
    std::normal_distribution<float> noise(0.0f, 0.2f);
    std::vector<float> left(kTotal), right(kTotal);
    for (int i = 0; i < kTotal; ++i)
    {
        const float burst = (i / 600) % 2 == 0 ? 1.0f : 0.05f;
        left[static_cast<size_t>(i)] = burst * (0.5f * std::sin(0.07f * i) + noise(rng));
        right[static_cast<size_t>(i)] = burst * (0.4f * std::sin(0.05f * i) + noise(rng));
    }
    std::vector<DetectorSettings> settings;
    std::vector<double> scHz;
    for (int j = 0; j < kJobs; ++j)
    {
        settings.push_back(randomSettings(rng));
        scHz.push_back(100.0 * (j + 1) + 37.0 * j * j);
    }
    std::vector<int> lengths;
    for (int total = 0; total < kTotal;)
    {
        const int m = std::min(1 + static_cast<int>(rng() % 45), kTotal - total);
        lengths.push_back(m);
        total += m;
    }

    std::vector<BandDetector> reference(kJobs);
    std::vector<std::vector<double>> expectedAmounts(kJobs);
    for (int j = 0; j < kJobs; ++j)
        for (int offset = 0, b = 0; offset < kTotal; offset += lengths[static_cast<size_t>(b++)])
            expectedAmounts[static_cast<size_t>(j)].push_back(referenceDetector(
                reference[static_cast<size_t>(j)], settings[static_cast<size_t>(j)], left.data() + offset,
                right.data() + offset, lengths[static_cast<size_t>(b)], scHz[static_cast<size_t>(j)], fs));

    for (SimdLevel level : supportedSimdLevels())
    {
        ScopedSimdLevel forced(level);
        std::vector<BandDetector> single(kJobs), bank(kJobs);
        for (int offset = 0, b = 0; offset < kTotal; offset += lengths[static_cast<size_t>(b++)])
        {
            const int m = lengths[static_cast<size_t>(b)];
            std::vector<DetectorJob> jobs(kJobs);
            for (int j = 0; j < kJobs; ++j)
            {
                const size_t k = static_cast<size_t>(j);
                const double amount = runDetector(single[k], settings[k], left.data() + offset,
                                                  right.data() + offset, m, scHz[k], fs);
                ASSERT_EQ(amount, expectedAmounts[k][static_cast<size_t>(b)])
                    << simdLevelName(level) << " single detector " << j << " sub-block " << b;
                jobs[k] = {&bank[k], &settings[k], left.data() + offset, right.data() + offset,
                           scHz[k],  -1.0};
            }
            runDetectors(jobs.data(), kJobs, m, fs);
            for (int j = 0; j < kJobs; ++j)
                ASSERT_EQ(jobs[static_cast<size_t>(j)].amount,
                          expectedAmounts[static_cast<size_t>(j)][static_cast<size_t>(b)])
                    << simdLevelName(level) << " bank detector " << j << " sub-block " << b;
        }
        for (int j = 0; j < kJobs; ++j)
        {
            EXPECT_TRUE(sameState(single[static_cast<size_t>(j)], reference[static_cast<size_t>(j)]))
                << simdLevelName(level) << " detector " << j;
            EXPECT_TRUE(sameState(bank[static_cast<size_t>(j)], reference[static_cast<size_t>(j)]))
                << simdLevelName(level) << " detector " << j;
        }
    }
}

// The usual bank: one to five peak or RMS detectors (no transient or sibilance measure) in every channel
// mode, the sizes a vocal setting runs in one sub-block; each must end bit for bit where the per-sample
// recursion leaves it, including a silent stretch where the level floors are reached.
TEST(DetectorBank, SmallBanksOfLevelDetectorsMatchThePerSampleRecursionOnEveryPath)
{
    constexpr double fs = 48000.0;
    constexpr int kTotal = 1200;
    std::mt19937 rng(5);
    std::normal_distribution<float> noise(0.0f, 0.3f);
    std::vector<float> left(kTotal), right(kTotal);
    for (int i = 0; i < kTotal; ++i)
    {
        const float burst = i < 300 ? 1.0f : i < 500 ? 0.0f : (i / 150) % 2 == 0 ? 0.8f : 0.02f;
        left[static_cast<size_t>(i)] = burst * (0.6f * std::sin(0.05f * i) + noise(rng));
        right[static_cast<size_t>(i)] = burst * (0.3f * std::sin(0.09f * i) + noise(rng));
    }
    for (int count = 1; count <= 5; ++count)
    {
        std::vector<DetectorSettings> settings;
        std::vector<double> scHz;
        for (int j = 0; j < count; ++j)
        {
            DetectorSettings s = randomSettings(rng);
            s.transientDetector = false;
            s.sibilance = false;
            s.channelMode = (j + count) % 3;
            s.rms = (j + count) % 2 == 0;
            settings.push_back(s);
            scHz.push_back(300.0 + 450.0 * j);
        }
        std::vector<int> lengths;
        for (int total = 0; total < kTotal;)
        {
            const int m = std::min(1 + static_cast<int>(rng() % 32), kTotal - total);
            lengths.push_back(m);
            total += m;
        }
        std::vector<BandDetector> reference(static_cast<size_t>(count));
        std::vector<std::vector<double>> expectedAmounts(static_cast<size_t>(count));
        for (size_t j = 0; j < static_cast<size_t>(count); ++j)
            for (int offset = 0, b = 0; offset < kTotal; offset += lengths[static_cast<size_t>(b++)])
                expectedAmounts[j].push_back(referenceDetector(reference[j], settings[j],
                                                               left.data() + offset, right.data() + offset,
                                                               lengths[static_cast<size_t>(b)], scHz[j], fs));

        for (SimdLevel level : supportedSimdLevels())
        {
            ScopedSimdLevel forced(level);
            std::vector<BandDetector> bank(static_cast<size_t>(count));
            for (int offset = 0, b = 0; offset < kTotal; offset += lengths[static_cast<size_t>(b++)])
            {
                std::vector<DetectorJob> jobs(static_cast<size_t>(count));
                for (size_t j = 0; j < static_cast<size_t>(count); ++j)
                    jobs[j] = {&bank[j], &settings[j], left.data() + offset, right.data() + offset,
                               scHz[j],  -1.0};
                runDetectors(jobs.data(), count, lengths[static_cast<size_t>(b)], fs);
                for (size_t j = 0; j < static_cast<size_t>(count); ++j)
                    ASSERT_EQ(jobs[j].amount, expectedAmounts[j][static_cast<size_t>(b)])
                        << simdLevelName(level) << " bank of " << count << ", detector " << j << " sub-block "
                        << b;
            }
            for (size_t j = 0; j < static_cast<size_t>(count); ++j)
                EXPECT_TRUE(sameState(bank[j], reference[j]))
                    << simdLevelName(level) << " bank of " << count << ", detector " << j;
        }
    }
}

TEST(DetectorBank, CachedCoefficientsEqualFreshOnesAndFollowEveryInput)
{
    auto same = [](const DetectorCoefficients& a, const DetectorCoefficients& b)
    { return std::memcmp(&a, &b, sizeof a) == 0; };
    DetectorCoefficientCache cache;
    DetectorSettings s;
    EXPECT_TRUE(same(cachedDetectorCoefficients(cache, s, 1000.0, 48000.0),
                     detectorCoefficients(s, 1000.0, 48000.0)));
    std::vector<DetectorSettings> variants(9, s);
    variants[0].attackMs = 3.0;
    variants[1].releaseMs = 40.0;
    variants[2].ratio = 2.0;
    variants[3].kneeDb = 1.0;
    variants[4].thresholdDb = -12.0;
    variants[5].scQ = 5.0;
    variants[6].scShape = kSidechainHigh;
    variants[7].scShape = kSidechainLow;
    variants[8].attackMs = -0.0; // same value as 0.0, other bits: recomputed, same result
    for (const DetectorSettings& v : variants)
        EXPECT_TRUE(same(cachedDetectorCoefficients(cache, v, 1000.0, 48000.0),
                         detectorCoefficients(v, 1000.0, 48000.0)));
    EXPECT_TRUE(same(cachedDetectorCoefficients(cache, s, 1500.0, 48000.0),
                     detectorCoefficients(s, 1500.0, 48000.0)));
    EXPECT_TRUE(same(cachedDetectorCoefficients(cache, s, 1500.0, 96000.0),
                     detectorCoefficients(s, 1500.0, 96000.0)));
    EXPECT_TRUE(same(cachedDetectorCoefficients(cache, s, 1500.0, 96000.0),
                     detectorCoefficients(s, 1500.0, 96000.0)));
}

TEST(SvfLanes, SideBySideSectionsEqualTheSectionRunAlone)
{
    std::mt19937 rng(4);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    constexpr int kMaxLanes = 19;
    std::vector<SvfCoefficients> coefficients;
    for (int l = 0; l < kMaxLanes; ++l)
        coefficients.push_back(designSvfSection(l % 7, 50.0 * (l + 1), 0.5 + l, l - 9.0, 48000.0));
    for (SimdLevel level : supportedSimdLevels())
    {
        ScopedSimdLevel forced(level);
        for (int count : {1, 2, 3, 4, 5, 7, 8, 9, 16, 17, kMaxLanes})
            for (int n : {1, 5, 32, 70})
            {
                std::vector<std::vector<double>> input(static_cast<size_t>(count)), output = input;
                std::vector<double> ic1(static_cast<size_t>(count)), ic2(static_cast<size_t>(count));
                std::vector<double> refIc1(static_cast<size_t>(count)), refIc2(static_cast<size_t>(count));
                std::vector<SvfLane> lanes;
                for (size_t l = 0; l < static_cast<size_t>(count); ++l)
                {
                    ic1[l] = refIc1[l] = dist(rng);
                    ic2[l] = refIc2[l] = dist(rng);
                    for (int i = 0; i < n; ++i)
                        input[l].push_back(dist(rng));
                    output[l].assign(static_cast<size_t>(n), 0.0);
                }
                for (size_t l = 0; l < static_cast<size_t>(count); ++l)
                    lanes.push_back({&coefficients[l], &ic1[l], &ic2[l], input[l].data(), output[l].data()});
                runSvfLanes(lanes.data(), count, n);
                for (size_t l = 0; l < static_cast<size_t>(count); ++l)
                {
                    for (int i = 0; i < n; ++i)
                    {
                        const double expected = processSvfSection(coefficients[l], refIc1[l], refIc2[l],
                                                                  input[l][static_cast<size_t>(i)]);
                        ASSERT_EQ(std::memcmp(&output[l][static_cast<size_t>(i)], &expected, sizeof expected),
                                  0)
                            << simdLevelName(level) << " lanes " << count << " n " << n << " lane " << l;
                    }
                    ASSERT_EQ(ic1[l], refIc1[l]);
                    ASSERT_EQ(ic2[l], refIc2[l]);
                }
            }
    }
}

} // namespace
} // namespace vivera::dsp
