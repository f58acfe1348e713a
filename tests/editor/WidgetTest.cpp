// Widgets and look-and-feel pieces checked against their figures: texts, colours and what gets drawn.
#include "editor/controls/EqLookAndFeel.h"
#include "editor/controls/Palette.h"
#include "editor/controls/PitchReadout.h"
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

TEST(PitchReadout, TextsAndColoursForPitchesAndStates)
{
    SettingsSandbox sandbox;
    useLanguage(true);
    struct Case
    {
        float f;
        bool lost, locked;
        const char *frequency, *note, *cents;
        int centsValue;
        juce::Colour status, dot;
    };
    const Case cases[] = {
        {440.0f, false, false, "440.0 Hz", "A4", "0 c", 0, Palette::green, Palette::green},
        {261.63f, false, false, "261.6 Hz", "C4", "0 c", 0, Palette::green, Palette::green},
        {466.16f, false, false, "466.2 Hz", "A#4", "0 c", 0, Palette::green, Palette::green},
        {452.8f, false, false, "452.8 Hz", "A4", "+50 c", 50, Palette::green, Palette::orange},
        {452.9f, false, false, "452.9 Hz", "A#4", "-50 c", -50, Palette::green, Palette::orange},
        {445.0f, false, false, "445.0 Hz", "A4", "+20 c", 20, Palette::green, Palette::orange},
        {27.5f, false, false, "27.5 Hz", "A0", "0 c", 0, Palette::green, Palette::green},
        {220.0f, true, false, "220.0 Hz", "A3", "0 c", 0, Palette::red, Palette::green},
        {220.0f, true, true, "220.0 Hz", "A3", "0 c", 0, Palette::orange, Palette::green},
    };
    for (const auto& c : cases)
    {
        const auto d = describePitch(c.f, c.lost, c.locked);
        EXPECT_EQ(d.frequencyText, c.frequency) << c.f;
        EXPECT_TRUE(d.hasNote);
        EXPECT_EQ(d.noteText, c.note) << c.f;
        EXPECT_EQ(d.centsText, c.cents) << c.f;
        EXPECT_EQ(d.cents, c.centsValue) << c.f;
        EXPECT_EQ(d.statusColour, c.status) << c.f;
        EXPECT_EQ(d.dotColour, c.dot) << c.f;
        EXPECT_EQ(d.noteDimmed, c.lost);
        EXPECT_EQ(d.caption, c.locked ? "PITCH  LOCKED" : "PITCH");
    }

    const auto none = describePitch(0.0f, true, false);
    EXPECT_EQ(none.frequencyText, "--");
    EXPECT_FALSE(none.hasNote);
    EXPECT_EQ(none.statusColour, Palette::textDim);
    EXPECT_EQ(describePitch(0.0f, true, true).statusColour, Palette::orange);

    useLanguage(false);
    EXPECT_EQ(describePitch(220.0f, false, true).caption, "PITCH  FIJO");
}

// A readout smaller than 20 x 16 draws only its background; a normal one draws its text in the status colour.
TEST(PitchReadout, PaintsWhatItDescribes)
{
    SettingsSandbox sandbox;
    VezovevaDirADAudioProcessor processor;
    processor.telemetry.publishedPitch.store(440.0f);
    processor.telemetry.pitchLost.store(false);
    PitchReadout readout(processor);

    const auto countColour = [&](juce::Colour colour)
    {
        const auto image = readout.createComponentSnapshot(readout.getLocalBounds(), false);
        int n = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                n += image.getPixelAt(x, y).getPixelARGB().getNativeARGB() == colour.getARGB() ? 1 : 0;
        return n;
    };
    readout.setSize(168, 118);
    EXPECT_GT(countColour(Palette::green), 100) << "frequency text and the centred dot";
    readout.setSize(19, 15);
    EXPECT_EQ(countColour(Palette::green), 0);
}

TEST(Palette, BandColours)
{
    EXPECT_EQ(bandColour(0), juce::Colour(0xFFE2B65C));
    EXPECT_EQ(bandColour(7), juce::Colour(0xFFE0A878));
    EXPECT_EQ(bandColour(8), juce::Colour(0xFFE2B65C).brighter(0.3f).withMultipliedSaturation(0.8f));
    EXPECT_EQ(bandColour(15), juce::Colour(0xFFE0A878).brighter(0.3f).withMultipliedSaturation(0.8f));
    EXPECT_EQ(Palette::gold.darker(0.4f), juce::Colour(0xFF9A7A3A));
    EXPECT_EQ(Palette::raised.brighter(0.15f), juce::Colour(0xFF413E3A));
    EXPECT_EQ(Palette::raised.brighter(0.08f), juce::Colour(0xFF35322D));
}

namespace
{
juce::Image paintButton(juce::TextButton& button, EqLookAndFeel& lookAndFeel, int w, int h)
{
    button.setLookAndFeel(&lookAndFeel);
    button.setSize(w, h);
    auto image = button.createComponentSnapshot(button.getLocalBounds(), false);
    button.setLookAndFeel(nullptr);
    return image;
}
} // namespace

TEST(EqLookAndFeel, ButtonsAndKnobs)
{
    EqLookAndFeel lookAndFeel;
    juce::TextButton button;
    button.setClickingTogglesState(true);

    EXPECT_EQ(paintButton(button, lookAndFeel, 40, 20).getPixelAt(20, 10), Palette::raised);
    button.setToggleState(true, juce::dontSendNotification);
    button.setColour(juce::TextButton::buttonOnColourId, Palette::red);
    EXPECT_EQ(paintButton(button, lookAndFeel, 40, 20).getPixelAt(20, 10), Palette::red);
    // Never set on the button: the look-and-feel's own value, not the unlit colour.
    juce::TextButton plain;
    plain.setToggleState(true, juce::dontSendNotification);
    EXPECT_EQ(paintButton(plain, lookAndFeel, 40, 20).getPixelAt(20, 10),
              lookAndFeel.findColour(juce::TextButton::buttonOnColourId));
    EXPECT_NO_THROW(paintButton(plain, lookAndFeel, 1, 1));

    juce::TextButton sized;
    EXPECT_FLOAT_EQ(lookAndFeel.getTextButtonFont(sized, 31).getHeight(), 12.0f);
    EXPECT_FLOAT_EQ(lookAndFeel.getTextButtonFont(sized, 18).getHeight(), 0.55f * 18.0f);

    // A bipolar knob at 0 draws no value arc; at +10 it draws one.
    juce::Slider knob(juce::Slider::RotaryHorizontalVerticalDrag, juce::Slider::NoTextBox);
    knob.setLookAndFeel(&lookAndFeel);
    knob.setColour(juce::Slider::rotarySliderFillColourId, Palette::gold);
    knob.setRange(-36.0, 36.0);
    knob.setSize(80, 80);
    const auto countGold = [&]
    {
        const auto image = knob.createComponentSnapshot(knob.getLocalBounds(), false);
        int n = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                n += image.getPixelAt(x, y).getPixelARGB().getNativeARGB() == Palette::gold.getARGB() ? 1 : 0;
        return n;
    };
    knob.setValue(0.0);
    EXPECT_EQ(countGold(), 0);
    knob.setValue(10.0);
    EXPECT_GT(countGold(), 10);
    knob.setEnabled(false);
    EXPECT_EQ(countGold(), 0) << "a disabled knob draws at 30 % alpha";
    knob.setLookAndFeel(nullptr);
}

// Value boxes are raised pills with cream text and a gold outline while typing.
TEST(EqLookAndFeel, SliderValueBox)
{
    EqLookAndFeel lookAndFeel;
    juce::Slider slider;
    std::unique_ptr<juce::Label> box(lookAndFeel.createSliderTextBox(slider));
    EXPECT_EQ(box->findColour(juce::Label::backgroundColourId), Palette::raised);
    EXPECT_EQ(box->findColour(juce::Label::textColourId), Palette::text);
    EXPECT_EQ(box->findColour(juce::Label::outlineWhenEditingColourId), Palette::gold.withAlpha(0.6f));
    EXPECT_FLOAT_EQ(box->getFont().getHeight(), 11.5f);
}

// The lit bulb in the header's 30 x 28 button: painted with room all around, nothing falls outside the
// button (the rays used to, and were clipped away), and its rays show in the rows above the glass.
TEST(BulbButton, LitRaysStayInsideTheButton)
{
    BulbButton bulb;
    bulb.setSize(30, 28);
    bulb.setToggleState(true, juce::dontSendNotification);
    constexpr int kMargin = 10;
    juce::Image image(juce::Image::ARGB, 30 + 2 * kMargin, 28 + 2 * kMargin, true);
    {
        juce::Graphics g(image);
        g.setOrigin(kMargin, kMargin);
        bulb.paintButton(g, false, false);
    }
    const juce::Rectangle<int> button(kMargin, kMargin, 30, 28);
    int outside = 0, rays = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
        {
            const auto pixel = image.getPixelAt(x, y);
            if (!button.contains(x, y))
                outside += pixel.getAlpha() > 0 ? 1 : 0;
            else if (y < kMargin + 7 && pixel.getRed() > 150 && pixel.getBlue() < 120)
                ++rays;
        }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(rays, 4);
}
