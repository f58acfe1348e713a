// Pitch follower behaviour: first acquisition, 30 ms log-domain glide, lock, loss counting and pitch-lost,
// band frequencies with freeze, and the tracker feeding the follower.
#include "dsp/PitchFollower.h"
#include "TestSignals.h"
#include "dsp/PitchAligner.h"
#include "dsp/PitchTracker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

namespace vivera::dsp
{
namespace
{

PitchFollowerInput reading(float hz)
{
    PitchFollowerInput in;
    in.trackerPitchHz = hz;
    return in;
}

PitchFollowerInput locked(float manualHz, float trackerHz = 0.0f)
{
    PitchFollowerInput in;
    in.lock = true;
    in.manualFrequencyHz = manualHz;
    in.trackerPitchHz = trackerHz;
    return in;
}

TEST(PitchFollower, StartsAt220WithoutPitch)
{
    PitchFollower f;
    f.samplesSinceLoss = 99;
    f.hasPitch = true;
    f.freezeLatched[3] = true;
    f.frozenPitch[3] = 123.0f;
    resetFollower(f);
    EXPECT_FLOAT_EQ(smoothedPitchHz(f), 220.0f);
    EXPECT_FALSE(f.hasPitch);
    EXPECT_EQ(f.samplesSinceLoss, 0);
    EXPECT_FALSE(f.freezeLatched[3]);
    EXPECT_EQ(f.frozenPitch[3], 123.0f); // only a new capture replaces a frozen pitch
    EXPECT_FALSE(isPitchAvailable(f, false));
    EXPECT_EQ(publishedPitchHz(f, false), 0.0f);
}

TEST(PitchFollower, FirstReadingIsTakenAtOnce)
{
    PitchFollower f;
    EXPECT_FLOAT_EQ(updatePitch(f, reading(330.0f), 32, 48000.0), 330.0f);
    EXPECT_TRUE(f.hasPitch);
    EXPECT_TRUE(isPitchAvailable(f, false));
    EXPECT_FLOAT_EQ(publishedPitchHz(f, false), 330.0f);
}

// After the first acquisition the log pitch moves with a 30 ms time constant, whatever the sub-block sizes.
TEST(PitchFollower, GlidesWithA30msTimeConstant)
{
    struct Case
    {
        double fs;
        int blockSize;
    };
    const Case cases[] = {{48000.0, 32}, {44100.0, 32}, {96000.0, 32}, {48000.0, 7}};
    for (const auto& c : cases)
    {
        PitchFollower f;
        updatePitch(f, reading(220.0f), c.blockSize, c.fs);
        int elapsed = 0;
        float pitch = 0.0f;
        while (elapsed < static_cast<int>(0.03 * c.fs))
        {
            pitch = updatePitch(f, reading(440.0f), c.blockSize, c.fs);
            elapsed += c.blockSize;
        }
        // Fraction of the octave still to go after `elapsed` samples.
        const double remaining = 1.0 - std::log2(pitch / 220.0);
        EXPECT_NEAR(remaining, std::exp(-elapsed / (0.03 * c.fs)), 2e-4) << c.fs << " / " << c.blockSize;
        EXPECT_NEAR(std::exp(-elapsed / (0.03 * c.fs)), std::exp(-1.0), 0.03);
    }
}

TEST(PitchFollower, LockGlidesToTheManualPitchAndIsNeverLost)
{
    PitchFollower f;
    float pitch = 0.0f;
    pitch = updatePitch(f, locked(110.0f), 32, 48000.0);
    EXPECT_GT(pitch, 200.0f); // a glide, not a jump, even before any pitch was acquired
    EXPECT_FALSE(f.hasPitch);
    EXPECT_TRUE(isPitchAvailable(f, true));
    for (int i = 0; i < 48000 / 32; ++i)
        pitch = updatePitch(f, locked(110.0f, 440.0f), 32, 48000.0); // a tracker reading is ignored
    EXPECT_NEAR(pitch, 110.0f, 0.01f);
    EXPECT_FALSE(f.hasPitch);
    EXPECT_FALSE(isPitchLost(f, true, 48000.0));
    EXPECT_FALSE(isAutoBypassed(f, true, true, 48000.0));
    EXPECT_FLOAT_EQ(publishedPitchHz(f, true), pitch);
}

TEST(PitchFollower, NoDetectorInputReadsNoPitch)
{
    PitchFollower f;
    PitchFollowerInput in = reading(440.0f);
    in.hasDetectorInput = false;
    updatePitch(f, in, 32, 48000.0);
    EXPECT_FALSE(f.hasPitch);
    EXPECT_EQ(f.pitchReading, 0.0f);
    EXPECT_EQ(f.samplesSinceLoss, 32);
}

// Loss counting: bands hold their pitch, pitch-lost rises after 0.7 s, auto bypass needs an earlier pitch.
TEST(PitchFollower, PitchLostAfter700ms)
{
    for (double fs : {44100.0, 48000.0, 96000.0})
    {
        PitchFollower f;
        updatePitch(f, reading(0.0f), 32, fs);
        EXPECT_FALSE(isAutoBypassed(f, true, false, fs)) << "no pitch was ever found";
        updatePitch(f, reading(196.0f), 32, fs);
        EXPECT_EQ(f.samplesSinceLoss, 0);
        const int limit = pitchLossSamples(fs);
        EXPECT_EQ(limit, static_cast<int>(0.7 * fs));
        while (f.samplesSinceLoss + 32 <= limit)
        {
            EXPECT_FLOAT_EQ(updatePitch(f, reading(0.0f), 32, fs), 196.0f);
            EXPECT_FALSE(isPitchLost(f, false, fs));
        }
        updatePitch(f, reading(0.0f), 32, fs);
        EXPECT_TRUE(isPitchLost(f, false, fs)) << fs;
        EXPECT_TRUE(isAutoBypassed(f, true, false, fs));
        EXPECT_FALSE(isAutoBypassed(f, false, false, fs));
        EXPECT_FALSE(isPitchLost(f, true, fs)) << "lock overrides";
        EXPECT_FLOAT_EQ(publishedPitchHz(f, false), 196.0f) << "the last pitch stays published";
        updatePitch(f, reading(200.0f), 32, fs);
        EXPECT_FALSE(isPitchLost(f, false, fs));
    }
}

// Hours without a pitch: the count saturates instead of overflowing and ending the lost state.
TEST(PitchFollower, LossCountSaturates)
{
    PitchFollower f;
    updatePitch(f, reading(220.0f), 32, 48000.0);
    f.samplesSinceLoss = std::numeric_limits<int>::max() - 40;
    for (int i = 0; i < 4; ++i)
    {
        updatePitch(f, reading(0.0f), 32, 48000.0);
        EXPECT_GT(f.samplesSinceLoss, 0);
    }
    EXPECT_EQ(f.samplesSinceLoss, std::numeric_limits<int>::max());
    EXPECT_TRUE(isPitchLost(f, false, 48000.0));
    EXPECT_TRUE(isAutoBypassed(f, true, false, 48000.0));
}

BandPitchInput band(float mult, bool freeze = false, bool added = true, bool enabled = true)
{
    BandPitchInput b;
    b.added = added;
    b.enabled = enabled;
    b.freeze = freeze;
    b.multiplier = mult;
    return b;
}

TEST(PitchFollowerBands, FrequencyIsPitchTimesMultiplierInsideTheValidRange)
{
    struct Case
    {
        float pitchHz;
        BandPitchInput input;
        double fs;
        float expectedHz;
    };
    const Case cases[] = {
        {220.0f, band(2.0f), 48000.0, 440.0f},
        {220.0f, band(0.25f), 48000.0, 55.0f},
        {60.0f, band(0.25f), 48000.0, 0.0f},   // 15 Hz: below 20 Hz
        {1600.0f, band(16.0f), 48000.0, 0.0f}, // 25.6 kHz > 23.52 kHz
        {1600.0f, band(14.0f), 48000.0, 22400.0f},
        {1600.0f, band(14.0f), 44100.0, 0.0f},                   // > 21.609 kHz
        {220.0f, band(2.0f, false, false), 48000.0, 0.0f},       // not added
        {220.0f, band(2.0f, false, true, false), 48000.0, 0.0f}, // disabled
        {220.0f, band(std::numeric_limits<float>::quiet_NaN()), 48000.0, 0.0f},
    };
    for (const auto& c : cases)
    {
        PitchFollower f;
        updatePitch(f, reading(c.pitchHz), 32, c.fs);
        EXPECT_FLOAT_EQ(bandFrequency(f, 0, c.input, false, c.fs), c.expectedHz)
            << c.pitchHz << " x " << c.input.multiplier << " at " << c.fs;
    }
    PitchFollower unavailable;
    EXPECT_EQ(bandFrequency(unavailable, 0, band(1.0f), false, 48000.0), 0.0f);
    EXPECT_FLOAT_EQ(bandFrequency(unavailable, 0, band(1.0f), true, 48000.0), 220.0f)
        << "lock makes it available";
}

TEST(PitchFollowerBands, FreezeCapturesOnTheRisingEdge)
{
    PitchFollower f;
    updatePitch(f, reading(220.0f), 32, 48000.0);
    EXPECT_FLOAT_EQ(bandFrequency(f, 2, band(3.0f, true), false, 48000.0), 660.0f);
    for (int i = 0; i < 2000; ++i)
        updatePitch(f, reading(330.0f), 32, 48000.0);
    EXPECT_FLOAT_EQ(bandFrequency(f, 2, band(3.0f, true), false, 48000.0), 660.0f) << "held while frozen";
    EXPECT_FLOAT_EQ(bandFrequency(f, 2, band(2.0f, true), false, 48000.0), 440.0f) << "mult still applies";
    EXPECT_NEAR(bandFrequency(f, 1, band(1.0f), false, 48000.0), 330.0f, 0.01f) << "other bands follow";
    EXPECT_NEAR(bandFrequency(f, 2, band(3.0f, false), false, 48000.0), 990.0f, 0.05f) << "released";
    EXPECT_NEAR(bandFrequency(f, 2, band(3.0f, true), false, 48000.0), 990.0f, 0.05f) << "recaptured";
}

TEST(PitchFollowerBands, FreezeSwitchedOnWhileBandIsOffDoesNotCapture)
{
    PitchFollower f;
    updatePitch(f, reading(220.0f), 32, 48000.0);
    EXPECT_EQ(bandFrequency(f, 5, band(1.0f, true, true, false), false, 48000.0), 0.0f);
    EXPECT_TRUE(f.freezeLatched[5]);
    // Enabled again with freeze still on: no capture happened, so the band sits at its old frozen value (0).
    EXPECT_EQ(bandFrequency(f, 5, band(1.0f, true), false, 48000.0), 0.0f);
    EXPECT_FLOAT_EQ(bandFrequency(f, 5, band(1.0f, false), false, 48000.0), 220.0f);
    EXPECT_EQ(bandFrequency(f, 99, band(1.0f), false, 48000.0), 0.0f) << "no such band";
}

// End to end: the tracker's first estimate becomes the smoothed pitch at once, later notes glide.
TEST(PitchFollower, FollowsTheTrackerThroughANoteChange)
{
    static PitchTracker tracker;
    tracker = PitchTracker{};
    tracker.prepare(48000.0);
    tracker.applySettings(15.0f, -80.0f, 20.0f, 5000.0f);
    PitchFollower follower;
    const auto note = [](double t) { return t < 0.5 ? 220.0 : 261.63; };
    const auto signal = test::harmonicTone(test::Waveform::sawtooth, note, 1.0, 48000.0, 0.1);
    float pitch = 0.0f;
    bool acquired = false;
    for (size_t o = 0; o < signal.size(); o += 32)
    {
        for (size_t i = o; i < o + 32; ++i)
            tracker.pushSample(signal[i]);
        pitch = updatePitch(follower, reading(tracker.pitchHz), 32, 48000.0);
        if (!acquired && tracker.pitchHz > 0.0f)
        {
            acquired = true;
            EXPECT_FLOAT_EQ(pitch, tracker.pitchHz);
            EXPECT_NEAR(o + 32, 4096, 32);
        }
        if (o == 24000) // just before the change
            EXPECT_NEAR(pitch, 220.0f, 0.2f);
    }
    EXPECT_NEAR(test::centsBetween(pitch, 261.63), 0.0, 3.0);
}

// The aligner keeps its readings on a 32-sample grid: a jump from 220 Hz to 330 Hz one second in gives the
// same lined-up pitch at every grid point whatever the sub-block lengths, and its glide is centred the delay
// less the advance after the jump.
TEST(PitchAligner, JumpGlideIsCentredWhateverTheSubBlockLengths)
{
    constexpr double kRate = 48000.0;
    constexpr int kJumpSample = 48000, kTotal = 96000;
    // The lined-up pitch after every sub-block, keyed by the samples pushed so far.
    const auto run = [&](int subBlock, PitchAligner& aligner)
    {
        prepareAligner(aligner, kRate);
        std::map<int, float> values;
        for (int pushed = 0; pushed < kTotal;)
        {
            const int n = std::min(subBlock, kTotal - pushed);
            pushAlignerReading(aligner, pushed + n <= kJumpSample ? 220.0f : 330.0f, n);
            pushed += n;
            values[pushed] = aligner.alignedLogPitch;
        }
        return values;
    };
    PitchAligner aligner;
    const auto reference = run(kSubBlockSize, aligner);
    for (const int subBlock : {16, 48, 100})
    {
        PitchAligner other;
        for (const auto& [pushed, value] : run(subBlock, other))
            if (pushed % kSubBlockSize == 0)
                ASSERT_EQ(value, reference.at(pushed)) << subBlock << " at " << pushed;
    }

    const float halfWay = 0.5f * (std::log(220.0f) + std::log(330.0f));
    int crossing = -1;
    for (const auto& [pushed, value] : reference)
        if (crossing < 0 && value >= halfWay)
            crossing = pushed / kSubBlockSize;
    EXPECT_NEAR(crossing, kJumpSample / kSubBlockSize + aligner.delaySteps - aligner.advanceSteps, 1);
    EXPECT_FLOAT_EQ(reference.at(kTotal), std::log(330.0f));
}

} // namespace
} // namespace vivera::dsp
