// The design's own figures written out as literals, not read back through the editor's constants: the
// palette and look-and-feel colours, the plot's rectangle and frequency scale at the default window, and
// where the strips and the graph put their paint in the real window.
#include "editor/controls/EqLookAndFeel.h"
#include "editor/controls/Palette.h"
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
// The smallest rectangle holding every pixel of the area that is not the background colour: where a text
// (or anything else) was painted inside it. With a brightness floor, only pixels brighter than it count,
// which tells a text's glyphs from a fainter line drawn through them.
juce::Rectangle<int> inkBounds(const juce::Image& picture, juce::Rectangle<int> area, juce::Colour background,
                               float brightnessFloor = -1.0f)
{
    juce::Rectangle<int> ink;
    bool any = false;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (const auto c = picture.getPixelAt(x, y);
                c != background && c.getPerceivedBrightness() > brightnessFloor)
            {
                const juce::Rectangle<int> pixel(x, y, 1, 1);
                ink = any ? ink.getUnion(pixel) : pixel;
                any = true;
            }
    return ink;
}

// Each RGB channel within tolerance of the expected colour, opaque.
testing::AssertionResult near(juce::Colour seen, juce::Colour expected, int tolerance)
{
    const auto off = [&](juce::uint8 a, juce::uint8 b) { return std::abs(int(a) - int(b)) > tolerance; };
    if (seen.getAlpha() != 0xFF || off(seen.getRed(), expected.getRed()) ||
        off(seen.getGreen(), expected.getGreen()) || off(seen.getBlue(), expected.getBlue()))
        return testing::AssertionFailure() << seen.toDisplayString(true) << " is not within " << tolerance
                                           << " of " << expected.toDisplayString(true);
    return testing::AssertionSuccess();
}

juce::Image pictureOf(VezovevaDirADAudioProcessorEditor& editor)
{
    return editor.createComponentSnapshot(editor.getLocalBounds(), true, 1.0f);
}
} // namespace

TEST(DesignFigures, PaletteBandAndLookAndFeelColours)
{
    struct Case
    {
        const char* name;
        juce::Colour colour;
        juce::uint32 argb;
    };
    EqLookAndFeel lnf;
    const Case cases[] = {
        {"window", Palette::window, 0xFF0F0E0C},
        {"panel", Palette::panel, 0xFF181613},
        {"raised", Palette::raised, 0xFF25221D},
        {"text", Palette::text, 0xFFEEE8DC},
        {"textDim", Palette::textDim, 0xFF8C8476},
        {"gold", Palette::gold, 0xFFD8AB52},
        {"red", Palette::red, 0xFFD9584A},
        {"blue", Palette::blue, 0xFFA9B8D4},
        {"green", Palette::green, 0xFF8FBF6A},
        {"orange", Palette::orange, 0xFFE07F4A},
        {"white", Palette::white, 0xFFFFFFFF},
        {"black", Palette::black, 0xFF000000},
        {"grid", Palette::grid, 0xFF2D2923},
        {"band 1", bandColour(0), 0xFFE2B65C},
        {"band 2", bandColour(1), 0xFFC98A4B},
        {"band 3", bandColour(2), 0xFFD9C79A},
        {"band 4", bandColour(3), 0xFFB07A52},
        {"band 5", bandColour(4), 0xFFF0DFB4},
        {"band 6", bandColour(5), 0xFFCF7A4E},
        {"band 7", bandColour(6), 0xFFB3A27A},
        {"band 8", bandColour(7), 0xFFE0A878},
        {"knob value text", lnf.findColour(juce::Slider::textBoxTextColourId), 0xFFEEE8DC},
        {"knob value outline", lnf.findColour(juce::Slider::textBoxOutlineColourId), 0x00000000},
        {"knob value background", lnf.findColour(juce::Slider::textBoxBackgroundColourId), 0x00000000},
        {"label text", lnf.findColour(juce::Label::textColourId), 0xFFEEE8DC},
        {"lit button text", lnf.findColour(juce::TextButton::textColourOnId), 0xFF0F0E0C},
        {"button text", lnf.findColour(juce::TextButton::textColourOffId), 0xFFEEE8DC},
        {"menu background", lnf.findColour(juce::PopupMenu::backgroundColourId), 0xFF181613},
        {"menu text", lnf.findColour(juce::PopupMenu::textColourId), 0xFFEEE8DC},
        {"menu highlight", lnf.findColour(juce::PopupMenu::highlightedBackgroundColourId), 0xFF9A7A3A},
        {"menu highlighted text", lnf.findColour(juce::PopupMenu::highlightedTextColourId), 0xFFFFFFFF},
        {"text editor background", lnf.findColour(juce::TextEditor::backgroundColourId), 0xFF25221D},
        {"text editor text", lnf.findColour(juce::TextEditor::textColourId), 0xFFEEE8DC},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.colour.getARGB(), c.argb) << c.name << " is " << c.colour.toDisplayString(true);
}

// At the default 1240 x 900 window the graph is 1140 x 506, so its plot is 1066 x 476 from (36, 10) and
// 1 kHz sits at 36 + 1066 ln 50 / ln 1000 = 639.70. In the window's picture (the graph at (10, 172)): the
// grid lines at 1 kHz and 20 kHz are one pixel wide on the panel, start at the plot's top row and the
// -36 dB line lies on its bottom row.
TEST(DesignFigures, PlotRectangleAndFrequencyScaleAtTheDefaultWindow)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    HostWindow window(*f.editor);
    f.editor->timerTick();
    auto& graph = f.editor->widgets().graph;
    ASSERT_EQ(graph.getBounds(), juce::Rectangle<int>(10, 172, 1140, 506));
    const auto& geo = graph.geometry();
    EXPECT_EQ(geo.plotArea, juce::Rectangle<float>(36.0f, 10.0f, 1066.0f, 476.0f));
    EXPECT_NEAR(geo.frequencyToX(1000.0), 639.70, 0.01);
    EXPECT_NEAR(geo.frequencyToX(20.0), 36.0, 0.001);
    EXPECT_NEAR(geo.frequencyToX(20000.0), 1102.0, 0.01);
    EXPECT_NEAR(geo.frequencyToX(440.0), 513.01, 0.01);

    const auto picture = pictureOf(*f.editor);
    struct Pixel
    {
        const char* what;
        int x, y;
        juce::uint32 argb;
    };
    const Pixel pixels[] = {
        {"left of the 1 kHz line", 648, 222, 0xFF181613},
        {"the 1 kHz line", 649, 222, 0xFF2D2923},
        {"right of the 1 kHz line", 650, 222, 0xFF181613},
        {"above the plot", 649, 181, 0xFF181613},
        {"the plot's top row", 649, 182, 0xFF2D2923},
        {"the 20 kHz line", 1112, 300, 0xFF2D2923},
        {"right of the plot", 1113, 300, 0xFF181613},
        {"the -36 dB line on the plot's bottom row", 400, 658, 0xFF2D2923},
        {"below the plot", 400, 659, 0xFF181613},
    };
    for (const auto& p : pixels)
        EXPECT_EQ(picture.getPixelAt(p.x, p.y).getARGB(), p.argb)
            << p.what << " at (" << p.x << ", " << p.y << ") is "
            << picture.getPixelAt(p.x, p.y).toDisplayString(true);
}

// Where the graph's numbers land in the window: "1k" centred under the 1 kHz line in the row below the
// plot, the "0" of the gain scale ending left of the plot and centred on the 0 dB line, "-70" of the level
// scale starting 4 right of the plot on its bottom edge, and the fundamental's "1" of a 220 Hz pitch
// centred on its ladder line at the plot's top.
TEST(DesignFigures, GraphLabelsWhereTheDesignPutsThem)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    f.processor.telemetry.publishedPitch.store(220.0f);
    f.processor.telemetry.pitchLost.store(false);
    f.processor.telemetry.publishedBandFrequency[0].store(220.0f);
    f.set("b1_mult", 1.0f);
    f.set("b1_gain", 0.0f);
    HostWindow window(*f.editor);
    f.editor->timerTick();
    const auto picture = pictureOf(*f.editor);
    const juce::Point<int> graph(10, 172); // plot: (36, 10) 1066 x 476 inside it; bottom 486

    struct Label
    {
        const char* text;
        juce::Rectangle<int> searched; // graph coordinates, clear of anything else
        float centreX, centreY;        // where the design centres the text; NAN where not fixed
        float left, right;             // where its ink must start and end; NAN where not fixed
        float brightnessFloor = -1.0f;
    };
    const float none = std::numeric_limits<float>::quiet_NaN();
    const Label labels[] = {
        // Centred in (639 - 18, 486 + 3, 36, 14).
        {"1k", {600, 488, 80, 18}, 639.5f, 496.0f, none, none},
        // Right-aligned in (0, y0 - 7, 36 - 4 - 3, 14), y0 = 486 - 476 * 36 / 48 = 129: the numbers keep 7
        // clear of the plot, where the HP grip reaches 5 beyond its line.
        {"0", {0, 118, 36, 22}, none, 129.5f, none, 29.0f},
        // Left-aligned in (1066 + 36 + 4, 486 - 7, 32, 14).
        {"-70", {1104, 474, 36, 17}, none, 486.5f, 1106.0f, none},
        // Centred in (x - 10, 10 + 2, 20, 11), x = 36 + 1066 ln 11 / ln 1000 = 406.04, in gold at alpha 0.95
        // over the harmonic's own line at alpha 0.55: only the glyph is that bright.
        {"1", {396, 11, 22, 14}, 406.5f, 17.5f, none, none, 0.45f},
    };
    for (const auto& l : labels)
    {
        const auto ink = inkBounds(picture, l.searched + graph, Palette::panel, l.brightnessFloor) - graph;
        ASSERT_FALSE(ink.isEmpty()) << l.text << " not drawn in " << l.searched.toString();
        const auto centre = ink.toFloat().getCentre();
        if (!std::isnan(l.centreX))
        {
            EXPECT_NEAR(centre.x, l.centreX, 1.5f) << l.text << " ink " << ink.toString();
        }
        if (!std::isnan(l.centreY))
        {
            EXPECT_NEAR(centre.y, l.centreY, 2.0f) << l.text << " ink " << ink.toString();
        }
        if (!std::isnan(l.left))
        {
            EXPECT_NEAR((float)ink.getX(), l.left, 1.0f) << l.text << " ink " << ink.toString();
        }
        if (!std::isnan(l.right))
        {
            EXPECT_NEAR((float)ink.getRight(), l.right, 1.0f) << l.text << " ink " << ink.toString();
        }
    }
}

// A strip's paint in the window, the strip row at (10, 686) in 142-wide cells: the accent bar is rows 2..4
// in the band's colour over the panel; the selected strip is outlined 1.5 wide in its colour at alpha 0xCC
// on the panel's edge at x 2, so three quarters of column 1 (over the window) take 0.6 of the colour; the
// activity bar runs from x 6 over (142 - 4 - 8) x amount, rows 7..9, in the dynamics blue.
TEST(DesignFigures, StripAccentBarSelectedOutlineAndActivityBar)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    f.set("b2_add", 1.0f);
    f.set("b1_dyn", 1.0f);
    f.processor.telemetry.bandDynamicAmount[0].store(0.5f);
    f.processor.telemetry.bandDynamicAmount[1].store(0.5f); // band 2 is not dynamic: no bar
    HostWindow hostWindow(*f.editor);
    f.editor->selectBand(0);
    for (int i = 0; i < 3; ++i)
        f.editor->timerTick();
    const auto picture = pictureOf(*f.editor);
    const auto at = [&](int strip, int x, int y)
    { return picture.getPixelAt(10 + 142 * strip + x, 686 + y); };
    const juce::Colour window(0xFF0F0E0C), panel(0xFF181613), blue(0xFFA9B8D4);
    const juce::Colour band1(0xFFE2B65C), band2(0xFFC98A4B);

    for (const auto& [strip, colour] : {std::pair{0, band1}, std::pair{1, band2}})
        for (int x : {20, 70, 120})
        {
            SCOPED_TRACE(testing::Message() << "strip " << strip << " x " << x);
            for (int y : {3, 4}) // row 2 of the selected strip lies under its outline
                EXPECT_EQ(at(strip, x, y), colour) << "row " << y;
            EXPECT_EQ(at(strip, x, 5), panel);
        }
    EXPECT_EQ(at(1, 70, 2), band2);
    EXPECT_EQ(at(1, 70, 1), window) << "an unselected strip has no outline above its bar";

    for (int y : {60, 100, 150})
    {
        SCOPED_TRACE(testing::Message() << "row " << y);
        EXPECT_EQ(at(0, 0, y), window);
        EXPECT_TRUE(near(at(0, 1, y), window.interpolatedWith(band1, 0.6f), 3)) << "selected, column 1";
        EXPECT_EQ(at(1, 0, y), window);
        EXPECT_EQ(at(1, 1, y), window) << "unselected, column 1";
        EXPECT_EQ(at(1, 2, y), panel) << "unselected, column 2";
    }

    for (int x : {8, 30, 69})
        EXPECT_EQ(at(0, x, 8), blue) << "activity bar at x " << x;
    EXPECT_EQ(at(0, 71, 8), panel) << "past half the bar's length: 6 + 65 = 71";
    EXPECT_EQ(at(1, 30, 8), panel) << "a static band shows no activity";
}
