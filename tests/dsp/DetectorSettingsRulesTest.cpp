// Detector settings per band type: the fixed modes of the level-dependent types, `dynmode` and `det` for
// the ordinary types, and clamping of choice values.
#include "dsp/DetectorSettingsRules.h"

#include <gtest/gtest.h>

#include <limits>

namespace vivera::dsp
{
namespace
{

TEST(DetectorSettingsRules, ModesPerBandType)
{
    struct Case
    {
        float type, dyn, dynmode, det;
        bool dynamic, above, rms, transient, sibilance;
    };
    const Case cases[] = {
        {0.0f, 1.0f, 0.0f, 1.0f, true, true, true, false, false},   // Bell, Above, RMS
        {1.0f, 1.0f, 1.0f, 0.0f, true, false, false, false, false}, // Low Shelf, Below, Peak
        {4.0f, 0.0f, 0.0f, 1.0f, false, true, true, false, false},  // High Pass, dyn off
        {6.0f, 0.0f, 1.0f, 0.0f, true, true, false, true, false},   // Transient ignores dynmode
        {7.0f, 0.0f, 1.0f, 1.0f, true, true, true, false, true},    // Sibilance
        {8.0f, 0.0f, 0.0f, 1.0f, true, false, true, false, false},  // Background: always Below
        {9.0f, 0.0f, 0.0f, 1.0f, true, false, true, true, false},   // Sustain
        {9.7f, 0.0f, 0.0f, 0.0f, true, false, false, true, false},  // choice values truncate
        {0.4f, 0.6f, 0.9f, 0.9f, true, true, false, false, false},  // bool > 0.5, choice truncated
    };
    for (const auto& c : cases)
    {
        BandDynamicsParameters p;
        p.type = c.type;
        p.dyn = c.dyn;
        p.dynmode = c.dynmode;
        p.det = c.det;
        const auto s = detectorSettingsForBand(p);
        EXPECT_EQ(isDynamicBand(p), c.dynamic) << "type " << c.type;
        EXPECT_EQ(s.above, c.above) << "type " << c.type;
        EXPECT_EQ(s.rms, c.rms) << "type " << c.type;
        EXPECT_EQ(s.transientDetector, c.transient) << "type " << c.type;
        EXPECT_EQ(s.sibilance, c.sibilance) << "type " << c.type;
    }
}

TEST(DetectorSettingsRules, CopiesValuesAndClampsChoices)
{
    BandDynamicsParameters p;
    p.thresh = -42.0f;
    p.ratio = 8.0f;
    p.attack = 0.5f;
    p.release = 900.0f;
    p.knee = 3.0f;
    p.range = 24.0f;
    p.detq = 9.5f;
    p.detfreq = 2.0f;
    const auto s = detectorSettingsForBand(p);
    EXPECT_EQ(s.thresholdDb, -42.0);
    EXPECT_EQ(s.ratio, 8.0);
    EXPECT_EQ(s.attackMs, 0.5);
    EXPECT_EQ(s.releaseMs, 900.0);
    EXPECT_EQ(s.kneeDb, 3.0);
    EXPECT_EQ(s.rangeDb, 24.0);
    EXPECT_EQ(s.scQ, 9.5);
    EXPECT_EQ(sidechainFrequencyHz(p, 440.0), 880.0);

    struct Choice
    {
        float value;
        int expected;
    };
    const Choice choices[] = {{0.0f, 0},
                              {1.0f, 1},
                              {1.99f, 1},
                              {2.0f, 2},
                              {7.0f, 2},
                              {-1.0f, 0},
                              {std::numeric_limits<float>::quiet_NaN(), 0}};
    for (const auto& c : choices)
    {
        p.chan = c.value;
        p.scshape = c.value;
        const auto clamped = detectorSettingsForBand(p);
        EXPECT_EQ(clamped.channelMode, c.expected) << c.value;
        EXPECT_EQ(clamped.scShape, c.expected) << c.value;
    }
}

} // namespace
} // namespace vivera::dsp
