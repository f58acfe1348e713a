// Band detector behaviour: the gain computer's numeric cases, knee and slope, attack/release timing, the
// sidechain filter shapes, the transient and sibilance measures, channel modes, and bounded output on
// hostile input.
#include "dsp/BandDetector.h"
#include "TestSignals.h"
#include "dsp/DetectorSettingsRules.h"
#include "dsp/SvfSection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace vivera::dsp
{
namespace
{
using namespace test;

constexpr int kSubBlock = 32;

// Runs the detector over whole signals in 32-sample sub-blocks; returns the amount after each sub-block.
std::vector<double> runBlocks(BandDetector& d, const DetectorSettings& s, const std::vector<float>& left,
                              const std::vector<float>& right, double scHz, double fs)
{
    std::vector<double> amounts;
    for (size_t o = 0; o + kSubBlock <= left.size(); o += kSubBlock)
        amounts.push_back(runDetector(d, s, left.data() + o, right.data() + o, kSubBlock, scHz, fs));
    return amounts;
}

std::vector<float> sineAtRmsDb(double frequencyHz, double rmsDb, double seconds, double fs)
{
    return steadyTone(Waveform::sine, frequencyHz, seconds, fs, dbToGain(rmsDb) * std::sqrt(2.0));
}

std::vector<float> constant(float value, double seconds, double fs)
{
    return std::vector<float>(static_cast<size_t>(seconds * fs), value);
}

DetectorSettings bellSettings()
{
    DetectorSettings s; // thresh -30, ratio 4, attack 10, release 150, range 12, RMS, Band Q 2, Above
    s.kneeDb = 0.0;
    return s;
}

// Steady tones through the gain computer. RMS cases use a sine at the band-pass centre (unity gain there),
// peak cases use DC through the low-pass shape so the peak level is exact.
TEST(BandDetectorGainComputer, SettlesOnTheWantedReductionOverRange)
{
    struct Case
    {
        const char* name;
        bool above;
        bool rms;
        double levelDb;
        double ratio;
        double kneeDb;
        double rangeDb;
        double expectedAmount;
    };
    const Case cases[] = {
        {"16 dB over, ratio 4: 12 of 12 dB", true, true, -14.0, 4.0, 0.0, 12.0, 1.0},
        {"8 dB over: 6 of 12 dB", true, true, -22.0, 4.0, 0.0, 12.0, 0.5},
        {"under the threshold", true, true, -40.0, 4.0, 0.0, 12.0, 0.0},
        {"Below, over the threshold", false, true, -14.0, 4.0, 0.0, 12.0, 0.0},
        {"Below, 16 dB under", false, true, -46.0, 4.0, 0.0, 12.0, 1.0},
        {"ratio 1: no slope", true, true, -6.0, 1.0, 0.0, 12.0, 0.0},
        {"ratio below 1 acts as 1", true, true, -6.0, 0.5, 0.0, 12.0, 0.0},
        {"knee 6 at the threshold: 0.75 x slope", true, false, -30.0, 4.0, 6.0, 1.0, 0.5625},
        {"knee 6, 2 dB over: inside the knee", true, false, -28.0, 2.0, 6.0, 2.0, 25.0 / 24.0 / 2.0},
        {"knee 6, 4 dB over: above the knee", true, false, -26.0, 2.0, 6.0, 12.0, 2.0 / 12.0},
        {"knee 6, 4 dB under", true, false, -34.0, 2.0, 6.0, 1.0, 0.0},
        {"negative knee acts as hard", true, false, -29.0, 2.0, -3.0, 1.0, 0.5},
        {"range below 0.1 acts as 0.1", true, false, -29.9, 4.0, 0.0, 0.0, 0.75},
        {"peak, 16 dB over", true, false, -14.0, 4.0, 0.0, 12.0, 1.0},
        {"peak, 8 dB over", true, false, -22.0, 4.0, 0.0, 12.0, 0.5},
        {"peak, Below, 8 dB under", false, false, -38.0, 4.0, 0.0, 12.0, 0.5},
    };
    for (double fs : {44100.0, 48000.0, 96000.0})
    {
        for (const auto& c : cases)
        {
            DetectorSettings s = bellSettings();
            s.above = c.above;
            s.rms = c.rms;
            s.ratio = c.ratio;
            s.kneeDb = c.kneeDb;
            s.rangeDb = c.rangeDb;
            std::vector<float> signal;
            if (c.rms)
                signal = sineAtRmsDb(1000.0, c.levelDb, 1.5, fs);
            else
            {
                s.scShape = kSidechainLow;
                signal = constant(static_cast<float>(dbToGain(c.levelDb)), 1.5, fs);
            }
            BandDetector d;
            const auto amounts = runBlocks(d, s, signal, signal, 1000.0, fs);
            EXPECT_NEAR(amounts.back(), c.expectedAmount, 0.01) << c.name << " at " << fs;
            EXPECT_NEAR(d.levelDb, c.levelDb, 0.1) << c.name << " at " << fs;
        }
    }
}

// Attack: a step that makes the wanted reduction jump up; release: a step that makes it fall to 0. The peak
// envelope follows the step at once, so the amount traces the ballistics alone.
TEST(BandDetectorBallistics, AttackAndReleaseTimeConstants)
{
    struct Case
    {
        double attackMs, releaseMs, fs;
    };
    const Case cases[] = {
        {1.0, 20.0, 48000.0}, {10.0, 150.0, 48000.0}, {50.0, 1000.0, 44100.0}, {10.0, 150.0, 96000.0}};
    for (const auto& c : cases)
    {
        DetectorSettings s = bellSettings();
        s.rms = false;
        s.scShape = kSidechainLow;
        s.thresholdDb = -60.0;
        s.rangeDb = 60.0; // 60 dB over at ratio 4 wants 45 dB: amount 0.75
        s.attackMs = c.attackMs;
        s.releaseMs = c.releaseMs;

        BandDetector d;
        const double tail = 5.0 * c.releaseMs * 0.001;
        auto attack = runBlocks(d, s, constant(1.0f, 5.0 * c.attackMs * 0.001, c.fs),
                                constant(1.0f, 5.0 * c.attackMs * 0.001, c.fs), 10000.0, c.fs);
        const auto at = [&](const std::vector<double>& a, double seconds)
        { return a[static_cast<size_t>(std::round(seconds * c.fs / kSubBlock)) - 1]; };
        const double blockTime = kSubBlock / c.fs;
        const double attackTime = std::round(c.attackMs * 0.001 / blockTime) * blockTime;
        EXPECT_NEAR(at(attack, attackTime), 0.75 * (1.0 - std::exp(-attackTime / (c.attackMs * 0.001))),
                    0.015)
            << c.attackMs << " ms attack";

        // Release, in Below mode: from 60 dB under the threshold to 0 dB over it.
        s.above = false;
        s.thresholdDb = 0.0;
        resetDetector(d);
        runBlocks(d, s, constant(0.001f, 1.0, c.fs), constant(0.001f, 1.0, c.fs), 10000.0, c.fs);
        ASSERT_NEAR(runDetector(d, s, nullptr, nullptr, 0, 10000.0, c.fs), 0.75, 1e-3);
        const auto release =
            runBlocks(d, s, constant(1.0f, tail, c.fs), constant(1.0f, tail, c.fs), 10000.0, c.fs);
        const double releaseTime = std::round(c.releaseMs * 0.001 / blockTime) * blockTime;
        EXPECT_NEAR(at(release, releaseTime), 0.75 * std::exp(-releaseTime / (c.releaseMs * 0.001)), 0.01)
            << c.releaseMs << " ms release";
    }
}

// The sidechain filter shapes, measured as the RMS level reading of a tone against the section's exact
// response.
TEST(BandDetectorSidechain, ShapesFilterTheDetectorInput)
{
    struct Case
    {
        int shape;
        double q;
        double toneRatio; // tone frequency / sidechain frequency
        int svfType;
    };
    const Case cases[] = {
        {kSidechainBand, 2.0, 1.0, kSvfBandPass}, {kSidechainBand, 2.0, 4.0, kSvfBandPass},
        {kSidechainBand, 8.0, 0.5, kSvfBandPass}, {kSidechainHigh, 2.0, 0.25, kSvfHighPass},
        {kSidechainHigh, 2.0, 4.0, kSvfHighPass}, {kSidechainLow, 2.0, 4.0, kSvfLowPass},
        {kSidechainLow, 2.0, 0.25, kSvfLowPass},
    };
    const double fs = 48000.0, scHz = 1500.0;
    for (const auto& c : cases)
    {
        DetectorSettings s = bellSettings();
        s.scShape = c.shape;
        s.scQ = c.q;
        const double q = c.shape == kSidechainBand ? c.q : 0.70710678;
        FilterSection section;
        section.svf = designSvfSection(c.svfType, scHz, q, 0.0, fs);
        const double toneHz = c.toneRatio * scHz;
        const double expectedDb =
            -20.0 + 20.0 * std::log10(std::abs(sectionResponse(section, kTwoPi * toneHz / fs)));
        const auto tone = sineAtRmsDb(toneHz, -20.0, 1.0, fs);
        BandDetector d;
        runBlocks(d, s, tone, tone, scHz, fs);
        EXPECT_NEAR(d.levelDb, expectedDb, 0.15) << "shape " << c.shape << " ratio " << c.toneRatio;
    }
}

// Silent input: the level floors of each measure.
TEST(BandDetectorLevels, SilenceReadsTheFloors)
{
    struct Case
    {
        int type;
        double expectedLevelDb;
    };
    const Case cases[] = {
        {kBandBell, -180.0}, {kBandSibilance, -60.0}, {kBandTransient, 0.0}, {kBandSustain, 0.0}};
    for (const auto& c : cases)
    {
        BandDynamicsParameters p;
        p.type = static_cast<float>(c.type);
        p.dyn = 1.0f;
        for (float det : {0.0f, 1.0f})
        {
            p.det = det;
            BandDetector d;
            const auto silence = constant(0.0f, 0.1, 48000.0);
            runBlocks(d, detectorSettingsForBand(p), silence, silence, 1000.0, 48000.0);
            EXPECT_NEAR(d.levelDb, c.expectedLevelDb, 1e-6) << "type " << c.type;
        }
    }
}

// Transient and Sustain on a tone that starts after silence: Transient acts on the onset and lets go on the
// steady part; Sustain does the opposite.
TEST(BandDetectorTransient, OnsetAgainstSteadyPart)
{
    struct Case
    {
        int type;
        float thresh;
        double maxOnsetAtLeast;
        double steadyAmountLow, steadyAmountHigh;
    };
    const Case cases[] = {
        // Tt = 0 dB: any rise counts, a steady tone settles near 0 dB.
        {kBandTransient, -60.0f, 0.3, 0.0, 0.05},
        {kBandTransient, -30.0f, 0.05, 0.0, 0.001}, // Tt = 6 dB: only the onset
        {kBandSustain, 0.0f, 0.0, 0.72, 0.78},      // 12 dB under Tt when steady: 9 dB wanted of 12
    };
    const double fs = 48000.0;
    for (const auto& c : cases)
    {
        BandDynamicsParameters p;
        p.type = static_cast<float>(c.type);
        p.thresh = c.thresh;
        p.knee = 0.0f;
        auto signal = constant(0.0f, 0.1, fs);
        const auto tone = sineAtRmsDb(500.0, -12.0, 1.0, fs);
        signal.insert(signal.end(), tone.begin(), tone.end());
        BandDetector d;
        const auto amounts = runBlocks(d, detectorSettingsForBand(p), signal, signal, 500.0, fs);
        const size_t onset = static_cast<size_t>(0.1 * fs / kSubBlock);
        const double onsetPeak = *std::max_element(amounts.begin() + onset, amounts.begin() + onset + 100);
        EXPECT_GE(onsetPeak, c.maxOnsetAtLeast) << "type " << c.type << " thresh " << c.thresh;
        EXPECT_GE(amounts.back(), c.steadyAmountLow) << "type " << c.type << " thresh " << c.thresh;
        EXPECT_LE(amounts.back(), c.steadyAmountHigh) << "type " << c.type << " thresh " << c.thresh;
        if (c.type == kBandTransient)
            EXPECT_NEAR(d.levelDb, 0.0, 0.5);
    }
}

// Channel modes on an antiphase pair (L = x, R = -x): Mid hears nothing, Stereo and Side hear the tone.
TEST(BandDetectorChannels, MidAndSideAnalyseOneSignal)
{
    struct Case
    {
        int channelMode;
        double expectedLevelDb; // sibilance measure: band relative to the whole signal
        double expectedAmount;
    };
    const Case cases[] = {{kChannelStereo, 0.0, 1.0}, {kChannelMid, -60.0, 0.0}, {kChannelSide, 0.0, 1.0}};
    const double fs = 48000.0;
    for (const auto& c : cases)
    {
        BandDynamicsParameters p;
        p.type = kBandSibilance;
        p.thresh = -30.0f;
        p.chan = static_cast<float>(c.channelMode);
        const auto left = sineAtRmsDb(3000.0, -20.0, 0.5, fs);
        std::vector<float> right(left.size());
        std::transform(left.begin(), left.end(), right.begin(), [](float v) { return -v; });
        BandDetector d;
        const auto amounts = runBlocks(d, detectorSettingsForBand(p), left, right, 3000.0, fs);
        EXPECT_NEAR(d.levelDb, c.expectedLevelDb, 0.2) << "mode " << c.channelMode;
        EXPECT_NEAR(amounts.back(), c.expectedAmount, 0.01) << "mode " << c.channelMode;
    }
}

// Sibilance compares the band with the whole detector signal: a tone far from the band reads low.
TEST(BandDetectorChannels, SibilanceIsRelativeToTheWholeSignal)
{
    BandDynamicsParameters p;
    p.type = kBandSibilance;
    p.thresh = -20.0f;
    p.chan = kChannelMid;
    const double fs = 48000.0;
    const auto inBand = sineAtRmsDb(6000.0, -40.0, 0.5, fs);  // quiet, but all of it sits in the band
    const auto outOfBand = sineAtRmsDb(300.0, -6.0, 0.5, fs); // loud, far below the band
    BandDetector d;
    const auto settings = detectorSettingsForBand(p);
    EXPECT_GT(runBlocks(d, settings, inBand, inBand, 6000.0, fs).back(), 0.9);
    resetDetector(d);
    EXPECT_LT(runBlocks(d, settings, outOfBand, outOfBand, 6000.0, fs).back(), 0.01);
}

// Whatever the input and settings, the amount stays in [0, 1] and the state finite.
TEST(BandDetectorRobustness, AmountStaysBoundedAndFinite)
{
    const double fs = 48000.0;
    std::vector<std::pair<const char*, std::vector<float>>> signals = {
        {"silence", constant(0.0f, 0.3, fs)},
        {"DC +1", constant(1.0f, 0.3, fs)},
        {"DC -1", constant(-1.0f, 0.3, fs)},
        {"noise", whiteNoise(0.3, fs, 1.0, 11)},
        {"square", steadyTone(Waveform::pulse25, 50.0, 0.3, fs, 0.5)},
    };
    std::vector<float> clipped(signals[3].second);
    for (auto& v : clipped)
        v = v > 0.0f ? 1.0f : -1.0f;
    signals.push_back({"full-scale binary noise", clipped});

    for (const auto& [name, signal] : signals)
        for (int type = 0; type <= 9; ++type)
            for (int chan = 0; chan <= 2; ++chan)
                for (int shape = 0; shape <= 2; ++shape)
                    for (float det : {0.0f, 1.0f})
                        for (double scHz : {1.0, 1000.0, 40000.0})
                        {
                            BandDynamicsParameters p;
                            p.type = static_cast<float>(type);
                            p.dyn = 1.0f;
                            p.dynmode = static_cast<float>(type % 2);
                            p.chan = static_cast<float>(chan);
                            p.scshape = static_cast<float>(shape);
                            p.det = det;
                            p.thresh = -60.0f;
                            p.ratio = 20.0f;
                            p.attack = 0.1f;
                            p.range = 1.0f;
                            BandDetector d;
                            for (double a :
                                 runBlocks(d, detectorSettingsForBand(p), signal, signal, scHz, fs))
                                ASSERT_TRUE(a >= 0.0 && a <= 1.0) << name << " type " << type;
                            ASSERT_TRUE(std::isfinite(d.levelDb) && std::isfinite(d.reductionDb)) << name;
                        }
}

TEST(BandDetectorRobustness, NonFiniteInputResetsInsteadOfSticking)
{
    auto signal = sineAtRmsDb(1000.0, -14.0, 0.5, 48000.0);
    signal[1000] = std::numeric_limits<float>::quiet_NaN();
    BandDetector d;
    const auto amounts = runBlocks(d, bellSettings(), signal, signal, 1000.0, 48000.0);
    EXPECT_EQ(amounts[1000 / kSubBlock], 0.0);
    EXPECT_NEAR(amounts.back(), 1.0, 0.01);
}

TEST(BandDetectorReset, RestoresTheInitialState)
{
    BandDetector d;
    const auto tone = sineAtRmsDb(1000.0, -14.0, 0.1, 48000.0);
    runBlocks(d, bellSettings(), tone, tone, 1000.0, 48000.0);
    ASSERT_NE(d.reductionDb, 0.0);
    resetDetector(d);
    EXPECT_EQ(d.levelDb, -120.0);
    for (double v : {d.ic1L, d.ic1R, d.ic2L, d.ic2R, d.envelope, d.meanSquare, d.reductionDb,
                     d.fastMeanSquare, d.slowMeanSquare, d.fullBandMeanSquare})
        EXPECT_EQ(v, 0.0);
}

} // namespace
} // namespace vivera::dsp
