// Texts and small controls keep clear of their neighbours in the real editor, checked by pixels: the meter's
// clip lamp and its captions, the FREE switch beside the SC FREQ knob.
#include "editor/controls/EqLookAndFeel.h"
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

// With the lamp dark, its whole inside is one colour (no glyph of "OUT" under it), and the caption is still
// drawn just above it.
TEST(KeepClear, MeterCaptionsEndAboveTheClipLamp)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    HostWindow window(*f.editor);
    for (const int height : {760, 900, 1400})
    {
        f.editor->setSize(1240, height);
        auto& meter = f.editor->widgets().levelMeter;
        meter.clipCounter = 0;
        const auto picture = meter.createComponentSnapshot(meter.getLocalBounds(), true, 1.0f);
        const auto lamp = meter.clipLampArea();
        const int left = static_cast<int>(std::ceil(lamp.getX())), right = static_cast<int>(lamp.getRight());
        const int top = static_cast<int>(std::ceil(lamp.getY())), bottom = static_cast<int>(lamp.getBottom());
        const auto lampColour = picture.getPixelAt(left, top);
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                ASSERT_EQ(picture.getPixelAt(x, y), lampColour)
                    << "height " << height << " at " << x << "," << y;

        const auto background = picture.getPixelAt(left, 3);
        int captionPixels = 0;
        for (int y = 4; y < top; ++y)
            for (int x = left; x < right; ++x)
                captionPixels += picture.getPixelAt(x, y) != background ? 1 : 0;
        EXPECT_GT(captionPixels, 10) << "height " << height;
    }
}

// At the narrowest, a middle and the widest editor the FREE switch sits directly under the SC FREQ caption,
// covers no pixel of the SC FREQ or SC Q knob (their arcs included), and stays beside the SC FREQ face
// instead of drifting to the column's edge.
TEST(KeepClear, FreeSwitchSitsBesideTheScFreqKnob)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    f.set("b1_dyn", 1.0f);
    HostWindow window(*f.editor);
    f.editor->selectBand(0);
    for (const int width : {1240, 1500, 1900})
    {
        f.editor->setSize(width, 900);
        for (int i = 0; i < 30; ++i)
            f.editor->timerTick();
        auto& panel = f.editor->widgets().dynPanel;
        ASSERT_TRUE(panel.isShowing());
        const auto button = panel.freeButton.getBounds();
        EXPECT_EQ(button.getY(), panel.scFreqKnob.caption.getBottom()) << width;
        EXPECT_EQ(button.getWidth(), 32);
        EXPECT_EQ(button.getHeight(), 14);

        panel.freeButton.setVisible(false);
        const auto picture = panel.createComponentSnapshot(panel.getLocalBounds(), true, 1.0f);
        panel.freeButton.setVisible(true);
        const auto empty = picture.getPixelAt(panel.getWidth() - 4, panel.getHeight() / 2);
        for (int y = button.getY(); y < button.getBottom(); ++y)
            for (int x = button.getX(); x < button.getRight(); ++x)
                ASSERT_EQ(picture.getPixelAt(x, y), empty) << "width " << width << " at " << x << "," << y;

        const auto& knob = panel.scFreqKnob;
        const auto face = rotaryKnobFace(knob.getLookAndFeel().getSliderLayout(panel.scFreqKnob).sliderBounds)
                              .translated(static_cast<float>(knob.getX()), static_cast<float>(knob.getY()));
        EXPECT_LT(static_cast<float>(button.getX()), face.getRight()) << "width " << width;
    }
}
