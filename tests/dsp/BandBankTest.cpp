// Band bank routing: Mid and Side bands leave the other component alone, listen mode sums the soloed
// band-passes, inactive bands restart from silence, and the block form equals the per-sample form bit for
// bit.
#include "dsp/BandBank.h"
#include "dsp/BandDesign.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace vivera::dsp
{
namespace
{
constexpr double kFs = 48000.0;

struct Stereo
{
    std::vector<double> left, right;
};

Stereo noise(int n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    Stereo s{std::vector<double>(static_cast<size_t>(n)), std::vector<double>(static_cast<size_t>(n))};
    for (int i = 0; i < n; ++i)
    {
        s.left[static_cast<size_t>(i)] = dist(rng);
        s.right[static_cast<size_t>(i)] = 0.3 * s.left[static_cast<size_t>(i)] + 0.7 * dist(rng);
    }
    return s;
}

void setBand(BandBank& bank, BandBankRouting& routing, int k, float type, float slope, float gainDb, double f,
             int chan, bool solo = false, double amount = 1.0)
{
    BandFilterSettings s;
    s.type = type;
    s.slope = slope;
    s.gainDb = gainDb;
    s.q = 1.5f;
    setBandActive(bank, k, designBand(s, kFs, f, solo, amount, bank.cascades[static_cast<size_t>(k)]));
    routing.chan[static_cast<size_t>(k)] = chan;
    routing.solo[static_cast<size_t>(k)] = solo;
    routing.listenMode = anyBandSoloed(routing);
}

Stereo runPerSample(BandBank& bank, const BandBankRouting& routing, Stereo signal)
{
    for (size_t i = 0; i < signal.left.size(); ++i)
        processBandBankSample(bank, routing, signal.left[i], signal.right[i]);
    return signal;
}

TEST(BandBank, MidAndSideBandsLeaveTheOtherComponentAlone)
{
    const Stereo input = noise(2000, 1);
    for (int chan : {kChannelMid, kChannelSide})
    {
        BandBank bank;
        BandBankRouting routing;
        routing.pitchAvailable = true;
        setBand(bank, routing, 0, 0, 1, 12.0f, 800.0, chan);
        setBand(bank, routing, 1, 4, 3, 0.0f, 200.0, chan);
        const Stereo out = runPerSample(bank, routing, input);
        double changed = 0.0;
        for (size_t i = 0; i < input.left.size(); ++i)
        {
            const double sign = chan == kChannelMid ? -1.0 : 1.0; // the component the band must not touch
            const double untouchedIn = (input.left[i] + sign * input.right[i]) / 2.0;
            const double untouchedOut = (out.left[i] + sign * out.right[i]) / 2.0;
            EXPECT_NEAR(untouchedOut, untouchedIn, 1e-14) << "chan " << chan << " sample " << i;
            changed = std::max(changed, std::abs(out.left[i] - input.left[i]));
        }
        EXPECT_GT(changed, 0.1) << "the band must act on its own component";
    }
}

TEST(BandBank, ListenModeSumsTheSoloedBandPassesOfTheDryInput)
{
    const Stereo input = noise(1000, 2);
    BandBank bank;
    BandBankRouting routing;
    routing.pitchAvailable = true;
    setBand(bank, routing, 0, 0, 1, 12.0f, 300.0, kChannelStereo);       // not soloed: silent
    setBand(bank, routing, 2, 4, 3, 0.0f, 1000.0, kChannelStereo, true); // high pass heard as band-pass
    setBand(bank, routing, 5, 0, 1, 6.0f, 3000.0, kChannelSide, true);
    setBand(bank, routing, 7, 1, 1, 6.0f, 5000.0, kChannelMid, true);
    ASSERT_TRUE(routing.listenMode);

    BandCascade a = designCascade(0, 0, 1000.0, 1.5, 0.0, kFs, true);
    BandCascade b = designCascade(0, 0, 3000.0, 1.5, 0.0, kFs, true);
    BandCascade c = designCascade(0, 0, 5000.0, 1.5, 0.0, kFs, true);
    BandChannelState aL, aR, bS, cM;
    const Stereo out = runPerSample(bank, routing, input);
    for (size_t i = 0; i < input.left.size(); ++i)
    {
        const double L = input.left[i], R = input.right[i];
        const double pa0 = processCascade(a, aL, L), pa1 = processCascade(a, aR, R);
        const double pb = processCascade(b, bS, (L - R) / 2.0);
        const double pc = processCascade(c, cM, (L + R) / 2.0);
        EXPECT_EQ(out.left[i], 0.0 + pa0 + pb + pc);
        EXPECT_EQ(out.right[i], 0.0 + pa1 - pb + pc);
    }
    // Listen mode with no soloed band left active is silence.
    setBandActive(bank, 2, false);
    setBandActive(bank, 5, false);
    setBandActive(bank, 7, false);
    const Stereo silent = runPerSample(bank, routing, input);
    for (size_t i = 0; i < input.left.size(); ++i)
        ASSERT_EQ(silent.left[i] + silent.right[i], 0.0);
}

TEST(BandBank, MonoBusRunsStereoBandsOnceAndCopiesTheResult)
{
    const Stereo input = noise(500, 3);
    BandBank bank, reference;
    BandBankRouting routing;
    routing.pitchAvailable = true;
    routing.mono = true;
    setBand(bank, routing, 0, 0, 1, 9.0f, 500.0, kChannelStereo);
    BandBankRouting unused = routing;
    setBand(reference, unused, 0, 0, 1, 9.0f, 500.0, kChannelStereo);
    for (size_t i = 0; i < input.left.size(); ++i)
    {
        double L = input.left[i], R = input.right[i]; // R is ignored on a mono bus
        processBandBankSample(bank, routing, L, R);
        const double expected = processCascade(reference.cascades[0], reference.states[0][0], input.left[i]);
        EXPECT_EQ(L, expected);
        EXPECT_EQ(R, expected);
    }
    for (double v : bank.states[0][1].ic1)
        EXPECT_EQ(v, 0.0);
}

TEST(BandBank, WithoutPitchTheInputPassesUnchanged)
{
    BandBank bank;
    BandBankRouting routing;
    setBand(bank, routing, 0, 0, 1, 12.0f, 500.0, kChannelStereo);
    routing.pitchAvailable = false;
    const Stereo input = noise(64, 4);
    Stereo block = input;
    processBandBank(bank, routing, block.left.data(), block.right.data(), 64);
    EXPECT_EQ(block.left, input.left);
    EXPECT_EQ(block.right, input.right);
}

TEST(BandBank, BandGoingInactiveRestartsFromSilence)
{
    const Stereo input = noise(600, 5);
    BandBank bank, fresh;
    BandBankRouting routing;
    routing.pitchAvailable = true;
    setBand(bank, routing, 3, 2, 4, -8.0f, 700.0, kChannelStereo);
    runPerSample(bank, routing, input);

    setBand(bank, routing, 3, 2, 4, -8.0f, 0.0, kChannelStereo); // frequency left the valid range
    EXPECT_FALSE(bank.active[3]);
    const Stereo bypassed = runPerSample(bank, routing, input);
    EXPECT_EQ(bypassed.left, input.left);

    setBand(bank, routing, 3, 2, 4, -8.0f, 700.0, kChannelStereo);
    BandBankRouting freshRouting;
    freshRouting.pitchAvailable = true;
    setBand(fresh, freshRouting, 3, 2, 4, -8.0f, 700.0, kChannelStereo);
    const Stereo restarted = runPerSample(bank, routing, input);
    const Stereo expected = runPerSample(fresh, freshRouting, input);
    EXPECT_EQ(restarted.left, expected.left);
    EXPECT_EQ(restarted.right, expected.right);

    // Staying active keeps the state across redesigns (sweeps stay click-free).
    setBand(bank, routing, 3, 2, 4, -8.0f, 720.0, kChannelStereo);
    EXPECT_NE(bank.states[3][0].ic1[0], 0.0);
}

// Random routings and redesigns every sub-block: the band-major block form must equal the per-sample form.
TEST(BandBank, BlockFormIsBitIdenticalToPerSampleForm)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(0, 1 << 20);
    auto chance = [&](int percent) { return pick(rng) % 100 < percent; };
    for (int trial = 0; trial < 60; ++trial)
    {
        BandBank perSample, block;
        BandBankRouting routing;
        routing.pitchAvailable = true;
        routing.mono = trial % 5 == 4;
        const bool listen = trial % 3 == 2;
        const int totalSamples = 600;
        const Stereo input = noise(totalSamples, static_cast<unsigned>(100 + trial));
        Stereo a = input, b = input;
        std::vector<float> types(kNumBands), slopes(kNumBands), gains(kNumBands);
        std::vector<double> mults(kNumBands);
        std::vector<int> chans(kNumBands);
        for (int k = 0; k < kNumBands; ++k)
        {
            types[k] = static_cast<float>(pick(rng) % 10);
            slopes[k] = static_cast<float>(pick(rng) % 6);
            gains[k] = static_cast<float>(pick(rng) % 49) - 24.0f;
            mults[k] = 1.0 + pick(rng) % 40;
            chans[k] = pick(rng) % 3;
        }
        int offset = 0;
        double pitch = 100.0 + trial * 7.0;
        while (offset < totalSamples)
        {
            const int m = std::min(1 + pick(rng) % 40, totalSamples - offset); // also lengths above 32
            for (int k = 0; k < kNumBands; ++k)
            {
                const bool on = !chance(20);
                const double f = on ? pitch * mults[k] : 0.0;
                const double valid = f >= 20.0 && f <= 0.49 * kFs ? f : 0.0;
                const bool solo = listen && chance(40);
                const double amount = chance(30) ? pick(rng) % 101 / 100.0 : 1.0;
                for (BandBank* bank : {&perSample, &block})
                    setBand(*bank, routing, k, types[k], slopes[k], gains[k], valid, chans[k], solo, amount);
            }
            routing.listenMode = listen && anyBandSoloed(routing);
            routing.pitchAvailable = !chance(5);
            for (int i = offset; i < offset + m; ++i)
                processBandBankSample(perSample, routing, a.left[static_cast<size_t>(i)],
                                      a.right[static_cast<size_t>(i)]);
            processBandBank(block, routing, b.left.data() + offset, b.right.data() + offset, m);
            offset += m;
            pitch *= 1.01;
        }
        ASSERT_EQ(std::memcmp(a.left.data(), b.left.data(), sizeof(double) * totalSamples), 0)
            << "trial " << trial;
        ASSERT_EQ(std::memcmp(a.right.data(), b.right.data(), sizeof(double) * totalSamples), 0)
            << "trial " << trial;
        ASSERT_EQ(std::memcmp(&perSample.states, &block.states, sizeof(perSample.states)), 0)
            << "trial " << trial;
    }
}

// Runs of Stereo bands without a blend go through the block kernels as one chain; a run is cut by a band in
// Mid or Side, a blending band or a full cascade, and inactive bands inside it are passed over.
TEST(BandBank, JoinedStereoBandsStayBitIdenticalToPerSampleForm)
{
    const struct
    {
        const char* what;
        bool mono;
        int slope;    // -1: mixed slopes
        int cutEvery; // every cutEvery-th band is Side or blends (0: none)
    } cases[] = {
        {"sixteen single-section bells", false, 1, 0},
        {"mixed slopes", false, -1, 0},
        {"mixed slopes on a mono bus", true, -1, 0},
        {"runs cut by Side bands and blends", false, -1, 3},
        {"one-pole and three-section bands", false, 2, 5},
    };
    for (const auto& c : cases)
    {
        BandBank perSample, block;
        BandBankRouting routing;
        routing.pitchAvailable = true;
        routing.mono = c.mono;
        const int total = 500;
        const Stereo input = noise(total, 77);
        Stereo a = input, b = input;
        int offset = 0;
        double pitch = 90.0;
        for (int round = 0; offset < total; ++round)
        {
            const int m = std::min(round % 3 == 0 ? 32 : 17 + round % 11, total - offset);
            for (int k = 0; k < kNumBands; ++k)
            {
                const bool cut = c.cutEvery > 0 && k % c.cutEvery == c.cutEvery - 1;
                const float type = cut && k % 2 == 0 ? 4.0f : static_cast<float>(k % 3); // HP blends below
                const float slope = c.slope >= 0 ? static_cast<float>(c.slope) : static_cast<float>(k % 6);
                const int chan = cut && k % 2 == 1 ? kChannelSide : kChannelStereo;
                const double f = (k + round) % 7 == 6 ? 0.0 : pitch * (1 + k); // some bands drop out
                const double valid = f <= 0.49 * kFs ? f : 0.0;
                for (BandBank* bank : {&perSample, &block})
                    setBand(*bank, routing, k, type, slope, k % 2 == 0 ? 5.0f : -4.0f, valid, chan, false,
                            cut ? 0.6 : 1.0);
            }
            for (int i = offset; i < offset + m; ++i)
                processBandBankSample(perSample, routing, a.left[static_cast<size_t>(i)],
                                      a.right[static_cast<size_t>(i)]);
            processBandBank(block, routing, b.left.data() + offset, b.right.data() + offset, m);
            offset += m;
            pitch *= 1.02;
        }
        EXPECT_EQ(std::memcmp(a.left.data(), b.left.data(), sizeof(double) * total), 0) << c.what;
        EXPECT_EQ(std::memcmp(a.right.data(), b.right.data(), sizeof(double) * total), 0) << c.what;
        EXPECT_EQ(std::memcmp(&perSample.states, &block.states, sizeof(perSample.states)), 0) << c.what;
    }
}

} // namespace
} // namespace vivera::dsp
