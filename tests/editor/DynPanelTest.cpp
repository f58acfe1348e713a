// The dynamics panel driven as a user drives it: its knobs and switches follow the selected band, the
// sidechain-frequency knob snaps to its steps unless FREE is on, EXT needs a connected sidechain, and the
// live rows show what the engine publishes.
#include "editor/controls/ScRatio.h"
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{

class DynPanelTest : public testing::Test
{
protected:
    DynPanelTest() { useLanguage(true); }

    DynPanel& panel() { return f.editor->widgets().dynPanel; }

    juce::String band(const char* shortName, int number = 1) { return bandParameterId(number, shortName); }

    // Adds slot 0 as a dynamic band of the given type, selects it and lets the panel slide fully open.
    void openPanelFor(int type, bool dyn = true)
    {
        f.set(band(BandParam::add), 1.0f);
        f.set(band(BandParam::type), static_cast<float>(type));
        f.set(band(BandParam::dyn), dyn ? 1.0f : 0.0f);
        f.editor->selectBand(0);
        for (int i = 0; i < 30; ++i)
            f.editor->timerTick();
    }

    // Blocks of a harmonic tone (220 Hz) through the processor, as a host plays it.
    void playTone(int blocks, float amplitude = 0.3f)
    {
        juce::AudioBuffer<float> buffer(f.processor.getTotalNumInputChannels(), 512);
        juce::MidiBuffer midi;
        for (int b = 0; b < blocks; ++b)
        {
            buffer.clear();
            for (int i = 0; i < 512; ++i, phase += 2.0 * juce::MathConstants<double>::pi * 220.0 / 48000.0)
            {
                const auto x =
                    static_cast<float>(amplitude * (0.8 * std::sin(phase) + 0.2 * std::sin(2.0 * phase)));
                buffer.setSample(0, i, x);
                buffer.setSample(1, i, x);
            }
            f.processor.processBlock(buffer, midi);
        }
    }

    SettingsSandbox sandbox{"en_GB.UTF-8"};
    EditorFixture f;
    double phase = 0.0;
};

// Types a text into a knob's value box and confirms it, as the user does.
void typeInto(juce::Slider& knob, const juce::String& text)
{
    juce::Label* box = nullptr;
    for (auto* child : knob.getChildren())
        if (auto* label = dynamic_cast<juce::Label*>(child))
            box = label;
    ASSERT_NE(box, nullptr);
    box->showEditor();
    auto* editor = box->getCurrentTextEditor();
    ASSERT_NE(editor, nullptr);
    editor->setText(text, false);
    box->hideEditor(false);
}

void dragVertically(juce::Component& target, int pixels)
{
    auto* peer = target.getPeer();
    ASSERT_NE(peer, nullptr);
    const auto start =
        peer->getComponent().getLocalPoint(&target, target.getLocalBounds().getCentre()).toFloat();
    auto time = juce::Time::currentTimeMillis();
    const auto send = [&](juce::Point<float> at, bool down)
    {
        peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, at,
                               down ? juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier)
                                    : juce::ModifierKeys(),
                               juce::MouseInputSource::defaultPressure, 0.0f, ++time);
    };
    send(start, false);
    send(start, true);
    for (int step = 1; step <= 8; ++step)
        send(start - juce::Point<float>(0.0f, static_cast<float>(pixels) * static_cast<float>(step) / 8.0f),
             true);
    send(start - juce::Point<float>(0.0f, static_cast<float>(pixels)), false);
}

bool isStep(float value)
{
    for (const float step : kScRatioSteps)
        if (std::abs(value - step) < 1.0e-4f)
            return true;
    return false;
}
} // namespace

TEST(ScRatio, NearestStepInLogarithmicDistance)
{
    struct Case
    {
        float ratio, expected;
    };
    const Case cases[] = {
        {0.7f, 0.5f},
        {1.22f, 1.0f},
        {1.23f, 1.5f},
        {0.001f, 0.25f},
        {10.0f, 4.0f},
        {0.0f, 0.25f},
        {-3.0f, 0.25f},
        {1.0f, 1.0f},
        {2.9f, 3.0f},
        {0.26f, 0.25f},
        {1.0e9f, 4.0f},
        {std::numeric_limits<float>::infinity(), 4.0f},
        {std::numeric_limits<float>::quiet_NaN(), 1.0f},
        // Equally near two steps (their geometric mean): the smaller wins.
        {std::sqrt(0.25f * 0.5f), 0.25f},
        {std::sqrt(0.5f), 0.5f},
        {std::sqrt(1.5f), 1.0f},
        {std::sqrt(3.0f), 1.5f},
        {std::sqrt(6.0f), 2.0f},
        {std::sqrt(12.0f), 3.0f},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nearestScRatio(c.ratio), c.expected) << c.ratio;
}

// With FREE off every drag and typed value lands on a step; with FREE on the knob moves continuously.
// Values beyond the range are clamped by the parameter; text without a number changes nothing.
TEST_F(DynPanelTest, ScFreqSnapsToStepsUnlessFree)
{
    openPanelFor(vivera::dsp::kBandBell);
    HostWindow window(*f.editor);
    auto& knob = panel().scFreqKnob;
    const auto detfreq = band(BandParam::detfreq);
    ASSERT_TRUE(knob.isShowing());

    struct Typed
    {
        const char* text;
        float snapped, free;
    };
    const Typed typed[] = {
        {"0.7", 0.5f, 0.7f},
        {"1.3", 1.5f, 1.3f},
        {juce::CharPointer_UTF8("\xc3\x97"
                                "2.6"),
         3.0f, 2.6f},
        {"9", 4.0f, 4.0f},
        {"0.1", 0.25f, 0.25f},
        {"-2", 0.25f, 0.25f},
        {"1.22", 1.0f, 1.22f},
    };
    for (const bool free : {false, true})
    {
        f.set(ParamIds::scFree, free ? 1.0f : 0.0f);
        EXPECT_EQ(panel().freeButton.getToggleState(), free);
        for (const auto& t : typed)
        {
            typeInto(knob, juce::String::fromUTF8(t.text));
            EXPECT_NEAR(f.get(detfreq), free ? t.free : t.snapped, 1.0e-4f)
                << t.text << (free ? " free" : "");
        }
        const float before = f.get(detfreq);
        typeInto(knob, "abc");
        EXPECT_EQ(f.get(detfreq), before);
    }

    // Drags: every stop on a step while FREE is off; off-step stops while it is on.
    for (const bool free : {false, true})
    {
        f.set(ParamIds::scFree, free ? 1.0f : 0.0f);
        f.set(detfreq, 1.0f);
        int offStep = 0;
        for (const int pixels : {7, 13, 21, -9, -30, 40, -17, 3})
        {
            dragVertically(knob, pixels);
            const float value = f.get(detfreq);
            if (!free)
            {
                EXPECT_TRUE(isStep(value)) << value << " after " << pixels;
            }
            offStep += isStep(value) ? 0 : 1;
        }
        if (free)
        {
            EXPECT_GE(offStep, 4);
        }
    }

    // The FREE button itself toggles the global switch.
    f.set(ParamIds::scFree, 0.0f);
    clickCentre(panel().freeButton);
    EXPECT_EQ(f.get(ParamIds::scFree), 1.0f);
}

// Typed values outside a knob's range are clamped; text without a number changes nothing.
TEST_F(DynPanelTest, TypedValuesAreClampedAndNonsenseIgnored)
{
    openPanelFor(vivera::dsp::kBandBell);
    struct Case
    {
        SnapSlider* knob;
        const char* shortName;
        const char* text;
        float expected;
    };
    auto& p = panel();
    const Case cases[] = {
        {&p.threshKnob, BandParam::thresh, "-12", -12.0f},
        {&p.threshKnob, BandParam::thresh, "-100", -60.0f},
        {&p.threshKnob, BandParam::thresh, "5 dB", 0.0f},
        {&p.threshKnob, BandParam::thresh, "dB", 0.0f},
        {&p.ratioKnob, BandParam::ratio, "50", 20.0f},
        {&p.ratioKnob, BandParam::ratio, "2.5:1", 2.5f},
        {&p.ratioKnob, BandParam::ratio, "", 2.5f},
        {&p.attackKnob, BandParam::attack, "0", 0.1f},
        {&p.releaseKnob, BandParam::release, "1e9", 2000.0f},
        {&p.kneeKnob, BandParam::knee, "-3", 0.0f},
        {&p.rangeKnob, BandParam::range, "x", 12.0f},
        {&p.scQKnob, BandParam::detq, "100", 18.0f},
    };
    for (const auto& c : cases)
    {
        typeInto(*c.knob, c.text);
        EXPECT_NEAR(f.get(band(c.shortName)), c.expected, 1.0e-4f) << c.shortName << " '" << c.text << "'";
    }
}

// Clicking EXT does nothing while no sidechain is connected; INT can always be chosen, and EXT once the
// host feeds the sidechain input. EXT is drawn faint while it cannot be chosen.
TEST_F(DynPanelTest, ExternalSidechainOnlyWhileConnected)
{
    openPanelFor(vivera::dsp::kBandBell);
    HostWindow window(*f.editor);
    auto& source = panel().sourceChoice;
    const auto detsc = band(BandParam::detsc);
    const juce::Point<int> intPoint(source.getWidth() / 4, source.getHeight() / 2);
    const juce::Point<int> extPoint(source.getWidth() * 3 / 4, source.getHeight() / 2);

    playTone(2);
    ASSERT_FALSE(f.processor.telemetry.sidechainConnected.load());
    EXPECT_FALSE(source.canSelect(1));
    clickThroughPeer(source, extPoint);
    EXPECT_EQ(f.get(detsc), 0.0f);
    clickThroughPeer(source, intPoint);
    EXPECT_EQ(f.get(detsc), 0.0f);

    // The host enables the sidechain bus and plays through it.
    ASSERT_TRUE(f.processor.getBus(true, 1)->enable(true));
    f.processor.prepareToPlay(48000.0, 512);
    playTone(2);
    ASSERT_TRUE(f.processor.telemetry.sidechainConnected.load());
    EXPECT_TRUE(source.canSelect(1));
    clickThroughPeer(source, extPoint);
    EXPECT_EQ(f.get(detsc), 1.0f);
    EXPECT_EQ(source.getSelectedIndex(), 1);
    clickThroughPeer(source, intPoint);
    EXPECT_EQ(f.get(detsc), 0.0f);

    // The other switches write their band's parameter; a disabled one ignores clicks.
    clickThroughPeer(panel().shapeChoice, {panel().shapeChoice.getWidth() - 4, 10});
    EXPECT_EQ(f.get(band(BandParam::scshape)), 2.0f);
    clickThroughPeer(panel().detectorChoice, {4, 10});
    EXPECT_EQ(f.get(band(BandParam::det)), 0.0f);
    f.set(band(BandParam::type), static_cast<float>(vivera::dsp::kBandTransient));
    f.editor->timerTick();
    clickThroughPeer(panel().detectorChoice, {panel().detectorChoice.getWidth() - 4, 10});
    EXPECT_EQ(f.get(band(BandParam::det)), 0.0f);
}

// Switching bands rebinds every knob and switch; the old band keeps its values.
TEST_F(DynPanelTest, ControlsFollowTheSelectedBand)
{
    for (const int n : {1, 3})
    {
        f.set(band(BandParam::add, n), 1.0f);
        f.set(band(BandParam::dyn, n), 1.0f);
    }
    f.editor->selectBand(2);
    EXPECT_EQ(panel().getBand(), 2);
    EXPECT_EQ(panel().modeChoice.getParameterId(), "b3_dynmode");
    EXPECT_EQ(panel().shapeChoice.getParameterId(), "b3_scshape");
    EXPECT_EQ(panel().threshKnob.findColour(juce::Slider::rotarySliderFillColourId), bandColour(2));

    panel().threshKnob.setValue(-12.0, juce::sendNotificationSync);
    panel().ratioKnob.setValue(8.0, juce::sendNotificationSync);
    EXPECT_NEAR(f.get("b3_thresh"), -12.0f, 1.0e-4f);
    EXPECT_NEAR(f.get("b3_ratio"), 8.0f, 1.0e-4f);
    EXPECT_NEAR(f.get("b1_thresh"), -30.0f, 1.0e-4f);

    f.editor->selectBand(0);
    EXPECT_NEAR(panel().threshKnob.getValue(), -30.0, 1.0e-4);
    panel().threshKnob.setValue(-40.0, juce::sendNotificationSync);
    EXPECT_NEAR(f.get("b1_thresh"), -40.0f, 1.0e-4f);
    EXPECT_NEAR(f.get("b3_thresh"), -12.0f, 1.0e-4f);

    panel().setBand(99); // clamped, never used as an index
    EXPECT_EQ(panel().getBand(), 15);
}

// Captions, tooltips and enabled switches follow the band's type.
TEST_F(DynPanelTest, CaptionsAndTooltipsFollowTheType)
{
    struct Case
    {
        int type;
        bool dyn;
        const char* caption;
        const char* englishTip;
        bool modeEnabled, detectorEnabled;
    };
    const char* level = "Threshold: level (dBFS) of the band range at which it starts acting";
    const char* sensitivity =
        "Attack sensitivity: to the left it reacts to small attacks, to the right only to strong ones";
    const char* relative =
        "Relative threshold (dB relative to the whole signal): the closer to 0, the stronger "
        "the band must be to count as sibilant";
    // In this order: each row switches on from the previous one, as a user does.
    const Case cases[] = {
        {vivera::dsp::kBandTransient, false, "SENS", sensitivity, false, false},
        {vivera::dsp::kBandSibilance, false, "THRESH", relative, false, true},
        {vivera::dsp::kBandBell, true, "THRESH", level, true, true},
        {vivera::dsp::kBandSustain, false, "SENS", sensitivity, false, false},
        {vivera::dsp::kBandBackground, false, "THRESH", level, false, true},
        {vivera::dsp::kBandNotch, true, "THRESH", level, true, true},
    };
    openPanelFor(vivera::dsp::kBandBell);
    for (const auto& c : cases)
    {
        f.set(band(BandParam::type), static_cast<float>(c.type));
        f.set(band(BandParam::dyn), c.dyn ? 1.0f : 0.0f);
        f.editor->timerTick();
        auto& p = panel();
        EXPECT_EQ(p.threshKnob.caption.getText(), c.caption) << c.type;
        useLanguage(true);
        EXPECT_EQ(pickLanguage(p.threshKnob.getTooltip()), juce::String::fromUTF8(c.englishTip)) << c.type;
        useLanguage(false);
        EXPECT_NE(pickLanguage(p.threshKnob.getTooltip()), juce::String::fromUTF8(c.englishTip)) << c.type;
        EXPECT_FALSE(pickLanguage(p.threshKnob.getTooltip()).isEmpty());
        useLanguage(true);
        EXPECT_EQ(p.modeChoice.isEnabled(), c.modeEnabled) << c.type;
        EXPECT_EQ(p.detectorChoice.isEnabled(), c.detectorEnabled) << c.type;
        EXPECT_TRUE(p.threshKnob.isEnabled());
    }
    useLanguage(false);
    EXPECT_EQ(pickLanguage(panel().scFreqKnob.getTooltip()).substring(0, 28),
              juce::String::fromUTF8("Frecuencia del filtro de sid"));
    useLanguage(true);

    // SC Q only for the Band shape.
    for (const int shape : {0, 1, 2})
    {
        f.set(band(BandParam::scshape), static_cast<float>(shape));
        f.editor->timerTick();
        EXPECT_EQ(panel().scQKnob.isEnabled(), shape == 0);
        EXPECT_EQ(panel().scQKnob.caption.isEnabled(), shape == 0);
        EXPECT_TRUE(panel().scFreqKnob.isEnabled());
    }
}

// The two live rows for the cases a user meets, from what the engine publishes.
TEST_F(DynPanelTest, DisplayRows)
{
    struct Case
    {
        int type;
        bool dyn;
        float levelDb, amount, threshold, gain, scale;
        const char *levelTitle, *levelText;
        float levelFill, marker; // marker < 0: none
        const char* gainText;
        float gainFill;
    };
    const Case cases[] = {
        // A Bell with DYN off: nothing live, no marker.
        {0, false, -20.0f, 0.5f, -30.0f, 6.0f, 100.0f, "LEVEL", "--", 0.0f, -1.0f, "--", 0.0f},
        // A dynamic Bell with nothing detected: "--", but the threshold marker stays.
        {0, true, -120.0f, 0.0f, -30.0f, 6.0f, 100.0f, "LEVEL", "--", -48.0f / 72.0f, 42.0f / 72.0f,
         "+0.0 / +6.0 dB", 0.0f},
        {0, true, -18.0f, 0.5f, -30.0f, 6.0f, 100.0f, "LEVEL", "-18.0 dB", 54.0f / 72.0f, 42.0f / 72.0f,
         "+3.0 / +6.0 dB", 0.5f},
        {1, true, -36.0f, 0.5f, -60.0f, -6.0f, 150.0f, "LEVEL", "-36.0 dB", 0.5f, 12.0f / 72.0f,
         "-4.5 / -9.0 dB", 0.5f},
        // Notch, High Pass and Low Pass show how much of the filter is mixed in.
        {3, true, -20.0f, 0.4f, -30.0f, 0.0f, 100.0f, "LEVEL", "-20.0 dB", 52.0f / 72.0f, 42.0f / 72.0f,
         "MIX 40 %", 0.4f},
        {4, true, -20.0f, 0.004f, -30.0f, 0.0f, 100.0f, "LEVEL", "-20.0 dB", 52.0f / 72.0f, 42.0f / 72.0f,
         "MIX 0 %", 0.004f},
        {5, true, -20.0f, 1.0f, -30.0f, 0.0f, 100.0f, "LEVEL", "-20.0 dB", 52.0f / 72.0f, 42.0f / 72.0f,
         "MIX 100 %", 1.0f},
        // Transient and Sustain: a 0..24 scale, never "--" for a low level.
        {6, false, 6.0f, 0.25f, -30.0f, 4.0f, 100.0f, "TRANSIENT", "6.0 dB", 0.25f, 0.25f, "+1.0 / +4.0 dB",
         0.25f},
        {9, false, -120.0f, 0.0f, 0.0f, 4.0f, 100.0f, "TRANSIENT", "-120.0 dB", -5.0f, 0.5f, "+0.0 / +4.0 dB",
         0.0f},
        // Sibilance: relative level -60..0.
        {7, false, -15.0f, 0.5f, -30.0f, -8.0f, 100.0f, "SIBILANCE", "-15.0 dB", 0.75f, 0.5f,
         "-4.0 / -8.0 dB", 0.5f},
        {8, false, -111.0f, 0.0f, -30.0f, 2.0f, 100.0f, "LEVEL", "--", -39.0f / 72.0f, 42.0f / 72.0f,
         "+0.0 / +2.0 dB", 0.0f},
    };
    openPanelFor(vivera::dsp::kBandBell);
    for (const auto& c : cases)
    {
        f.set(band(BandParam::type), static_cast<float>(c.type));
        f.set(band(BandParam::dyn), c.dyn ? 1.0f : 0.0f);
        f.set(band(BandParam::thresh), c.threshold);
        f.set(band(BandParam::gain), c.gain);
        f.set(ParamIds::scale, c.scale);
        // What the audio thread publishes for the band.
        f.processor.telemetry.bandDetectorLevel[0].store(c.levelDb);
        f.processor.telemetry.bandDynamicAmount[0].store(c.amount);
        f.editor->timerTick();

        const auto level = panel().levelRow();
        const auto gain = panel().gainRow();
        SCOPED_TRACE(testing::Message() << "type " << c.type << " dyn " << c.dyn);
        EXPECT_EQ(level.title, c.levelTitle);
        EXPECT_EQ(level.value, c.levelText);
        EXPECT_NEAR(level.fill, c.levelFill, 1.0e-5f);
        EXPECT_NEAR(level.marker, c.marker, 1.0e-5f);
        EXPECT_EQ(gain.title, "GAIN");
        EXPECT_EQ(gain.value, c.gainText);
        EXPECT_NEAR(gain.fill, c.gainFill, 1.0e-6f);
        EXPECT_LT(gain.marker, 0.0f);
        for (auto* knob : {&panel().threshKnob, &panel().ratioKnob, &panel().attackKnob, &panel().releaseKnob,
                           &panel().kneeKnob, &panel().rangeKnob, &panel().scFreqKnob})
            EXPECT_EQ(knob->isEnabled(), c.dyn || c.type > 5);
    }
}

// The marker and bars as painted: the orange marker at the threshold, and none for an inactive band.
TEST_F(DynPanelTest, ThresholdMarkerIsPainted)
{
    openPanelFor(vivera::dsp::kBandBell);
    f.set(band(BandParam::thresh), -36.0f); // half way along the -72..0 scale
    f.processor.telemetry.bandDetectorLevel[0].store(-120.0f);
    f.editor->timerTick();
    const auto area = panel().getDisplayArea();
    const auto markerX = area.getX() + area.getWidth() / 2;
    const auto rowTrackY = area.getY() + 2 + 16 + 7;

    const auto snapshot = [&]
    { return panel().createComponentSnapshot(panel().getLocalBounds(), true, 1.0f); };
    auto image = snapshot();
    EXPECT_EQ(image.getPixelAt(markerX, rowTrackY).withAlpha(1.0f), Palette::orange);
    EXPECT_EQ(image.getPixelAt(markerX - 20, rowTrackY).withAlpha(1.0f), Palette::window); // empty track

    f.set(band(BandParam::dyn), 0.0f);
    f.editor->timerTick();
    image = snapshot();
    EXPECT_EQ(image.getPixelAt(markerX, rowTrackY).withAlpha(1.0f), Palette::window);
}

// A dynamic Bell on a tone: the engine's detector level and dynamic amount move both rows.
TEST_F(DynPanelTest, RowsFollowTheEngineOnATone)
{
    openPanelFor(vivera::dsp::kBandBell);
    f.set(band(BandParam::gain), 6.0f);
    f.set(band(BandParam::thresh), -40.0f);
    ASSERT_EQ(panel().levelRow().value, "--");

    for (int tick = 0; tick < 20; ++tick)
    {
        playTone(3);
        f.editor->timerTick();
    }
    const auto level = panel().levelRow();
    const auto gain = panel().gainRow();
    EXPECT_TRUE(level.value.endsWith(" dB")) << level.value;
    EXPECT_GT(level.value.getFloatValue(), -40.0f) << level.value;
    EXPECT_LT(level.value.getFloatValue(), 0.0f) << level.value;
    EXPECT_GT(level.fill, 0.3f);
    EXPECT_GT(gain.fill, 0.0f);
    EXPECT_TRUE(gain.value.endsWith(" / +6.0 dB")) << gain.value;
    EXPECT_NE(gain.value, "+0.0 / +6.0 dB");
}
