// The frequency graph fed by a processor playing audio: its curves are the bands' exact responses as the
// audio designs them, its gain scale follows the boosts, its analyser reads a sine at the right place and
// level, and its per-tick update allocates nothing.
#include "editor/GraphAnalyser.h"
#include "editor/GraphLabelLayout.h"
#include "editor/GraphPainter.h"
#include "editor/controls/Palette.h"
#include "support/AllocationCounter.h"
#include "support/Signals.h"
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

double responseDbAt(const vivera::dsp::BandCascade& cascade, double hz, double rate)
{
    const double omega = 2.0 * M_PI * hz / rate;
    return 20.0 * std::log10(std::max(1e-9, vivera::dsp::cascadeMagnitude(cascade, omega)));
}

juce::String band(int number, const char* shortName)
{
    return bandParameterId(number, shortName);
}

class GraphTest : public testing::Test
{
protected:
    GraphComponent& graph() { return f.editor->widgets().graph; }

    // Plays about one timer period of the signal (three blocks), then runs the graph's update with what
    // the processor published, as the editor's timer does.
    TelemetrySnapshot tick(const std::function<float(int)>& signal)
    {
        juce::AudioBuffer<float> buffer(f.processor.getTotalNumInputChannels(), kBlock);
        juce::MidiBuffer midi;
        for (int b = 0; b < 3; ++b)
        {
            for (int i = 0; i < kBlock; ++i, ++sampleIndex)
            {
                const float x = signal(sampleIndex);
                for (int c = 0; c < buffer.getNumChannels(); ++c)
                    buffer.setSample(c, i, x);
            }
            f.processor.processBlock(buffer, midi);
        }
        TelemetrySnapshot snapshot;
        f.processor.readTelemetry(snapshot);
        graph().updateFromProcessor(snapshot);
        return snapshot;
    }

    TelemetrySnapshot ticks(int count, const std::function<float(int)>& signal)
    {
        TelemetrySnapshot snapshot;
        for (int t = 0; t < count; ++t)
            snapshot = tick(signal);
        return snapshot;
    }

    std::function<float(int)> voice = harmonicTone(220.0, kRate, 0.5f);
    std::function<float(int)> silence = [](int) { return 0.0f; };

    SettingsSandbox sandbox;
    EditorFixture f;
    int sampleIndex = 0;
};

juce::Image paintGraph(GraphComponent& graph)
{
    juce::Image image(juce::Image::RGB, graph.getWidth(), graph.getHeight(), true, juce::SoftwareImageType());
    juce::Graphics g(image);
    graph.paintEntireComponent(g, true);
    return image;
}
} // namespace

// What the graph draws for a band is what the audio does: at every sampled curve point the main curve is
// the magnitude of the band's own design at its published frequency and, for a dynamic band, at its
// current amount (the Notch, High Pass and Low Pass blended with the dry signal); the static curve is the
// same design at full action.
TEST_F(GraphTest, CurvesAreTheBandsResponsesAtTheirPublishedFrequencyAndAmount)
{
    struct Case
    {
        const char* name;
        int type, slope;
        float gain, q, mult;
        bool dyn;
    };
    const Case cases[] = {
        {"bell 12 dB/oct", 0, 1, 6.0f, 2.0f, 2.0f, false},
        {"low shelf 24 dB/oct", 1, 3, -9.0f, 0.7f, 1.0f, false},
        {"high shelf 96 dB/oct", 2, 5, 4.0f, 1.0f, 8.0f, false},
        {"high pass 48 dB/oct", 4, 4, 0.0f, 1.2f, 0.5f, false},
        {"low pass 6 dB/oct", 5, 0, 0.0f, 0.7f, 16.0f, false},
        {"dynamic bell", 0, 1, -12.0f, 3.0f, 3.0f, true},
        {"dynamic notch 48 dB/oct", 3, 4, 0.0f, 4.0f, 2.0f, true},
        {"dynamic high pass 18 dB/oct", 4, 2, 0.0f, 2.0f, 1.0f, true},
        {"sibilance", 7, 1, -8.0f, 2.0f, 4.0f, false},
    };
    f.set(band(1, "add"), 1.0f);
    // A gentle compressor over a wide range, so the dynamic cases settle part-way into their action.
    f.set(band(1, "thresh"), -40.0f);
    f.set(band(1, "ratio"), 1.5f);
    f.set(band(1, "range"), 60.0f);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        f.set(band(1, "type"), (float)c.type);
        f.set(band(1, "slope"), (float)c.slope);
        f.set(band(1, "gain"), c.gain);
        f.set(band(1, "q"), c.q);
        f.set(band(1, "mult"), c.mult);
        f.set(band(1, "dyn"), c.dyn ? 1.0f : 0.0f);
        const auto published = ticks(20, voice);
        const float frequency = published.bandFrequency[0];
        ASSERT_NEAR(frequency, 220.0f * c.mult, 220.0f * c.mult * 0.02f);
        const bool dynamic = c.dyn || c.type >= 6;
        const double amount = dynamic ? published.bandDynamicAmount[0] : 1.0;
        if (c.dyn) // the live and the static curves must differ for the case to show anything
        {
            EXPECT_GT(amount, 0.05);
            EXPECT_LT(amount, 0.95);
        }

        vivera::dsp::BandCascade live, full;
        ASSERT_TRUE(f.processor.designBand(0, frequency, false, amount, live));
        ASSERT_TRUE(f.processor.designBand(0, frequency, false, 1.0, full));
        EXPECT_EQ(graph().showsDynamicStereo(), dynamic);
        EXPECT_FALSE(graph().showsMidSide());
        for (int j : {0, 37, 90, 150, 181, 222, 260, 301, 319})
        {
            const double hz = GraphComponent::curveFrequency(j);
            const auto i = (size_t)j;
            EXPECT_NEAR(graph().mainCurve()[i], responseDbAt(live, hz, kRate), 1e-3) << "point " << j;
            EXPECT_NEAR(graph().staticCurve()[i], responseDbAt(full, hz, kRate), 1e-3) << "point " << j;
            EXPECT_NEAR(graph().midCurve()[i], graph().mainCurve()[i], 1e-6);
            EXPECT_NEAR(graph().sideCurve()[i], graph().mainCurve()[i], 1e-6);
        }
    }
}

// A band on Mid or Side shows the legend's two extra curves; the main curve keeps only the Stereo band,
// and the band adds to its own channel's curve alone.
TEST_F(GraphTest, MidAndSideBandsHaveTheirOwnCurves)
{
    f.set(band(1, "add"), 1.0f);
    f.set(band(1, "mult"), 2.0f);
    f.set(band(1, "gain"), 6.0f);
    f.set(band(2, "add"), 1.0f);
    f.set(band(2, "mult"), 5.0f);
    f.set(band(2, "gain"), -10.0f);
    f.set(band(2, "q"), 3.0f);
    for (int channel : {0, 1, 2})
    {
        SCOPED_TRACE(channel);
        f.set(band(2, "chan"), (float)channel);
        const auto published = ticks(10, voice);
        vivera::dsp::BandCascade stereo, other;
        ASSERT_TRUE(f.processor.designBand(0, published.bandFrequency[0], false, 1.0, stereo));
        ASSERT_TRUE(f.processor.designBand(1, published.bandFrequency[1], false, 1.0, other));
        EXPECT_EQ(graph().showsMidSide(), channel != 0);
        for (int j : {60, 160, 200, 240})
        {
            const double hz = GraphComponent::curveFrequency(j);
            const auto i = (size_t)j;
            const double d1 = responseDbAt(stereo, hz, kRate);
            const double d2 = responseDbAt(other, hz, kRate);
            EXPECT_NEAR(graph().mainCurve()[i], d1 + (channel == 0 ? d2 : 0.0), 1e-3);
            EXPECT_NEAR(graph().midCurve()[i], d1 + (channel != 2 ? d2 : 0.0), 1e-3);
            EXPECT_NEAR(graph().sideCurve()[i], d1 + (channel != 1 ? d2 : 0.0), 1e-3);
        }
    }
}

// A +18 dB boost raises the top of the gain scale from 12 towards 24 dB by a fifth of the remaining
// distance per tick, and the grid switches to 12 dB steps once the top passes 12.5 dB; without the boost
// it eases back to 12 and to 6 dB steps.
TEST_F(GraphTest, BoostRaisesTheGainScaleAndItsGridStep)
{
    f.set(band(1, "add"), 1.0f);
    f.set(band(1, "mult"), 2.0f);
    f.set(band(1, "q"), 2.0f);
    ticks(10, voice);
    EXPECT_DOUBLE_EQ(graph().topDb(), 12.0);
    EXPECT_EQ(graph_paint::gainGridStep(graph().topDb()), 6);

    f.set(band(1, "gain"), 18.0f);
    double expected = 12.0;
    for (int t = 0; t < 30; ++t)
    {
        tick(voice);
        expected += (24.0 - expected) * 0.2;
        ASSERT_NEAR(graph().topDb(), expected, 1e-9) << "tick " << t;
        EXPECT_EQ(graph_paint::gainGridStep(graph().topDb()), 12);
    }

    f.set(band(1, "gain"), 0.0f);
    bool sawSixAgain = false;
    for (int t = 0; t < 40; ++t)
    {
        tick(voice);
        expected += (12.0 - expected) * 0.2;
        ASSERT_NEAR(graph().topDb(), expected, 1e-9) << "tick " << t;
        const int step = graph_paint::gainGridStep(graph().topDb());
        EXPECT_EQ(step, expected > 12.5 ? 12 : 6);
        sawSixAgain = sawSixAgain || step == 6;
    }
    EXPECT_TRUE(sawSixAgain);
    EXPECT_NEAR(graph().topDb(), 12.0, 0.01);
}

// The top arrives exactly at its target instead of creeping towards it for ever: each change of the top
// redraws the scale's kept picture, so a top that never settles costs a full redraw on every tick.
TEST_F(GraphTest, GainScaleSettlesExactlyOnItsTarget)
{
    f.set(band(1, "add"), 1.0f);
    f.set(band(1, "mult"), 2.0f);
    f.set(band(1, "gain"), 18.0f);
    ticks(60, voice);
    EXPECT_EQ(graph().topDb(), 24.0);
    f.set(band(1, "gain"), 0.0f);
    ticks(60, voice);
    EXPECT_EQ(graph().topDb(), 12.0);
}

// Without a pitch no band has a frequency, so every node is hidden; with one, each added band's node
// sits at its frequency and gain.
TEST_F(GraphTest, NodesShowOnlyWithAPitch)
{
    f.set(band(1, "add"), 1.0f);
    f.set(band(1, "mult"), 2.0f);
    f.set(band(1, "gain"), -6.0f);
    const auto quiet = ticks(10, silence);
    EXPECT_EQ(quiet.pitchHz, 0.0f);
    for (int k = 0; k < kNumBands; ++k)
        EXPECT_FALSE(graph().node(k).visible) << k;

    const auto published = ticks(20, voice);
    ASSERT_GT(published.pitchHz, 0.0f);
    const auto& node = graph().node(0);
    ASSERT_TRUE(node.visible);
    EXPECT_NEAR(node.x, graph().geometry().frequencyToX(published.bandFrequency[0]), 1e-3);
    EXPECT_NEAR(node.y, graph().geometry().gainToY(-6.0), 1e-3);
    for (int k = 1; k < kNumBands; ++k)
        EXPECT_FALSE(graph().node(k).visible) << k;
}

// The harmonic ladder's fundamental, by pixel: absent without a pitch, drawn with one, and dimmed to 35 %
// of its contrast while the pitch is lost.
TEST_F(GraphTest, LadderIsAbsentWithoutPitchAndDimmedWhenLost)
{
    // No audio: both spectra stay silent, so the ladder is the only difference between the pictures.
    TelemetrySnapshot published;
    f.processor.readTelemetry(published);
    const auto& geo = graph().geometry();
    const double pitch = 440.0;
    const int x = (int)std::floor(geo.frequencyToX(pitch));
    const int y = (int)(geo.top() + geo.height() * 0.5f);

    const auto brightnessWith = [&](float pitchHz, bool lost)
    {
        published.pitchHz = pitchHz;
        published.pitchLost = lost;
        graph().updateFromProcessor(published);
        const auto pixel = paintGraph(graph()).getPixelAt(x, y);
        return (double)pixel.getRed() + pixel.getGreen() + pixel.getBlue();
    };
    const double none = brightnessWith(0.0f, false);
    const double found = brightnessWith((float)pitch, false);
    const double lost = brightnessWith((float)pitch, true);
    EXPECT_GT(found - none, 40.0);
    EXPECT_NEAR((lost - none) / (found - none), 0.35, 0.06);

    EXPECT_FLOAT_EQ(graph_paint::ladderLineAlpha(1, false, true), 0.35f * 0.55f);
    EXPECT_FLOAT_EQ(graph_paint::ladderLineAlpha(3, true, true), 0.35f * 0.4f);
    EXPECT_FLOAT_EQ(graph_paint::ladderLabelAlpha(4, false, true), 0.35f * 0.45f);
}

// A sine of known level peaks in the input spectrum at its bin and at its x. The Hann window normalised to
// a sum of 4096 passes a sine of amplitude A at its bin as 2048·A, which the analyser divides by 2048: the
// level shown is the sine's level in dBFS, less the window's scalloping loss (0.63 dB a third of a bin off
// centre).
TEST_F(GraphTest, SineShowsAtItsBinAndLevel)
{
    struct Case
    {
        double hz;
        float levelDb;
        int bin;
        double shownDb;
    };
    const Case cases[] = {
        {1031.25, -12.0f, 88, -12.0}, // exactly bin 88 at 48 kHz
        {1000.0, -12.0f, 85, -12.0 - 0.6276},
        {6000.0, -30.0f, 512, -30.0},
        {1031.25, 0.0f, 88, 0.0}, // full scale reaches the top of the dBFS scale, no higher
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.hz);
        const auto tone = sine(c.hz, kRate, juce::Decibels::decibelsToGain(c.levelDb));
        ticks(25, tone);
        const auto& spectrum = graph().inputSpectrum();
        const auto peak = std::max_element(spectrum.begin(), spectrum.end());
        EXPECT_EQ(peak - spectrum.begin(), c.bin);
        EXPECT_NEAR(*peak, c.shownDb, 0.1);

        // The trace's loudest column (one every 2 pixels) is the sine's own.
        const auto& geo = graph().geometry();
        float loudestX = 0.0f, loudest = -1000.0f;
        for (float x = geo.left(); x <= geo.left() + geo.width(); x += 2.0f)
        {
            const float level = graph_analyser::analyserLevel(spectrum.data(), geo.xToFrequency(x - 1.0f),
                                                              geo.xToFrequency(x + 1.0f), kRate);
            if (level > loudest)
                loudest = level;
            if (level >= loudest)
                loudestX = x;
        }
        EXPECT_NEAR(loudestX, geo.frequencyToX(c.hz), 2.0f);
        EXPECT_NEAR(loudest, c.shownDb, 0.4);
        ticks(40, silence); // let it decay before the next case
    }
}

// The spectrum traces are drawn: in the column of a sine's peak, the first thing below the top of the plot
// is the trace, at the height of the level the analyser shows there.
TEST_F(GraphTest, SpectrumTracePeaksAtTheSinesLevel)
{
    const double hz = 1500.0; // between grid lines
    auto published = ticks(25, sine(hz, kRate, juce::Decibels::decibelsToGain(-12.0f)));
    published.pitchHz = 0.0f; // no ladder in the column
    graph().updateFromProcessor(published);
    const auto& geo = graph().geometry();
    const auto& spectrum = graph().outputSpectrum();

    const float step = std::round((geo.frequencyToX(hz) - geo.left()) / 2.0f) * 2.0f;
    const float x = geo.left() + step;
    const float level = graph_analyser::analyserLevel(spectrum.data(), geo.xToFrequency(x - 1.0f),
                                                      geo.xToFrequency(x + 1.0f), kRate);
    ASSERT_GT(level, -20.0f);
    const auto image = paintGraph(graph());
    int firstRow = -1;
    for (int y = (int)geo.top() + 1; y < (int)geo.bottom() && firstRow < 0; ++y)
    {
        const auto pixel = image.getPixelAt((int)x, y);
        if (pixel != Palette::panel && pixel != Palette::grid && pixel != Palette::textDim)
            firstRow = y;
    }
    EXPECT_NEAR(firstRow, geo.levelToY(level), 1.5);
}

// The ignored zones are shaded and hatched, and the hatching stays inside them: across the middle of the
// plot, the detected range between the two handles shows only the background and the grid.
TEST_F(GraphTest, HatchingStaysInsideTheIgnoredZones)
{
    f.set("trk_hp", 100.0f);
    f.set("trk_lp", 2000.0f);
    TelemetrySnapshot published; // no audio, no pitch: nothing else is drawn across the middle row
    f.processor.readTelemetry(published);
    graph().updateFromProcessor(published);
    const auto& geo = graph().geometry();
    const auto image = paintGraph(graph());
    const int y = (int)(geo.top() + geo.height() * 0.4f);
    const int xh = (int)geo.frequencyToX(100.0);
    const int xl = (int)geo.frequencyToX(2000.0);
    for (int x = xh + 3; x < xl - 2; ++x)
    {
        const auto pixel = image.getPixelAt(x, y);
        EXPECT_TRUE(pixel == Palette::panel || pixel == Palette::grid)
            << "x " << x << ": " << pixel.toString();
    }
    // Inside the zones: the window colour at 62 % over the background, but where a hatch line crosses.
    const auto shade = Palette::panel.overlaidWith(Palette::window.withAlpha(0.62f));
    for (const auto& [from, to] : {std::pair<int, int>{(int)geo.left() + 1, xh - 1},
                                   std::pair<int, int>{xl + 2, (int)(geo.left() + geo.width()) - 1}})
    {
        int shaded = 0, hatched = 0;
        for (int x = from; x < to; ++x)
        {
            const auto pixel = image.getPixelAt(x, y);
            const int difference = std::abs(pixel.getRed() - shade.getRed()) +
                                   std::abs(pixel.getGreen() - shade.getGreen()) +
                                   std::abs(pixel.getBlue() - shade.getBlue());
            shaded += difference <= 3 ? 1 : 0;
            hatched += pixel.getRed() > shade.getRed() + 2 ? 1 : 0;
        }
        EXPECT_GT(shaded, (to - from) / 2) << from << ".." << to;
        EXPECT_GT(hatched, (to - from) / 9) << from << ".." << to;
        EXPECT_EQ(shaded + hatched, to - from) << from << ".." << to;
    }
}

// A zone's shading darkens what lies beneath by the same amount whatever colour the painting used last (an
// image is drawn with the current colour's alpha), and is redrawn when the zone moves.
TEST(GraphZoneShade, DarkensAtFullStrengthAndFollowsTheZone)
{
    juce::Image image(juce::Image::RGB, 200, 100, true, juce::SoftwareImageType());
    juce::Graphics g(image);
    const auto shade = juce::Colours::white.overlaidWith(Palette::window.withAlpha(0.62f));
    graph_paint::ZoneShade zone;
    for (const int right : {60, 120})
    {
        g.fillAll(juce::Colours::white);
        g.setColour(juce::Colours::red.withAlpha(0.3f));
        zone.draw(g, {10.0f, 0.0f, (float)right - 10.0f, 100.0f}, 10.0f - 100.0f);
        int shaded = 0;
        for (int x = 11; x < right - 1; ++x)
            shaded += std::abs(image.getPixelAt(x, 50).getRed() - shade.getRed()) <= 1 ? 1 : 0;
        EXPECT_GT(shaded, (right - 12) / 2) << right;
        EXPECT_EQ(image.getPixelAt(right + 2, 50), juce::Colours::white) << right;
        EXPECT_EQ(image.getPixelAt(5, 50), juce::Colours::white) << right;
    }
}

// Narrow columns interpolate between the two bins around their centre, wide ones take their loudest bin;
// a sample rate of zero or less maps bins as 44100 does.
// The background layer is kept between repaints: a stale picture would show the old gain grid after the
// scale grows, or a stretched grid after a resize. It is redrawn exactly when the size or the scale changes,
// and what it copies is what it drew.
TEST(GraphStaticLayer, RedrawnOnlyWhenSizeOrGainScaleChanges)
{
    graph_paint::StaticLayer layer;
    juce::Image target(juce::Image::ARGB, 60, 40, true, juce::SoftwareImageType());
    int draws = 0;
    juce::Colour fill = juce::Colours::red;
    const auto paintWith = [&](int width, int height, double topDb)
    {
        juce::Graphics g(target);
        layer.draw(g, width, height, topDb,
                   [&](juce::Graphics& lg)
                   {
                       ++draws;
                       lg.fillAll(fill);
                   });
    };

    paintWith(60, 40, 12.0);
    EXPECT_EQ(draws, 1);
    EXPECT_EQ(target.getPixelAt(30, 20).getARGB(), juce::Colours::red.getARGB());

    fill = juce::Colours::blue; // what a redraw would paint from now on
    paintWith(60, 40, 12.0);
    EXPECT_EQ(draws, 1) << "nothing changed: the kept picture is copied";
    EXPECT_EQ(target.getPixelAt(30, 20).getARGB(), juce::Colours::red.getARGB());

    const struct
    {
        int width, height;
        double topDb;
    } changes[] = {{60, 40, 12.5}, {50, 40, 12.5}, {50, 30, 12.5}, {50, 30, 24.0}};
    for (const auto& change : changes)
    {
        const int before = draws;
        paintWith(change.width, change.height, change.topDb);
        EXPECT_EQ(draws, before + 1) << change.width << " x " << change.height << ", " << change.topDb
                                     << " dB";
        EXPECT_EQ(target.getPixelAt(10, 10).getARGB(), juce::Colours::blue.getARGB());
    }

    layer.invalidate();
    paintWith(50, 30, 24.0);
    EXPECT_EQ(draws, 6);
}

TEST(GraphAnalyser, LevelOfAColumn)
{
    std::array<float, graph_analyser::kLastBin + 1> spectrum;
    spectrum.fill(-100.0f);
    spectrum[10] = -40.0f;
    spectrum[11] = -20.0f;
    spectrum[300] = -10.0f;
    const double binHz = 44100.0 / 4096.0;
    struct Case
    {
        double lowBin, highBin, rate;
        float level;
    };
    const Case cases[] = {
        {10.0, 10.5, 44100.0, -40.0f + 20.0f * 0.25f}, // centre 10.25
        {10.2, 11.0, 44100.0, -40.0f + 20.0f * 0.6f},  // centre 10.6
        {10.0, 10.5, 0.0, -35.0f},                     // same as 44100
        {10.0, 10.5, -5.0, -35.0f},
        {295.2, 302.7, 44100.0, -10.0f}, // wide: the loudest bin
        {301.2, 320.0, 44100.0, -100.0f},
        {2100.0, 2300.0, 44100.0, -100.0f}, // above the last bin: the last bin
    };
    for (const auto& c : cases)
        EXPECT_NEAR(
            graph_analyser::analyserLevel(spectrum.data(), c.lowBin * binHz, c.highBin * binHz, c.rate),
            c.level, 1e-4)
            << c.lowBin << ".." << c.highBin << " at " << c.rate;
}

// A published sample rate of zero is taken as 44100 for the curves.
TEST_F(GraphTest, ZeroSampleRateFallsBackTo44100)
{
    f.set(band(1, "add"), 1.0f);
    f.set(band(1, "gain"), 9.0f);
    f.set(band(1, "q"), 4.0f);
    TelemetrySnapshot published;
    f.processor.readTelemetry(published);
    published.bandFrequency[0] = 1000.0f;
    published.sampleRate = 0.0;
    graph().updateFromProcessor(published);
    vivera::dsp::BandCascade design;
    ASSERT_TRUE(f.processor.designBand(0, 1000.0, false, 1.0, design));
    for (int j : {100, 200, 250})
        EXPECT_NEAR(graph().mainCurve()[(size_t)j],
                    responseDbAt(design, GraphComponent::curveFrequency(j), 44100.0), 1e-3);
}

// A graph smaller than its margins skips its update and paints only its background.
TEST_F(GraphTest, EmptyPlotPaintsOnlyTheBackground)
{
    f.set(band(1, "add"), 1.0f);
    f.set(band(1, "gain"), 18.0f);
    graph().setSize(70, 28);
    ASSERT_TRUE(graph().geometry().isEmpty());
    ticks(5, voice);
    EXPECT_DOUBLE_EQ(graph().topDb(), 12.0);
    EXPECT_FALSE(graph().node(0).visible);
    const auto image = paintGraph(graph());
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            ASSERT_EQ(image.getPixelAt(x, y), Palette::panel) << x << ", " << y;
}

// The per-tick update reuses its buffers: after the first ticks it allocates nothing, with 16 bands of
// every kind, some dynamic and some on Mid or Side.
TEST_F(GraphTest, UpdateAllocatesNothing)
{
    for (int n = 1; n <= kNumBands; ++n)
    {
        f.set(band(n, "add"), 1.0f);
        f.set(band(n, "type"), (float)((n - 1) % 10));
        f.set(band(n, "mult"), (float)n * 0.75f);
        f.set(band(n, "gain"), (float)(n % 5) * 3.0f - 6.0f);
        f.set(band(n, "dyn"), n % 2 == 0 ? 1.0f : 0.0f);
        f.set(band(n, "chan"), n % 7 == 3 ? 1.0f : n % 7 == 5 ? 2.0f : 0.0f);
    }
    const auto published = ticks(10, voice);
    ASSERT_GT(published.pitchHz, 0.0f);
    allocation_counter::allocations = 0;
    allocation_counter::counting = true;
    graph().updateFromProcessor(published);
    allocation_counter::counting = false;
    EXPECT_EQ(allocation_counter::allocations.load(), 0);
}

// The number inside a node: a whole harmonic as an integer, anything else with at most two decimals.
TEST(GraphPainting, NodeMultiplierText)
{
    const std::pair<float, const char*> cases[] = {
        {1.0f, "1"},   {3.0f, "3"},     {2.998f, "3"}, {12.0f, "12"}, {0.5f, "0.5"},        {1.25f, "1.25"},
        {2.1f, "2.1"}, {0.25f, "0.25"}, {0.999f, "1"}, {1.5f, "1.5"}, {2.0f - 0.004f, "2"}, {256.0f, "256"},
    };
    for (const auto& [multiplier, text] : cases)
        EXPECT_EQ(graph_paint::nodeMultiplierText(multiplier), juce::String(text)) << multiplier;
}

// Pixels near gold at nearly full strength (the numbers of the fundamental and of harmonics with a band),
// as opposed to the faint ladder lines beneath them.
int brightGoldPixels(const juce::Image& picture, juce::Rectangle<int> area)
{
    int count = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto p = picture.getPixelAt(x, y);
            count += p.getRed() > 170 && p.getGreen() > 130 && p.getBlue() < 110 ? 1 : 0;
        }
    return count;
}

// A harmonic that carries a band always shows its number, even where the ladder is too dense to number
// every harmonic: neighbours with bands, one between two with bands, high ones ten pixels apart.
TEST_F(GraphTest, EveryHarmonicWithABandShowsItsNumber)
{
    const std::vector<std::vector<int>> cases{{13}, {12, 14}, {15, 16}, {9, 10, 11}, {21, 22, 23}};
    const float pitch = 220.0f;
    for (const auto& harmonics : cases)
    {
        for (int k = 0; k < kNumBands; ++k)
            f.set(band(k + 1, "add"), 0.0f);
        TelemetrySnapshot published;
        f.processor.readTelemetry(published);
        published.pitchHz = pitch;
        published.pitchLost = false;
        published.bandFrequency.fill(0.0f);
        for (size_t i = 0; i < harmonics.size(); ++i)
        {
            f.set(band((int)i + 1, "add"), 1.0f);
            f.set(band((int)i + 1, "mult"), (float)harmonics[i]);
            published.bandFrequency[i] = pitch * (float)harmonics[i];
        }
        graph().updateFromProcessor(published);
        const auto picture = paintGraph(graph());
        const auto& geo = graph().geometry();
        for (const int h : harmonics)
        {
            const int x = (int)geo.frequencyToX(pitch * h);
            // The number's own cell and the one below, never reaching a neighbour's line more than 5 px off.
            const juce::Rectangle<int> cell(x - 4, (int)geo.top() + 2, 9, 22);
            EXPECT_GT(brightGoldPixels(picture, cell), 3)
                << "harmonic " << h << " of case starting " << harmonics[0];
        }
    }
}

// No two of the graph's top texts meet: over pitches, detector settings and bands, the ladder's numbers
// never meet one another, and the detector labels meet neither the numbers nor each other.
TEST(GraphLabelLayout, TopTextsNeverMeet)
{
    const auto ladderFont = boldFont(9.0f);
    const auto detectorFont = boldFont(10.0f);
    GraphGeometry geo;
    geo.plotArea = {36.0f, 10.0f, 1140.0f, 506.0f};
    struct Case
    {
        float pitch, hp, lp;
        std::vector<int> marked;
    };
    const Case cases[] = {{220.0f, 20.0f, 5000.0f, {2, 3}},       {82.0f, 20.0f, 20000.0f, {}},
                          {110.0f, 100.0f, 130.0f, {1, 2, 3, 4}}, {440.0f, 400.0f, 1200.0f, {15, 16, 17}},
                          {261.6f, 250.0f, 260.0f, {30, 31, 32}}, {55.0f, 60.0f, 8000.0f, {1, 5, 6, 7, 8}}};
    for (const auto& c : cases)
    {
        std::vector<LadderMark> marks;
        for (int h = 1; h <= 32 && geo.frequencyToX(h * c.pitch) <= geo.left() + geo.width(); ++h)
            marks.push_back({h, geo.frequencyToX(h * c.pitch),
                             std::find(c.marked.begin(), c.marked.end(), h) != c.marked.end()});
        std::vector<LadderLabel> labels;
        placeLadderLabels(marks, geo.top() + 2.0f, ladderFont, labels);
        float bottom = geo.top() + 2.0f;
        for (size_t i = 0; i < labels.size(); ++i)
        {
            bottom = std::max(bottom, labels[i].box.getBottom());
            for (size_t j = i + 1; j < labels.size(); ++j)
                EXPECT_FALSE(labels[i].box.intersects(labels[j].box))
                    << c.pitch << " Hz: " << labels[i].harmonic << " and " << labels[j].harmonic;
        }
        for (const auto& m : marks)
            if (m.marked || m.harmonic == 1)
                EXPECT_TRUE(std::any_of(labels.begin(), labels.end(),
                                        [&](const LadderLabel& l) { return l.harmonic == m.harmonic; }))
                    << c.pitch << " Hz: harmonic " << m.harmonic;

        const auto det =
            placeDetectorLabels(geo.frequencyToX(c.hp), "DET HP 20 Hz", geo.frequencyToX(c.lp),
                                "DET LP 5.00 kHz", std::max(geo.top() + 15.0f, bottom + 2.0f), detectorFont);
        EXPECT_FALSE(det.highPass.intersects(det.lowPass)) << c.pitch;
        for (const auto& l : labels)
        {
            EXPECT_FALSE(det.highPass.intersects(l.box)) << c.pitch << " Hz: HP and " << l.harmonic;
            EXPECT_FALSE(det.lowPass.intersects(l.box)) << c.pitch << " Hz: LP and " << l.harmonic;
        }
    }
}
