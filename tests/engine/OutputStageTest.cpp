// The per-sample output stage through the real processor: the gain ramps and their lengths, monitoring,
// the soft clipper's place before the Delta subtraction, and the published auto gain.
#include "support/ProcessorHarness.h"
#include "support/Signals.h"

#include "dsp/SoftClip.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr double kRate = 48000.0;
constexpr int kLatency = 4800;
constexpr int kGainRamp = 960;       // 20 ms
constexpr int kAutoGainRamp = 19200; // 400 ms

// One Bell of +6 dB at Q 0.7 on a 1 kHz band frequency, locked, at 48 kHz: the auto gain it asks for.
constexpr float kBellAutoGainDb = -1.7932f;

juce::AudioBuffer<float> constant(float value, int length)
{
    return makeSignal(2, length, [=](int) { return value; });
}

// Two different, non-repeating channels.
juce::AudioBuffer<float> stereoNoise(int length)
{
    juce::AudioBuffer<float> buffer(2, length);
    juce::Random left(11), right(23);
    for (int i = 0; i < length; ++i)
    {
        buffer.setSample(0, i, 0.4f * (2.0f * left.nextFloat() - 1.0f));
        buffer.setSample(1, i, 0.4f * (2.0f * right.nextFloat() - 1.0f));
    }
    return buffer;
}

// A processor whose wet signal is the dry signal (no band in use), lookahead and auto gain off, pitch locked.
struct TransparentProcessor : ProcessorHarness
{
    TransparentProcessor()
    {
        set("lookahead", 0.0f);
        set("auto_gain", 0.0f);
        set("lock", 1.0f);
        set("b1_add", 0.0f);
    }
};

void setLockedBell(ProcessorHarness& h)
{
    h.set("lock", 1.0f);
    h.set("freq", 1000.0f);
    h.set("b1_mult", 1.0f);
    h.set("b1_gain", 6.0f);
    h.set("b1_q", 0.7f);
}

TEST(OutputStage, MixAndOutputGainRampOverTwentyMilliseconds)
{
    // The wet part is scaled by the output gain, the dry part is not: on a constant input each ramp shows
    // as a straight line of exactly 960 steps.
    const float outGain = std::pow(10.0f, -6.0f / 20.0f); // the engine's float gain for -6 dB
    const struct
    {
        const char* what;
        const char* id;
        float before, after;
        double (*gainAt)(double step, float outGain); // output over input at ramp position 0..1
    } cases[] = {
        {"output -> -6 dB", "out", 0.0f, -6.0f, [](double r, float g) { return 1.0 + r * (g - 1.0); }},
        {"mix 100 % -> 0 % at -6 dB", "mix", 100.0f, 0.0f,
         [](double r, float g) { return (1.0 - (1.0 - r)) + (1.0 - r) * g; }},
    };
    for (const auto& c : cases)
    {
        TransparentProcessor h;
        if (std::string(c.id) == "mix")
            h.set("out", -6.0f);
        h.set(c.id, c.before);
        h.prepare(kRate, 480);
        h.run(constant(0.5f, 4800));
        h.set(c.id, c.after);
        const auto output = h.run(constant(0.5f, 4800));
        for (int k = 0; k < 4800; ++k)
        {
            const double position = std::min(1.0, (k + 1) / double(kGainRamp));
            // The ramp adds its float increment 960 times; one step too many or too few is 1e-4 off.
            ASSERT_NEAR(output.getSample(0, k), 0.5 * c.gainAt(position, outGain), 2e-5)
                << c.what << " " << k;
            ASSERT_EQ(output.getSample(1, k), output.getSample(0, k)) << c.what << " " << k;
        }
    }
}

TEST(OutputStage, AutoGainIsPublishedAndRampsOverFourHundredMilliseconds)
{
    ProcessorHarness h;
    h.set("lookahead", 0.0f);
    h.set("auto_gain", 0.0f);
    setLockedBell(h);
    h.prepare(kRate, 480);
    h.run(constant(0.5f, 48000)); // the bell passes DC unchanged once settled
    EXPECT_EQ(h.processor.telemetry.autoGainDb.load(), 0.0f);

    h.set("auto_gain", 1.0f);
    const auto output = h.run(constant(0.5f, 24000));
    const float published = h.processor.telemetry.autoGainDb.load();
    EXPECT_NEAR(published, kBellAutoGainDb, 5e-4f);
    const double target = std::pow(10.0f, published / 20.0f);
    for (int k = 0; k < 24000; ++k)
    {
        const double position = std::min(1.0, (k + 1) / double(kAutoGainRamp));
        ASSERT_NEAR(output.getSample(0, k), 0.5 * (1.0 + position * (target - 1.0)), 2e-6) << k;
    }
}

TEST(OutputStage, AutoGainOnEndToEnd)
{
    // With auto gain on (its default) and lookahead on, a tone on the bell's frequency comes out 100 ms
    // late, raised by the bell and lowered by the auto gain: +6 dB - 1.7932 dB.
    ProcessorHarness h;
    setLockedBell(h);
    h.prepare(kRate);
    const auto output = h.run(makeSignal(2, 96000, sine(1000.0, kRate, 0.1f)));
    EXPECT_NEAR(h.processor.telemetry.autoGainDb.load(), kBellAutoGainDb, 5e-4f);
    EXPECT_EQ(peakOf(output, 0, 0, kLatency), 0.0f);
    const double gainDb = 20.0 * std::log10(rmsOf(output, 0, 48000, 48000) / (0.1 / std::sqrt(2.0)));
    EXPECT_NEAR(gainDb, 6.0 + kBellAutoGainDb, 0.01);
}

TEST(OutputStage, MidAndSideMonitoringHalveTheSumAndTheDifference)
{
    const struct
    {
        const char* what;
        float monCh;
        double (*expected)(double left, double right);
    } cases[] = {
        {"Mid", 1.0f, [](double l, double r) { return (l + r) / 2.0; }},
        {"Side", 2.0f, [](double l, double r) { return (l - r) / 2.0; }},
    };
    const auto input = stereoNoise(9600);
    for (const auto& c : cases)
    {
        TransparentProcessor h;
        h.set("mon_ch", c.monCh);
        h.prepare(kRate);
        const auto output = h.run(input);
        for (int i = 0; i < input.getNumSamples(); ++i)
        {
            const double expected = c.expected(input.getSample(0, i), input.getSample(1, i));
            ASSERT_NEAR(output.getSample(0, i), expected, 1e-7) << c.what << " " << i;
            ASSERT_NEAR(output.getSample(1, i), expected, 1e-7) << c.what << " " << i;
        }
    }
}

TEST(OutputStage, SoftClipperActsBeforeTheDeltaSubtraction)
{
    // +12 dB of output gain drives the wet signal into the clipper; Delta then removes the dry signal.
    TransparentProcessor h;
    h.set("soft_clip", 1.0f);
    h.set("mon_sig", 1.0f);
    h.set("out", 12.0f);
    h.prepare(kRate);
    const auto input = stereoNoise(9600);
    const auto output = h.run(input);
    const double gain = std::pow(10.0f, 12.0f / 20.0f);
    double largestClip = 0.0;
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < input.getNumSamples(); ++i)
        {
            const double x = input.getSample(c, i);
            ASSERT_NEAR(output.getSample(c, i), vivera::dsp::softClip(gain * x) - x, 1e-6) << c << " " << i;
            largestClip =
                std::max(largestClip, gain * std::abs(x) - std::abs(vivera::dsp::softClip(gain * x)));
        }
    EXPECT_GT(largestClip, 0.3); // the clipper did bend the signal
}

TEST(OutputStage, DeltaWithLookaheadIsTheOutputLessTheDelayedInput)
{
    const auto input = stereoNoise(24000);
    ProcessorHarness reference, delta;
    for (auto* h : {&reference, &delta})
    {
        h->set("auto_gain", 0.0f);
        setLockedBell(*h);
        h->set("b1_gain", 12.0f);
        h->prepare(kRate);
    }
    delta.set("mon_sig", 1.0f);
    const auto processed = reference.run(input);
    const auto difference = delta.run(input);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < input.getNumSamples(); ++i)
        {
            const double delayed = i >= kLatency ? input.getSample(c, i - kLatency) : 0.0;
            ASSERT_NEAR(difference.getSample(c, i), processed.getSample(c, i) - delayed, 1e-6)
                << c << " " << i;
        }
    EXPECT_GT(rmsOf(difference, 0, kLatency, 24000 - kLatency), 0.05);

    // With no band in use nothing is left, also while the delay fills.
    ProcessorHarness empty;
    empty.set("auto_gain", 0.0f);
    empty.set("lock", 1.0f);
    empty.set("b1_add", 0.0f);
    empty.set("mon_sig", 1.0f);
    empty.prepare(kRate);
    const auto silence = empty.run(input);
    EXPECT_EQ(peakOf(silence, 0, 0, 24000), 0.0f);
    EXPECT_EQ(peakOf(silence, 1, 0, 24000), 0.0f);
}
} // namespace
