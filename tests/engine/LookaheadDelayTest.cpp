// The lookahead delay against its per-sample recursion, written out here: every sample, through crossfades,
// transport fades and ring wraps at any block size, must come out bit for bit the same.
#include "engine/pipeline/LookaheadDelay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;
constexpr int kChannels = 4;

// The written form: mix and fade move one step per sample, then old = ring, ring = x,
// y = x + mix * (old * fade - x).
struct ReferenceDelay
{
    std::vector<std::vector<float>> ring;
    int length = 0, writePosition = 0;
    float mix = 1.0f, mixStep = 0.0f, fade = 1.0f, fadeStep = 0.0f;
    bool fadeOutPending = false, wasPlaying = false;

    explicit ReferenceDelay(bool lookaheadOn)
    {
        length = static_cast<int>(std::lround(0.1 * kRate));
        ring.assign(kChannels, std::vector<float>(static_cast<size_t>(length), 0.0f));
        mix = lookaheadOn ? 1.0f : 0.0f;
        mixStep = 1.0f / static_cast<float>(std::lround(0.03 * kRate));
        fadeStep = 1.0f / static_cast<float>(std::lround(0.005 * kRate));
    }

    void clear()
    {
        for (auto& channel : ring)
            std::fill(channel.begin(), channel.end(), 0.0f);
    }

    // Start and stop only (no positions): a start clears at once, a stop fades out.
    void followTransport(bool playing)
    {
        if (playing && !wasPlaying)
        {
            clear();
            fade = 0.0f;
            fadeOutPending = false;
        }
        else if (playing != wasPlaying)
            fadeOutPending = true;
        wasPlaying = playing;
    }

    void process(std::vector<std::vector<float>>& channels, int offset, int n, bool delayed)
    {
        const float target = delayed ? 1.0f : 0.0f;
        for (int i = offset; i < offset + n; ++i)
        {
            if (mix < target)
                mix = std::min(target, mix + mixStep);
            else if (mix > target)
                mix = std::max(target, mix - mixStep);
            if (fadeOutPending)
            {
                fade -= fadeStep;
                if (fade <= 0.0f)
                {
                    clear();
                    fade = 0.0f;
                    fadeOutPending = false;
                }
            }
            else if (fade < 1.0f)
                fade = std::min(1.0f, fade + fadeStep);
            for (int c = 0; c < kChannels; ++c)
            {
                float& slot = ring[static_cast<size_t>(c)][static_cast<size_t>(writePosition)];
                const float old = slot;
                const float x = channels[static_cast<size_t>(c)][static_cast<size_t>(i)];
                slot = x;
                channels[static_cast<size_t>(c)][static_cast<size_t>(i)] = x + mix * (old * fade - x);
            }
            writePosition = (writePosition + 1) % length;
        }
    }
};

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
} // namespace

TEST(LookaheadDelay, EqualsThePerSampleRecursionThroughCrossfadesFadesAndRingWraps)
{
    constexpr int kTotal = 48000;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    std::vector<std::vector<float>> input(kChannels, std::vector<float>(kTotal));
    for (auto& channel : input)
        for (float& x : channel)
            x = sample(random);

    LookaheadDelay delay;
    delay.prepare(kRate, true);
    ReferenceDelay reference(true);
    auto output = input;
    auto expected = input;

    // Events by block: lookahead off and on again (30 ms crossfades), transport start (fade in from a
    // cleared ring), stop (fade out and clear), and blocks of every size, so stretches meet the ring's end
    // and a crossfade or fade inside one block.
    std::uniform_int_distribution<int> blockSize(1, 1500);
    int offset = 0, block = 0;
    bool delayed = true, playing = false;
    while (offset < kTotal)
    {
        const int n = std::min(blockSize(random), kTotal - offset);
        if (block == 6 || block == 9)
            delayed = !delayed;
        if (block == 3 || block == 14)
            playing = true;
        if (block == 11)
            playing = false;
        TransportState transport;
        transport.known = true;
        transport.playing = playing;
        delay.followTransport(transport, n);
        reference.followTransport(playing);

        float* channels[kChannels];
        for (int c = 0; c < kChannels; ++c)
            channels[c] = output[static_cast<size_t>(c)].data() + offset;
        const int rings[kChannels] = {0, 1, 2, 3};
        delay.process(channels, rings, kChannels, n, delayed);
        reference.process(expected, offset, n, delayed);
        offset += n;
        ++block;
    }
    ASSERT_GT(block, 15);

    for (int c = 0; c < kChannels; ++c)
        for (int i = 0; i < kTotal; ++i)
            ASSERT_TRUE(sameBits(output[static_cast<size_t>(c)][static_cast<size_t>(i)],
                                 expected[static_cast<size_t>(c)][static_cast<size_t>(i)]))
                << "channel " << c << " sample " << i;
}
