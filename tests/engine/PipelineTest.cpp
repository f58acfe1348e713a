#include "support/AllocationCounter.h"
#include "support/MessagePump.h"
#include "support/ProcessorHarness.h"
#include "support/ScriptedPlayHead.h"
#include "support/Signals.h"

#include "engine/parameters/BandSettings.h"

#include "dsp/BandBank.h"
#include "dsp/BandDesign.h"
#include "dsp/BandDetector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;
constexpr int kLatency = 4800;

class Pipeline : public testing::Test, protected ProcessorHarness
{
};

// The delay line blends x + mix * (old - x), so a fully delayed sample matches to float rounding.
void expectDelayedCopy(const juce::AudioBuffer<float>& output, const juce::AudioBuffer<float>& input,
                       int delay, int from)
{
    for (int c = 0; c < output.getNumChannels(); ++c)
        for (int i = std::max(from, delay); i < output.getNumSamples(); ++i)
            ASSERT_NEAR(output.getSample(c, i), input.getSample(c, i - delay), 1e-6f)
                << "channel " << c << " sample " << i;
}

TEST_F(Pipeline, LookaheadDelaysTheSignalByExactlyTheReportedLatency)
{
    prepare(kRate);
    EXPECT_EQ(processor.getLatencySamples(), kLatency);
    const auto input = makeSignal(2, 24000, harmonicTone(196.0, kRate, 0.5f));
    const auto output = run(input);
    // A 0 dB bell is an exact identity, so the output is the input, 100 ms late.
    EXPECT_EQ(peakOf(output, 0, 0, kLatency), 0.0f);
    expectDelayedCopy(output, input, kLatency, 0);
}

TEST_F(Pipeline, MixAtZeroPassesTheInputWhateverTheBandsDo)
{
    set("lookahead", 0.0f);
    set("lock", 1.0f);
    set("b1_gain", 12.0f);
    set("out", 9.0f);
    set("mix", 0.0f);
    prepare(kRate);
    const auto input = makeSignal(2, 9600, harmonicTone(220.0, kRate, 0.5f));
    expectDelayedCopy(run(input), input, 0, 0);
}

TEST_F(Pipeline, MonitoringCancelsWhatShouldCancel)
{
    const struct
    {
        const char* what;
        float monSig, monCh;
        bool bandAdded;
    } cases[] = {
        {"delta with no active band", 1.0f, 0.0f, false},
        {"side of identical channels", 0.0f, 2.0f, true},
    };
    for (const auto& c : cases)
    {
        ProcessorHarness h;
        h.set("lookahead", 0.0f);
        h.set("auto_gain", 0.0f);
        h.set("mon_sig", c.monSig);
        h.set("mon_ch", c.monCh);
        h.set("b1_add", c.bandAdded ? 1.0f : 0.0f);
        h.prepare(kRate);
        const auto output = h.run(makeSignal(2, 9600, harmonicTone(220.0, kRate, 0.5f)));
        EXPECT_EQ(peakOf(output, 0, 0, 9600), 0.0f) << c.what;
        EXPECT_EQ(peakOf(output, 1, 0, 9600), 0.0f) << c.what;
    }
}

TEST_F(Pipeline, LockedBellBoostsItsHarmonicAndLeavesOthers)
{
    set("lookahead", 0.0f);
    set("auto_gain", 0.0f);
    set("lock", 1.0f);
    set("freq", 220.0f);
    set("b1_mult", 2.0f);
    set("b1_gain", 12.0f);
    prepare(kRate);

    const auto onHarmonic = run(makeSignal(2, 48000, sine(440.0, kRate, 0.1f)));
    EXPECT_NEAR(rmsOf(onHarmonic, 0, 24000, 24000) / (0.1 / std::sqrt(2.0)), std::pow(10.0, 12.0 / 20.0),
                0.02);
    EXPECT_NEAR(rmsOf(onHarmonic, 1, 24000, 24000) / (0.1 / std::sqrt(2.0)), std::pow(10.0, 12.0 / 20.0),
                0.02);

    const auto farAway = run(makeSignal(2, 48000, sine(8000.0, kRate, 0.1f)));
    EXPECT_NEAR(rmsOf(farAway, 0, 24000, 24000) / (0.1 / std::sqrt(2.0)), 1.0, 0.01);
}

TEST_F(Pipeline, TracksThePitchAndPublishesBandFrequencies)
{
    set("b2_add", 1.0f);
    set("b3_add", 1.0f);
    set("b3_mult", 200.0f); // beyond 0.49 fs: published as 0
    prepare(kRate);
    run(makeSignal(2, 48000, harmonicTone(220.0, kRate, 0.3f)));

    const auto& t = processor.telemetry;
    EXPECT_NEAR(t.publishedPitch.load(), 220.0f, 0.5f);
    EXPECT_FALSE(t.pitchLost.load());
    EXPECT_NEAR(t.publishedBandFrequency[0].load(), 220.0f, 0.5f);
    EXPECT_NEAR(t.publishedBandFrequency[1].load(), 440.0f, 1.0f);
    EXPECT_EQ(t.publishedBandFrequency[2].load(), 0.0f);
    EXPECT_EQ(t.publishedBandFrequency[3].load(), 0.0f); // not added
    EXPECT_GT(t.detectorLevelDb.load(), -20.0f);
}

TEST_F(Pipeline, SidechainPitchDrivesTheBandsOnTheMainInput)
{
    const struct
    {
        juce::AudioChannelSet sidechain;
        float expectedPitch;
        bool connected;
    } cases[] = {
        {juce::AudioChannelSet::stereo(), 330.0f, true},
        {juce::AudioChannelSet::mono(), 330.0f, true},
        {juce::AudioChannelSet::disabled(), 220.0f, false}, // falls back to the main input
    };
    for (const auto& c : cases)
    {
        ProcessorHarness h;
        h.useLayout(juce::AudioChannelSet::stereo(), c.sidechain);
        h.set("sc", 1.0f);
        h.prepare(kRate);
        const auto sidechain = makeSignal(2, 48000, harmonicTone(330.0, kRate, 0.3f));
        h.run(makeSignal(2, 48000, harmonicTone(220.0, kRate, 0.3f)), &sidechain);
        EXPECT_EQ(h.processor.telemetry.sidechainConnected.load(), c.connected)
            << c.sidechain.getDescription();
        EXPECT_NEAR(h.processor.telemetry.publishedPitch.load(), c.expectedPitch, 0.5f)
            << c.sidechain.getDescription();
    }
}

TEST_F(Pipeline, BypassCrossfadesToTheDelayedDrySignalAndKeepsTheLatency)
{
    // A reference instance keeps processing; the other switches bypass on between two halves of a signal
    // that never repeats. Over exactly 20 ms (960 samples) the output blends from the reference's output
    // to the input delayed by the latency, then stays on that delayed input.
    ProcessorHarness reference;
    for (auto* h : {static_cast<ProcessorHarness*>(this), &reference})
    {
        h->set("lock", 1.0f);
        h->set("b1_gain", 12.0f);
        h->set("b1_dyn", 1.0f);
        h->prepare(kRate, 480);
    }
    auto input = makeSignal(2, 96000, whiteNoise(0.2f, 5));
    const auto tone = harmonicTone(196.0, kRate, 0.3f);
    for (int i = 0; i < input.getNumSamples(); ++i)
        for (int c = 0; c < 2; ++c)
            input.addSample(c, i, tone(i));
    juce::AudioBuffer<float> first(2, 48000), second(2, 48000);
    for (int c = 0; c < 2; ++c)
    {
        first.copyFrom(c, 0, input, c, 0, 48000);
        second.copyFrom(c, 0, input, c, 48000, 48000);
    }
    run(first);
    reference.run(first);
    set("bypass", 1.0f);
    const auto output = run(second);
    const auto processed = reference.run(second);

    EXPECT_EQ(processor.getLatencySamples(), kLatency);
    double processedDiffers = 0.0;
    for (int c = 0; c < 2; ++c)
        for (int k = 0; k < 48000; ++k)
        {
            const double fade = std::min(1.0, (k + 1) / 960.0);
            const double delayedDry = input.getSample(c, 48000 + k - kLatency);
            const double expected = (1.0 - fade) * processed.getSample(c, k) + fade * delayedDry;
            ASSERT_NEAR(output.getSample(c, k), expected, 2e-6) << "channel " << c << " sample " << k;
            if (k < 960)
                processedDiffers =
                    std::max(processedDiffers, std::abs(processed.getSample(c, k) - delayedDry));
        }
    EXPECT_GT(processedDiffers, 0.1); // the blend is visible: processed and dry differ
    for (size_t k = 0; k < 16; ++k)   // ...and the bands are reset
    {
        EXPECT_EQ(processor.telemetry.publishedBandFrequency[k].load(), 0.0f);
        EXPECT_EQ(processor.telemetry.bandDetectorLevel[k].load(), -120.0f);
    }
}

TEST_F(Pipeline, ReleasingBypassLeavesNoStaleSidechainInTheDelay)
{
    // A band detector on the external sidechain: loud sidechain, then bypass over a silent stretch. When
    // bypass is released the detector must hear the silence, not the last 100 ms before the bypass.
    useLayout(juce::AudioChannelSet::stereo(), juce::AudioChannelSet::stereo());
    set("lock", 1.0f);
    set("freq", 220.0f);
    set("b1_dyn", 1.0f);
    set("b1_detsc", 1.0f);
    prepare(kRate, 480);
    const auto silence = makeSignal(2, 48000, [](int) { return 0.0f; });
    const auto loud = makeSignal(2, 48000, harmonicTone(220.0, kRate, 0.5f));
    run(silence, &loud);
    ASSERT_GT(processor.telemetry.bandDetectorLevel[0].load(), -30.0f);

    set("bypass", 1.0f);
    run(silence, &silence);
    set("bypass", 0.0f);
    float loudest = -120.0f;
    for (int b = 0; b < 10; ++b) // the first 100 ms after the release
    {
        run(makeSignal(2, 480, [](int) { return 0.0f; }), &silence);
        loudest = std::max(loudest, processor.telemetry.bandDetectorLevel[0].load());
    }
    EXPECT_LT(loudest, -100.0f);
}

TEST_F(Pipeline, SwitchingLookaheadOffCrossfadesToTheUndelayedSignal)
{
    prepare(kRate);
    // 196 Hz does not repeat every 100 ms, so delayed and undelayed differ.
    const auto input = makeSignal(2, 9600, harmonicTone(196.0, kRate, 0.3f));
    run(input);
    set("lookahead", 0.0f);
    const auto output = run(input);
    // The host hears of it from the message thread, moments later.
    EXPECT_TRUE(pumpMessagesUntil([&] { return processor.getLatencySamples() == 0; }));
    expectDelayedCopy(output, input, 0, 1440); // 30 ms crossfade at 48 kHz
    EXPECT_GT(std::abs(output.getSample(0, 700) - input.getSample(0, 700)), 0.01f);
}

// Plays a steady tone through the processor in blocks while `advance` moves the play head after each
// block; returns channel 0 of the output and of the input.
struct PlayedTone
{
    std::vector<float> input, output;
};

PlayedTone playSteadyTone(VezovevaDirADAudioProcessor& processor, int blockSize, int blocks,
                          const std::function<void(int n)>& advance)
{
    PlayedTone played;
    const auto tone = sine(997.0, kRate, 0.5f); // no whole number of cycles in 100 ms
    juce::MidiBuffer midi;
    juce::AudioBuffer<float> block(2, blockSize);
    int sample = 0;
    for (int b = 0; b < blocks; ++b)
    {
        for (int i = 0; i < blockSize; ++i, ++sample)
            for (int c = 0; c < 2; ++c)
                block.setSample(c, i, tone(sample));
        for (int i = 0; i < blockSize; ++i)
            played.input.push_back(block.getSample(0, i));
        processor.processBlock(block, midi);
        for (int i = 0; i < blockSize; ++i)
            played.output.push_back(block.getSample(0, i));
        advance(blockSize);
    }
    return played;
}

TEST_F(Pipeline, TransportJumpFadesOutAndRestartsTheDelay)
{
    // A relocation is a jump whether or not a loop is running, unless it lands on the loop's start.
    const struct
    {
        const char* what;
        bool looping;
        double loopStartPpq, loopEndPpq;
    } cases[] = {
        {"no loop", false, 0.0, 0.0},
        {"looping, relocated away from the loop start", true, 2.0, 4.0},
    };
    for (const auto& c : cases)
    {
        ProcessorHarness h;
        ScriptedPlayHead playHead;
        playHead.looping = c.looping;
        playHead.loopStartPpq = c.loopStartPpq;
        playHead.loopEndPpq = c.loopEndPpq;
        h.processor.setPlayHead(&playHead);
        h.prepare(kRate, 480);
        int block = 0;
        const auto played = playSteadyTone(h.processor, 480, 70,
                                           [&](int n)
                                           {
                                               playHead.time += n;
                                               if (++block == 40) // after 400 ms, one second ahead
                                                   playHead.time += 48000;
                                           });
        h.processor.setPlayHead(nullptr);

        const size_t jump = 40 * 480;
        EXPECT_GT(*std::max_element(played.output.begin() + jump - 480, played.output.begin() + jump), 0.4f)
            << c.what;
        // Faded out within 5 ms (240 samples), silent for the next 100 ms, then the delayed signal is back.
        for (size_t i = jump + 240; i < jump + 240 + 4800 - 1; ++i)
            ASSERT_EQ(played.output[i], 0.0f) << c.what << " sample " << i - jump;
        float late = 0.0f;
        for (size_t i = jump + 240 + 4800 + 240; i < played.output.size(); ++i)
            late = std::max(late, std::abs(played.output[i]));
        EXPECT_GT(late, 0.4f) << c.what;
    }
}

TEST_F(Pipeline, LoopWrapKeepsTheDelayLineRunning)
{
    // A one-second loop, at block sizes that meet its end exactly and that overshoot it (a host that does
    // not split the block at the loop end reports the next block a little past the loop start).
    for (const int size : {480, 512, 1000})
    {
        ProcessorHarness h;
        ScriptedPlayHead playHead;
        playHead.looping = true;
        playHead.loopStartPpq = 4.0; // 2 s .. 3 s
        playHead.loopEndPpq = 6.0;
        playHead.time = playHead.samplesAt(playHead.loopStartPpq);
        h.processor.setPlayHead(&playHead);
        h.prepare(kRate, size);
        const int blocks = 3 * 48000 / size; // three passes
        const auto played = playSteadyTone(h.processor, size, blocks, [&](int n) { playHead.advance(n); });
        h.processor.setPlayHead(nullptr);

        // The output is the input exactly 100 ms late, across every wrap.
        for (size_t i = kLatency; i < played.output.size(); ++i)
            ASSERT_NEAR(played.output[i], played.input[i - kLatency], 1e-6f)
                << "block size " << size << " sample " << i;
    }
}

TEST_F(Pipeline, AutoBypassReturnsToDryWhenThePitchIsLost)
{
    set("lookahead", 0.0f);
    set("auto_byp", 1.0f);
    set("auto_gain", 0.0f);
    set("b1_gain", 12.0f);
    prepare(kRate);
    run(makeSignal(2, 24000, harmonicTone(220.0, kRate, 0.3f)));
    ASSERT_FALSE(processor.telemetry.pitchLost.load());

    const auto noise = makeSignal(2, 72000, whiteNoise(0.3f));
    const auto output = run(noise);
    EXPECT_TRUE(processor.telemetry.pitchLost.load());
    // Lost after 0.7 s without a reading; after the 20 ms crossfade the noise passes untouched.
    expectDelayedCopy(output, noise, 0, 48000);
}

TEST_F(Pipeline, RecoversFromNonFiniteInput)
{
    set("lock", 1.0f);
    set("b1_gain", 9.0f);
    set("b1_dyn", 1.0f);
    set("b2_add", 1.0f);
    set("b2_type", 7.0f);
    prepare(kRate);
    auto input = makeSignal(2, 48000, harmonicTone(220.0, kRate, 0.3f));
    for (int i = 10000; i < 10300; ++i)
    {
        input.setSample(0, i, std::numeric_limits<float>::quiet_NaN());
        input.setSample(1, i, i % 2 == 0 ? std::numeric_limits<float>::infinity() : -1e38f * 10.0f);
    }
    const auto output = run(input);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < output.getNumSamples(); ++i)
            ASSERT_TRUE(std::isfinite(output.getSample(c, i))) << c << ":" << i;
    // Within the lookahead plus one block the output sounds again.
    EXPECT_GT(rmsOf(output, 0, 10300 + kLatency + 512, 4800), 0.05);
    EXPECT_GT(rmsOf(output, 1, 10300 + kLatency + 512, 4800), 0.05);
}

TEST_F(Pipeline, MonoBusIsProcessed)
{
    useLayout(juce::AudioChannelSet::mono(), juce::AudioChannelSet::disabled());
    set("lookahead", 0.0f);
    set("auto_gain", 0.0f);
    set("lock", 1.0f);
    set("freq", 440.0f);
    set("b1_gain", 12.0f);
    prepare(kRate);
    const auto output = run(makeSignal(1, 48000, sine(440.0, kRate, 0.1f)));
    ASSERT_EQ(output.getNumChannels(), 1);
    EXPECT_NEAR(rmsOf(output, 0, 24000, 24000) / (0.1 / std::sqrt(2.0)), std::pow(10.0, 12.0 / 20.0), 0.02);
}

TEST_F(Pipeline, BlocksLargerThanAnnouncedAreProcessed)
{
    prepare(kRate, 256);
    const auto input = makeSignal(2, 40000, harmonicTone(220.0, kRate, 0.3f));
    expectDelayedCopy(run(input, nullptr, 8192), input, kLatency, 0);
}

TEST_F(Pipeline, TelemetryRingsWrapAndPeaksAreTakenOnce)
{
    set("lookahead", 0.0f);
    prepare(kRate);
    run(makeSignal(2, 4000, sine(100.0, kRate, 0.25f)), nullptr, 500);
    ASSERT_EQ(processor.telemetry.scopeWriteIndex.load(), 4000);
    run(makeSignal(2, 512, [](int i) { return i == 100 ? 0.9f : 0.001f * float(i); }));
    EXPECT_EQ(processor.telemetry.scopeWriteIndex.load(), 416);
    // Sample 100 of the block that starts at 4000 sits at (4000 + 100) mod 4096.
    EXPECT_FLOAT_EQ(processor.telemetry.inputScope[4].load(), 0.9f);
    EXPECT_FLOAT_EQ(processor.telemetry.inputScope[415].load(), 0.001f * 511.0f);

    // The editor's copy is oldest first: the block's last sample ends it, sample 100 is 412 from the end.
    std::vector<float> input(Telemetry::kScopeSize), output(Telemetry::kScopeSize);
    processor.copyScopes(input.data(), output.data());
    EXPECT_FLOAT_EQ(input.back(), 0.001f * 511.0f);
    EXPECT_FLOAT_EQ(input[Telemetry::kScopeSize - 412], 0.9f);
    EXPECT_FLOAT_EQ(output.back(), 0.001f * 511.0f); // nothing added, lookahead off: output = input

    TelemetrySnapshot snapshot;
    processor.readTelemetry(snapshot);
    EXPECT_FLOAT_EQ(snapshot.inputPeak[0], 0.9f);
    EXPECT_DOUBLE_EQ(snapshot.sampleRate, kRate);
    processor.readTelemetry(snapshot);
    EXPECT_EQ(snapshot.inputPeak[0], 0.0f);
    EXPECT_EQ(processor.telemetry.takeInputPeak(0), 0.0f);
}

TEST_F(Pipeline, AllocatesNothingOnTheAudioThread)
{
    useLayout(juce::AudioChannelSet::stereo(), juce::AudioChannelSet::stereo());
    for (int n = 1; n <= 16; ++n)
    {
        const auto band = "b" + juce::String(n) + "_";
        set(band + "add", 1.0f);
        set(band + "dyn", 1.0f);
        set(band + "type", float(n % 10));
        set(band + "slope", 5.0f);
        set(band + "gain", 6.0f);
        set(band + "detsc", n % 2 == 0 ? 1.0f : 0.0f);
    }
    set("soft_clip", 1.0f);
    set("sc", 1.0f);
    prepare(kRate, 512);
    const auto main = makeSignal(2, 48000, harmonicTone(220.0, kRate, 0.3f));
    const auto sidechain = makeSignal(2, 48000, harmonicTone(330.0, kRate, 0.3f));
    run(main, &sidechain); // warm up

    allocation_counter::allocations = 0;
    countAllocations = true;
    run(main, &sidechain, 512);
    set("lookahead", 0.0f); // a latency change
    set("b3_solo", 1.0f);
    run(main, &sidechain, 100);
    set("bypass", 1.0f);
    run(main, &sidechain, 512);
    countAllocations = false;
    EXPECT_EQ(allocation_counter::allocations.load(), 0);
}

// The bands' dynamics, designs and filters, re-computed band by band with the plain per-band and
// per-sample forms (one detector run and one fresh design per band and sub-block, the bank one sample at a
// time), from the frequencies the processor publishes after each 32-sample block.
class BandReference
{
public:
    explicit BandReference(const EngineParameters& p) : parameters(p) { vivera::dsp::resetBandBank(bank); }

    void subBlock(const float* const* main, const float* const* sidechain, int n, double* left, double* right,
                  const std::array<float, vivera::dsp::kNumBands>& frequency)
    {
        using namespace vivera::dsp;
        BandBankRouting routing;
        routing.pitchAvailable = true;
        for (size_t k = 0; k < static_cast<size_t>(kNumBands); ++k)
        {
            const auto& band = parameters.bands[k];
            routing.solo[k] = band.solo.isOn() && band.isProcessed();
            routing.chan[k] = std::clamp(static_cast<int>(band.chan.get()), 0, 2);
        }
        routing.listenMode = anyBandSoloed(routing);
        for (size_t k = 0; k < static_cast<size_t>(kNumBands); ++k)
        {
            const auto& band = parameters.bands[k];
            bool active = false;
            if (!band.isProcessed())
                resetDetector(detectors[k]);
            else
            {
                const auto dynamics = readDynamicsParameters(band);
                const bool dynamic = isDynamicBand(dynamics);
                double amount = 1.0;
                if (frequency[k] > 0.0f && dynamic)
                {
                    const float* const* source = band.detsc.isOn() ? sidechain : main;
                    amount = runDetector(detectors[k], detectorSettingsForBand(dynamics), source[0],
                                         source[1], n, sidechainFrequencyHz(dynamics, frequency[k]), kRate);
                }
                else if (!dynamic)
                    resetDetector(detectors[k]);
                active = designBand(readFilterSettings(band, parameters.global), kRate, frequency[k],
                                    band.solo.isOn(), amount, bank.cascades[k]);
            }
            setBandActive(bank, static_cast<int>(k), active);
        }
        for (int i = 0; i < n; ++i)
            processBandBankSample(bank, routing, left[i], right[i]);
    }

private:
    const EngineParameters& parameters;
    vivera::dsp::BandBank bank;
    std::array<vivera::dsp::BandDetector, vivera::dsp::kNumBands> detectors{};
};

TEST_F(Pipeline, BandsEqualTheirPerBandReferenceBitForBit)
{
    useLayout(juce::AudioChannelSet::stereo(), juce::AudioChannelSet::stereo());
    set("lookahead", 0.0f);
    set("auto_gain", 0.0f);
    set("lock", 1.0f);
    set("freq", 220.0f);
    // type, slope, gain, mult, dyn, chan, detsc, det, dynmode, thresh: every detector mode, channel, blend
    // and section layout, a band pushed out of range (its detector held), one removed, one disabled.
    const struct
    {
        float type, slope, gain, mult, dyn, chan, detsc, det, dynmode, thresh;
    } bandSettings[] = {
        {0, 1, -6, 1, 1, 0, 0, 1, 0, -40},  {4, 5, 0, 0.5f, 1, 1, 0, 1, 0, -30},
        {5, 3, 0, 20, 1, 2, 1, 1, 0, -35},  {6, 1, 5, 2, 0, 0, 0, 1, 0, -50},
        {7, 1, -5, 8, 0, 1, 0, 1, 0, -20},  {8, 2, 4, 3, 0, 0, 0, 0, 0, -45},
        {9, 1, -4, 4, 0, 2, 1, 1, 0, -60},  {3, 4, 0, 3, 1, 0, 0, 0, 0, -40},
        {1, 2, 5, 1, 0, 0, 0, 1, 0, -30},   {2, 5, 4, 6, 0, 1, 0, 1, 0, -30},
        {0, 1, 6, 200, 1, 0, 0, 1, 0, -30}, {4, 0, 0, 0.25f, 0, 2, 0, 1, 0, -30},
        {5, 2, 0, 12, 1, 0, 1, 0, 0, -50},  {0, 4, -8, 5, 1, 0, 0, 1, 1, -20},
        {0, 1, 6, 7, 1, 0, 0, 1, 0, -30},   {0, 1, 6, 9, 1, 0, 0, 1, 0, -30},
    };
    for (int n = 1; n <= 16; ++n)
    {
        const auto& b = bandSettings[n - 1];
        const auto band = "b" + juce::String(n) + "_";
        set(band + "add", n == 15 ? 0.0f : 1.0f);
        set(band + "on", n == 16 ? 0.0f : 1.0f);
        set(band + "type", b.type);
        set(band + "slope", b.slope);
        set(band + "gain", b.gain);
        set(band + "mult", b.mult);
        set(band + "dyn", b.dyn);
        set(band + "chan", b.chan);
        set(band + "detsc", b.detsc);
        set(band + "det", b.det);
        set(band + "dynmode", b.dynmode);
        set(band + "thresh", b.thresh);
    }
    constexpr int kBlock = 32;
    prepare(kRate, kBlock);

    // A tone whose level swells and falls, with a different tone on each channel and on the sidechain.
    constexpr int kLength = 24000;
    juce::AudioBuffer<float> main(2, kLength), sidechain(2, kLength);
    for (int i = 0; i < kLength; ++i)
    {
        const float swell = 0.5f + 0.45f * static_cast<float>(std::sin(2.0 * M_PI * 3.0 * i / kRate));
        main.setSample(0, i, swell * harmonicTone(220.0, kRate, 0.6f)(i));
        main.setSample(1, i, swell * harmonicTone(221.0, kRate, 0.4f)(i) + sine(3000.0, kRate, 0.1f)(i));
        sidechain.setSample(0, i, (1.0f - swell) * harmonicTone(330.0, kRate, 0.5f)(i));
        sidechain.setSample(1, i, swell * sine(5000.0, kRate, 0.3f)(i));
    }

    BandReference reference(processor.engineParameters());
    float largestAmount = 0.0f;
    juce::AudioBuffer<float> work(4, kBlock);
    juce::MidiBuffer midi;
    for (int start = 0; start + kBlock <= kLength; start += kBlock)
    {
        // Settings change on the way: listen mode, a gain, a band switched off and back, a new slope.
        if (start == 8000)
        {
            set("b3_solo", 1.0f);
            set("b14_solo", 1.0f);
            set("b1_gain", -9.0f);
        }
        if (start == 12000)
        {
            set("b3_solo", 0.0f);
            set("b14_solo", 0.0f);
            set("b5_on", 0.0f);
            set("b2_slope", 3.0f);
        }
        if (start == 16000)
            set("b5_on", 1.0f);

        for (int c = 0; c < 2; ++c)
        {
            work.copyFrom(c, 0, main, c, start, kBlock);
            work.copyFrom(2 + c, 0, sidechain, c, start, kBlock);
        }
        processor.processBlock(work, midi);

        std::array<float, vivera::dsp::kNumBands> frequency{};
        for (size_t k = 0; k < frequency.size(); ++k)
        {
            frequency[k] = processor.telemetry.publishedBandFrequency[k].load();
            largestAmount = std::max(largestAmount, processor.telemetry.bandDynamicAmount[k].load());
        }
        const float* mainIn[2] = {main.getReadPointer(0, start), main.getReadPointer(1, start)};
        const float* sidechainIn[2] = {sidechain.getReadPointer(0, start),
                                       sidechain.getReadPointer(1, start)};
        double left[kBlock], right[kBlock];
        for (int i = 0; i < kBlock; ++i)
        {
            left[i] = mainIn[0][i];
            right[i] = mainIn[1][i];
        }
        reference.subBlock(mainIn, sidechainIn, kBlock, left, right, frequency);
        for (int i = 0; i < kBlock; ++i)
        {
            ASSERT_EQ(work.getSample(0, i), static_cast<float>(left[i])) << "sample " << start + i;
            ASSERT_EQ(work.getSample(1, i), static_cast<float>(right[i])) << "sample " << start + i;
        }
    }
    EXPECT_GT(largestAmount, 0.5f); // the detectors did act
}
} // namespace
