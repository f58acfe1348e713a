// The graph's drag arithmetic on its own: the detector handles' limits, the sidechain multiple with and
// without snapping, gain and Q from the mouse level, the free-move multiplier, the wheel, and the node
// tooltip texts in both languages.
#include "editor/GraphDragRules.h"
#include "editor/GraphTexts.h"
#include "editor/controls/Localisation.h"
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
using namespace GraphDragRules;

TEST(GraphDragRules, DetectorHandlesKeepTheirOrderAndRanges)
{
    struct Case
    {
        double mouseHz;
        float highPassIn, lowPassIn; // where the handles stand before the drag
        float highPass, lowPass;     // the high-pass handle dragged there; the low-pass handle dragged there
    };
    const Case cases[] = {
        {10.0, 100.0f, 5000.0f, 20.0f, 200.0f}, // left of the axis: the floors
        {150.0, 100.0f, 5000.0f, 150.0f, 200.0f},
        {3000.0, 100.0f, 5000.0f, 500.0f, 3000.0f}, // the high-pass never above 500 Hz
        {3000.0, 100.0f, 400.0f, 360.0f, 3000.0f},  // nor above 90 % of the low-pass
        {50.0, 300.0f, 1000.0f, 50.0f, 330.0f},     // the low-pass at least 10 % above the high-pass
        {250.0, 100.0f, 1000.0f, 250.0f, 250.0f},
        {9000.0, 100.0f, 1000.0f, 500.0f, 5000.0f},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.mouseHz << " Hz");
        EXPECT_NEAR(detectorHighPass(c.mouseHz, c.lowPassIn), c.highPass, 1e-3);
        EXPECT_NEAR(detectorLowPass(c.mouseHz, c.highPassIn), c.lowPass, 1e-3);
    }
    EXPECT_EQ(detectorHighPass(std::numeric_limits<double>::quiet_NaN(), 5000.0f), 20.0f);
    EXPECT_EQ(detectorLowPass(std::numeric_limits<double>::quiet_NaN(), 100.0f), 200.0f);
}

TEST(GraphDragRules, SidechainRatioSnapsUnlessFree)
{
    struct Case
    {
        double ratio;
        bool free;
        float expected;
    };
    const Case cases[] = {
        {1.3, false, 1.5f},  {1.3, true, 1.3f},   {1.234, true, 1.23f},  {0.9, false, 1.0f},
        {0.1, false, 0.25f}, {0.1, true, 0.25f},  {9.0, false, 4.0f},    {9.0, true, 4.0f},
        {2.4, false, 2.0f},  {2.45, false, 3.0f}, {0.001, false, 0.25f},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.ratio << (c.free ? " free" : " snapped"));
        const auto r = sidechainRatio(220.0 * c.ratio, 220.0, c.free);
        ASSERT_TRUE(r.has_value());
        EXPECT_NEAR(*r, c.expected, 1e-6);
    }
    EXPECT_FALSE(sidechainRatio(300.0, 0.0, false).has_value());
    EXPECT_FALSE(sidechainRatio(300.0, -5.0, true).has_value());
}

TEST(GraphDragRules, VerticalTargetByTypeAndSlope)
{
    struct Case
    {
        int type, slope;
        VerticalTarget expected;
    };
    const Case cases[] = {
        {0, 1, VerticalTarget::gain}, {1, 0, VerticalTarget::gain}, {2, 3, VerticalTarget::gain},
        {3, 1, VerticalTarget::none}, {4, 0, VerticalTarget::none}, {4, 1, VerticalTarget::q},
        {5, 0, VerticalTarget::none}, {5, 5, VerticalTarget::q},    {6, 0, VerticalTarget::gain},
        {7, 1, VerticalTarget::gain}, {8, 1, VerticalTarget::gain}, {9, 1, VerticalTarget::gain},
    };
    for (const auto& c : cases)
        EXPECT_EQ(verticalTarget(c.type, c.slope), c.expected) << "type " << c.type << " slope " << c.slope;
}

TEST(GraphDragRules, GainFollowsTheScaledDisplayInTenthsOfADecibel)
{
    struct Case
    {
        double displayDb;
        float scale;
        float gain;
    };
    const Case cases[] = {
        {6.04, 100.0f, 6.0f},    {6.06, 100.0f, 6.1f}, {12.0, 200.0f, 6.0f},
        {-12.0, 200.0f, -6.0f},  {3.0, 50.0f, 6.0f},   {40.0, 100.0f, 36.0f},
        {-80.0, 100.0f, -36.0f}, {3.0, 10.0f, 6.0f}, // a scale below 50 % still divides by at most 2
    };
    for (const auto& c : cases)
        EXPECT_NEAR(gainFromDisplayDb(c.displayDb, c.scale), c.gain, 1e-5)
            << c.displayDb << " dB at " << c.scale << " %";
}

TEST(GraphDragRules, QIsTheHeightOfTheResonancePeak)
{
    EXPECT_NEAR(qFromDisplayDb(20.0 * std::log10(4.0)), 4.0f, 1e-5);
    EXPECT_NEAR(qFromDisplayDb(0.0), 1.0f, 1e-6);
    EXPECT_EQ(qFromDisplayDb(40.0), 18.0f);
    EXPECT_EQ(qFromDisplayDb(-10.0), 0.7f);
    EXPECT_EQ(qFromDisplayDb(std::numeric_limits<double>::quiet_NaN()), 0.7f);
}

TEST(GraphDragRules, FreeMoveMultiplierFollowsThePitch)
{
    // A band at 660 Hz as the third harmonic follows 220 Hz: the mouse at 330 Hz is 1.5 times that.
    EXPECT_NEAR(*followedPitch(660.0, 3.0f), 220.0, 1e-9);
    EXPECT_FALSE(followedPitch(0.0, 1.0f).has_value());
    EXPECT_FALSE(followedPitch(330.0, 0.0f).has_value());
    struct Case
    {
        double mouseHz, pitchHz;
        float multiplier;
    };
    const Case cases[] = {
        {330.0, 220.0, 1.5f}, {500.0, 220.0, 2.27f}, {20.0, 220.0, 0.25f}, {20000.0, 50.0, 256.0f}};
    for (const auto& c : cases)
        EXPECT_NEAR(multiplierForFrequency(c.mouseHz, c.pitchHz), c.multiplier, 1e-6) << c.mouseHz;
}

TEST(GraphDragRules, WheelScalesQByTheSameRatioAtAnyQ)
{
    EXPECT_NEAR(wheelQ(2.0f, 0.25f), 2.0 * std::exp(0.3), 1e-5);
    EXPECT_NEAR(wheelQ(8.0f, -0.25f), 8.0 * std::exp(-0.3), 1e-5);
    EXPECT_EQ(wheelQ(17.0f, 1.0f), 18.0f);
    EXPECT_EQ(wheelQ(0.8f, -1.0f), 0.7f);
    EXPECT_EQ(wheelSidechainQ(0.6f, -1.0f), 0.5f);
    EXPECT_EQ(wheelSidechainQ(17.0f, 1.0f), 18.0f);
    EXPECT_NEAR(wheelSidechainQ(2.0f, 0.25f), 2.0 * std::exp(0.3), 1e-5);
}

TEST(GraphTexts, NodeTooltipInBothLanguages)
{
    SettingsSandbox sandbox;
    struct Case
    {
        NodeTooltipFacts facts;
        bool english;
        const char* expected;
    };
    const Case cases[] = {
        {{0, 0, 0, 220.0f, false},
         true,
         "BAND 1 - Bell (B) - 220 Hz\nStereo (L and R)\nBell: boosts or cuts the area around the band "
         "frequency. "
         "Q = width (higher Q, narrower)."},
        {{15, 3, 1, 0.0f, true},
         true,
         "BAND 16 - Notch (N)\nMid (center only)\nNotch: removes a very narrow area, ideal for taking out a "
         "single "
         "harmonic. Q = width.\nLOCK: the frequency is frozen."},
        {{2, 9, 2, 1500.0f, true},
         false,
         "BANDA 3 - Sustain (SU) - 1.50 kHz\nSide (solo la diferencia L-R)\nSustain: lo contrario de "
         "Transient. "
         "Solo actúa en el sostenido y la cola, y deja intactos los ataques.\nCANDADO: la frecuencia está "
         "fijada."},
        {{4, -3, 7, 0.0f, false},
         false,
         "BANDA 5 - Bell (B)\nSide (solo la diferencia L-R)\nCampana: sube o baja la zona alrededor de la "
         "frecuencia de la banda. Q = anchura (más Q, más estrecha)."},
        {{1, 42, 0, 0.0f, false},
         true,
         "BAND 2 - Sustain (SU)\nStereo (L and R)\nSustain: the opposite of Transient. Only acts on the "
         "sustain "
         "and tail, leaving attacks untouched."},
    };
    for (const auto& c : cases)
    {
        useLanguage(c.english);
        EXPECT_EQ(nodeTooltip(c.facts), juce::String::fromUTF8(c.expected));
    }
}

TEST(GraphTexts, TypeNamesAndHelpCoverEveryType)
{
    SettingsSandbox sandbox;
    const char* full[] = {"Bell",     "Low Shelf", "High Shelf", "Notch",      "High Pass",
                          "Low Pass", "Transient", "Sibilance",  "Background", "Sustain"};
    const char* brief[] = {"B", "LS", "HS", "N", "HP", "LP", "TR", "SI", "BG", "SU"};
    for (bool english : {true, false})
    {
        useLanguage(english);
        juce::StringArray helps;
        for (int t = 0; t < 10; ++t)
        {
            EXPECT_EQ(fullTypeName(t), full[t]);
            EXPECT_EQ(shortTypeName(t), brief[t]);
            const auto lines = juce::StringArray::fromLines(nodeTooltip({0, t, 0, 0.0f, false}));
            ASSERT_EQ(lines.size(), 3);
            helps.addIfNotAlreadyThere(lines[2]);
        }
        EXPECT_EQ(helps.size(), 10) << "each type has its own help";
    }
}

TEST(GraphTexts, HandleTooltipsArePairs)
{
    SettingsSandbox sandbox;
    useLanguage(true);
    EXPECT_TRUE(pickLanguage(handleTooltip(1))
                    .startsWith("Detector HP: the pitch detector ignores everything below."));
    EXPECT_TRUE(pickLanguage(handleTooltip(2))
                    .startsWith("Detector LP: the pitch detector ignores everything above."));
    EXPECT_TRUE(pickLanguage(handleTooltip(3)).startsWith("SC (detector sidechain): drag horizontally"));
    useLanguage(false);
    EXPECT_TRUE(pickLanguage(handleTooltip(1))
                    .startsWith(juce::String::fromUTF8(
                        "Detector HP: el detector de pitch ignora lo que queda por debajo.")));
    EXPECT_EQ(pickLanguage(handleTooltip(3)),
              juce::String::fromUTF8("SC (sidechain del detector): arrastra en horizontal para mover SC FREQ "
                                     "(múltiplo de la frecuencia de la banda), rueda del ratón = SC Q, doble "
                                     "clic = reiniciar."));
    EXPECT_TRUE(handleTooltip(0).isEmpty());
    EXPECT_TRUE(handleTooltip(4).isEmpty());
}
} // namespace
