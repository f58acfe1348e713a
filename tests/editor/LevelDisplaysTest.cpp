// The detector bar and the level meter as painted: gate cases, meter bars and the clip lamp's lifetime,
// fed by the editor's timer from a processor playing audio.
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
juce::Colour opaque(juce::Colour c)
{
    return c.withAlpha(1.0f);
}

// Rows of a column whose pixel has the colour.
int countInColumn(const juce::Image& image, int x, juce::Colour colour)
{
    int count = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        count += opaque(image.getPixelAt(x, y)) == colour ? 1 : 0;
    return count;
}

// Plays blocks of a constant-amplitude square wave (so its peak is exact) through the processor.
void playSquare(VezovevaDirADAudioProcessor& processor, float amplitude, int blocks = 1)
{
    juce::AudioBuffer<float> buffer(processor.getTotalNumInputChannels(), 512);
    juce::MidiBuffer midi;
    for (int b = 0; b < blocks; ++b)
    {
        for (int i = 0; i < 512; ++i)
        {
            const float x = ((i / 55) % 2 == 0) ? amplitude : -amplitude;
            buffer.setSample(0, i, x);
            buffer.setSample(1, i, x * 0.5f);
        }
        processor.processBlock(buffer, midi);
    }
}
} // namespace

// Green while the detector hears the signal, orange below an active gate; no gate line when the gate is
// off (-80 dB), and an empty bar below -80 dB.
TEST(DetectorBar, GateCases)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    auto& bar = f.editor->widgets().detectorBar;
    ASSERT_EQ(bar.getWidth(), 16);
    const int innerHeight = bar.getHeight() - 6;
    const int bottom = 3 + innerHeight;

    struct Case
    {
        float levelDb, gateDb;
        juce::Colour barColour; // transparent: empty bar
        bool gateLine;
    };
    const juce::Colour empty = juce::Colours::transparentBlack;
    const Case cases[] = {
        {-40.0f, -80.0f, Palette::green, false}, {-40.0f, -20.0f, Palette::orange, true},
        {-40.0f, -60.0f, Palette::green, true},  {-100.0f, -80.0f, empty, false},
        {-100.0f, -40.0f, empty, true},          {-50.0f, -79.9f, Palette::green, false},
        {6.0f, -10.0f, Palette::green, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "level " << c.levelDb << " gate " << c.gateDb);
        f.set(ParamIds::gate, c.gateDb);
        f.processor.telemetry.detectorLevelDb.store(c.levelDb); // as the tracker publishes it
        const auto image = bar.createComponentSnapshot(bar.getLocalBounds(), true, 1.0f);

        const int barPixels = countInColumn(image, 8, opaque(c.barColour));
        if (c.barColour.isTransparent())
        {
            EXPECT_EQ(countInColumn(image, 8, Palette::green) + countInColumn(image, 8, Palette::orange), 0);
        }
        else
        {
            const float fraction = std::clamp((c.levelDb + 80.0f) / 80.0f, 0.0f, 1.0f);
            const int lineRows = c.gateLine ? 2 : 0;
            EXPECT_NEAR(barPixels, fraction * static_cast<float>(innerHeight),
                        1.0f + static_cast<float>(lineRows));
            EXPECT_EQ(opaque(image.getPixelAt(8, bottom - 1)), opaque(c.barColour));
        }
        // The gate line spans the bar's width plus a pixel each side.
        const int lineRows = countInColumn(image, 1, Palette::text);
        EXPECT_EQ(lineRows > 0, c.gateLine);
        if (c.gateLine)
        {
            const float gateFraction = std::clamp((c.gateDb + 80.0f) / 80.0f, 0.0f, 1.0f);
            const int lineY = static_cast<int>(std::round(
                static_cast<float>(bottom) - static_cast<float>(innerHeight) * gateFraction - 1.0f));
            EXPECT_EQ(opaque(image.getPixelAt(8, lineY)), Palette::text);
        }
    }
}

// The timer feeds the bars from the processor's peaks; the clip lamp lights at a full-scale output peak
// and stays lit while the counter the timer sets to 45 counts down (set and first decrement fall in the
// same tick, so 44 repaints show it lit).
TEST(MeterComponent, BarsAndClipLampLifetime)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    f.set(ParamIds::softClip, 0.0f);  // let full scale through
    f.set(ParamIds::lookahead, 0.0f); // and at once
    auto& meter = f.editor->widgets().levelMeter;
    const auto lamp = meter.clipLampArea().getCentre().toInt();
    const auto lampColour = [&]
    { return meter.createComponentSnapshot(meter.getLocalBounds(), true, 1.0f).getPixelAt(lamp.x, lamp.y); };

    f.editor->timerTick();
    EXPECT_EQ(meter.clipCounter, 0);
    EXPECT_NE(lampColour(), Palette::red);

    // Half scale: bars move, no clip. (The first blocks let the lookahead switch-over settle.)
    playSquare(f.processor, 0.5f, 40);
    f.editor->timerTick();
    EXPECT_NEAR(meter.fastIn[0], 0.5f, 1.0e-6f);
    EXPECT_NEAR(meter.fastIn[1], 0.25f, 1.0e-6f);
    EXPECT_NEAR(meter.holdIn[0], 0.5f, 1.0e-6f);
    EXPECT_GT(meter.fastOut[0], 0.4f);
    EXPECT_EQ(meter.clipCounter, 0);
    {
        // The input-left bar is filled with the gradient up to about -6 dB; the track above is empty.
        const auto image = meter.createComponentSnapshot(meter.getLocalBounds(), true, 1.0f);
        const auto lampArea = meter.clipLampArea();
        const int barX =
            static_cast<int>(lampArea.getX() - 2.0f * ((lampArea.getWidth() - 3.0f) / 2.0f) - 6.0f) + 2;
        const int meterTop = static_cast<int>(lampArea.getY() + 5.0f);
        EXPECT_EQ(opaque(image.getPixelAt(barX, meterTop + 2)), Palette::window);
        EXPECT_EQ(opaque(image.getPixelAt(barX, meter.getHeight() - 20)), Palette::green);
    }

    // Full scale, then silence.
    playSquare(f.processor, 1.0f, 3);
    f.editor->timerTick();
    EXPECT_EQ(meter.clipCounter, 44);
    EXPECT_EQ(lampColour(), Palette::red);
    int litTicks = 1;
    while (meter.clipCounter > 0 && litTicks < 100)
    {
        playSquare(f.processor, 0.0f);
        f.editor->timerTick();
        if (meter.clipCounter >= 1)
        {
            ++litTicks;
            EXPECT_EQ(lampColour(), Palette::red);
        }
    }
    EXPECT_EQ(litTicks, 44);
    EXPECT_NE(lampColour(), Palette::red);
    EXPECT_LT(meter.fastOut[0], 0.01f);
    EXPECT_GT(meter.holdOut[0], 0.5f); // the hold line falls slowly
}
