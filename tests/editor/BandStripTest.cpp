// The band strip driven as a user drives it: the multiplier and frequency texts, typing a multiplier, the
// info line, which controls are enabled for which band type, repaints only when something shown changed,
// its layout, and the strip row's slots.
#include "editor/controls/BandText.h"
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

namespace
{
const juce::String times = juce::String::fromUTF8("\xc3\x97");

class Strip : public testing::Test
{
protected:
    SettingsSandbox sandbox{"en_GB.UTF-8"};
    EditorFixture f;
    VezovevaDirADAudioProcessorEditor& editor = *f.editor;
    BandStrip& strip = *editor.widgets().strips[0];
    BandStrip::Widgets parts = strip.widgets();

    // Types into the multiplier as a user does: double-click opens the entry, Return commits it.
    void type(const juce::String& text)
    {
        parts.multiplier.showEditor();
        auto* entry = parts.multiplier.getCurrentTextEditor();
        ASSERT_NE(entry, nullptr);
        entry->setText(text, true);
        entry->keyPressed(juce::KeyPress(juce::KeyPress::returnKey));
        // The entry hands Return on through a message.
        EXPECT_TRUE(pumpMessagesUntil([this] { return !parts.multiplier.isBeingEdited(); }, 1000));
    }
};

// Counts the repaints a component (or any of its children) asks for, without painting anything.
class RepaintCounter : public juce::CachedComponentImage
{
public:
    explicit RepaintCounter(int& count) : requests(count) {}
    void paint(juce::Graphics&) override {}
    bool invalidateAll() override { return ++requests, true; }
    bool invalidate(const juce::Rectangle<int>&) override { return ++requests, true; }
    void releaseResources() override {}

private:
    int& requests;
};
} // namespace

TEST(BandText, MultiplierTexts)
{
    struct Case
    {
        float multiplier;
        juce::String text;
    };
    for (const auto& c : {Case{0.999f, times + "1.00"}, Case{1.004f, "H1"}, Case{1.006f, times + "1.01"},
                          Case{3.0f, "H3"}, Case{2.5f, times + "2.50"}, Case{0.5f, times + "0.50"},
                          Case{1.13f, times + "1.13"}, Case{256.0f, "H256"}, Case{0.25f, times + "0.25"},
                          Case{2.996f, "H3"}, Case{2.994f, times + "2.99"}})
        EXPECT_EQ(formatMultiplier(c.multiplier), c.text) << c.multiplier;
}

TEST(BandText, FrequencyTexts)
{
    struct Case
    {
        double hz;
        const char* text;
    };
    for (const auto& c : {Case{12345.6, "12.35 kHz"}, Case{999.95, "999.95 Hz"}, Case{1000.0, "1.00 kHz"},
                          Case{261.6256, "261.626 Hz"}, Case{440.0, "440 Hz"}, Case{97.5, "97.5 Hz"},
                          Case{1047.0, "1.05 kHz"}, Case{20000.0, "20.00 kHz"}})
        EXPECT_EQ(formatFrequency(c.hz), c.text) << c.hz;
}

TEST(BandText, TypedMultipliers)
{
    struct Case
    {
        juce::String typed;
        std::optional<float> value;
    };
    for (const auto& c :
         {Case{"x3", 3.0f}, Case{"H3", 3.0f}, Case{"3", 3.0f}, Case{" h3 ", 3.0f}, Case{times + "1.5", 1.5f},
          Case{"X0.5", 0.5f}, Case{"2.5", 2.5f}, Case{"300", 256.0f}, Case{"0.1", 0.25f}, Case{"4abc", 4.0f},
          Case{"0", std::nullopt}, Case{"-2", std::nullopt}, Case{"abc", std::nullopt},
          Case{"", std::nullopt}, Case{"H", std::nullopt}})
    {
        const auto parsed = parseMultiplier(c.typed);
        ASSERT_EQ(parsed.has_value(), c.value.has_value()) << c.typed;
        if (c.value)
        {
            EXPECT_FLOAT_EQ(*parsed, *c.value) << c.typed;
        }
    }
}

// A valid entry is written (clamped) as one undo step and shown in the strip's own format; anything else
// writes nothing and the field shows the band's value again at once.
TEST_F(Strip, TypingAMultiplier)
{
    struct Case
    {
        juce::String typed;
        float stored;
        juce::String shown;
    };
    for (const auto& c : {Case{"x3", 3.0f, "H3"}, Case{"H3", 3.0f, "H3"}, Case{"3", 3.0f, "H3"},
                          Case{"2.5", 2.5f, times + "2.50"}, Case{"300", 256.0f, "H256"},
                          Case{"0", 2.0f, "H2"}, Case{"-2", 2.0f, "H2"}, Case{"abc", 2.0f, "H2"}})
    {
        f.set("b1_mult", 2.0f);
        strip.refresh();
        f.processor.beginNewUndoStep();
        f.processor.undoManager.clearUndoHistory();

        type(c.typed);
        EXPECT_FLOAT_EQ(f.get("b1_mult"), c.stored) << c.typed;
        EXPECT_EQ(parts.multiplier.getText(), c.shown) << c.typed;
        strip.refresh();
        EXPECT_EQ(parts.multiplier.getText(), c.shown) << c.typed;

        const bool wrote = c.stored != 2.0f;
        EXPECT_EQ(f.processor.undoManager.canUndo(), wrote) << c.typed;
        if (wrote)
        {
            f.processor.undoManager.undo();
            EXPECT_FLOAT_EQ(f.get("b1_mult"), 2.0f) << c.typed;
            EXPECT_FALSE(f.processor.undoManager.canUndo()) << "one entry, one step: " << c.typed;
        }
    }
}

// While the user types, the tick leaves the entry alone.
TEST_F(Strip, RefreshDoesNotOverwriteAnEntryInProgress)
{
    parts.multiplier.showEditor();
    auto* entry = parts.multiplier.getCurrentTextEditor();
    ASSERT_NE(entry, nullptr);
    entry->setText("7", true);
    f.set("b1_mult", 5.0f);
    strip.refresh();
    EXPECT_TRUE(parts.multiplier.isBeingEdited());
    EXPECT_EQ(entry->getText(), "7");
    parts.multiplier.hideEditor(true);
    strip.refresh();
    EXPECT_EQ(parts.multiplier.getText(), "H5");
}

TEST_F(Strip, InfoLine)
{
    struct Case
    {
        float hz;
        bool frozen, english;
        const char* text;
        juce::Colour colour;
    };
    for (const auto& c :
         {Case{0.0f, false, true, "off", Palette::textDim}, Case{0.0f, true, false, "off", Palette::orange},
          Case{440.0f, true, true, "locked 440 Hz", Palette::orange},
          Case{440.0f, true, false, "fija 440 Hz", Palette::orange},
          Case{440.0f, false, false, "440 Hz", Palette::textDim},
          Case{12345.6f, false, true, "12.35 kHz", Palette::textDim},
          Case{261.6256f, false, true, "261.626 Hz", Palette::textDim}})
    {
        useLanguage(c.english);
        f.processor.telemetry.publishedBandFrequency[0].store(c.hz);
        f.set("b1_freeze", c.frozen ? 1.0f : 0.0f);
        strip.refresh();
        EXPECT_EQ(parts.info.getText(), c.text) << c.hz << " " << c.frozen << " " << c.english;
        EXPECT_EQ(parts.info.findColour(juce::Label::textColourId), c.colour) << c.text;
    }
}

// The type button's short name and which controls make sense for each type.
TEST_F(Strip, TypeNamesAndEnabledControls)
{
    struct Case
    {
        int type, slope;
        const char* name;
        bool dyn, gain, q;
    };
    for (const auto& c : {Case{0, 0, "B", true, true, true}, Case{1, 0, "LS", true, true, true},
                          Case{2, 3, "HS", true, true, true}, Case{3, 1, "N", true, false, true},
                          Case{4, 0, "HP", true, false, false}, Case{4, 1, "HP", true, false, true},
                          Case{5, 0, "LP", true, false, false}, Case{5, 5, "LP", true, false, true},
                          Case{6, 0, "TR", false, true, true}, Case{7, 0, "SI", false, true, true},
                          Case{8, 0, "BG", false, true, true}, Case{9, 4, "SU", false, true, true}})
    {
        f.set("b1_type", static_cast<float>(c.type));
        f.set("b1_slope", static_cast<float>(c.slope));
        strip.refresh();
        EXPECT_EQ(parts.type.getButtonText(), c.name) << c.type;
        EXPECT_EQ(parts.dyn.isEnabled(), c.dyn) << c.name;
        EXPECT_EQ(parts.gain.isEnabled(), c.gain) << c.name;
        EXPECT_EQ(parts.q.isEnabled(), c.q) << c.name << " slope " << c.slope;
    }
}

// A level-dependent type is always dynamic, listening above or below as the type needs; going back to an
// ordinary type leaves the switch where it was.
TEST_F(Strip, DynamicTypesForceTheirDynamics)
{
    struct Case
    {
        int type;
        float dynmode;
    };
    for (const auto& c : {Case{6, 0.0f}, Case{7, 0.0f}, Case{8, 1.0f}, Case{9, 1.0f}})
    {
        f.set("b1_dyn", 0.0f);
        f.set("b1_dynmode", 1.0f - c.dynmode);
        f.set("b1_type", static_cast<float>(c.type));
        strip.refresh();
        EXPECT_EQ(f.get("b1_dyn"), 1.0f) << c.type;
        EXPECT_EQ(f.get("b1_dynmode"), c.dynmode) << c.type;
        EXPECT_FALSE(parts.dyn.isEnabled());
    }
    f.set("b1_type", 0.0f);
    strip.refresh();
    EXPECT_EQ(f.get("b1_dyn"), 1.0f);
    EXPECT_TRUE(parts.dyn.isEnabled());
}

// The strip asks for a repaint only when something it shows changed; the activity bar ignores changes of
// 0.01 or less.
TEST_F(Strip, RepaintsOnlyWhatChanged)
{
    f.set("b1_dyn", 1.0f);
    f.processor.telemetry.publishedBandFrequency[0].store(220.0f);
    strip.refresh();
    ASSERT_TRUE(strip.isVisible());
    int repaints = 0;
    strip.setCachedComponentImage(new RepaintCounter(repaints));

    struct Step
    {
        const char* what;
        std::function<void()> change;
        bool repaints;
    };
    auto& telemetry = f.processor.telemetry;
    const Step steps[] = {
        {"nothing", [] {}, false},
        {"activity 0.5", [&] { telemetry.bandDynamicAmount[0].store(0.5f); }, true},
        {"activity +0.009", [&] { telemetry.bandDynamicAmount[0].store(0.509f); }, false},
        {"activity -0.008", [&] { telemetry.bandDynamicAmount[0].store(0.492f); }, false},
        {"activity +0.02", [&] { telemetry.bandDynamicAmount[0].store(0.52f); }, true},
        {"nothing again", [] {}, false},
        {"frequency", [&] { telemetry.publishedBandFrequency[0].store(221.0f); }, true},
        {"same frequency", [&] { telemetry.publishedBandFrequency[0].store(221.0f); }, false},
        {"multiplier", [&] { f.set("b1_mult", 3.0f); }, true},
        {"type", [&] { f.set("b1_type", 1.0f); }, true},
        {"same type", [&] { f.set("b1_type", 1.0f); }, false},
        {"freeze", [&] { f.set("b1_freeze", 1.0f); }, true},
        {"dyn off: no bar", [&] { f.set("b1_dyn", 0.0f); }, true},
        {"activity while not dynamic", [&] { telemetry.bandDynamicAmount[0].store(0.9f); }, false},
    };
    for (const auto& step : steps)
    {
        repaints = 0;
        step.change(); // attachments update their controls at once on the message thread
        strip.refresh();
        EXPECT_EQ(repaints > 0, step.repaints) << step.what;
    }
    EXPECT_NEAR(strip.getActivity(), 0.0f, 1e-6f);
    strip.setCachedComponentImage(nullptr);
}

// Children follow the strip's layout; a strip too narrow for them gives them no width, never a negative one.
TEST_F(Strip, Layout)
{
    BandStrip s(2, f.processor);
    s.setSize(kStripWidth, kStripHeight);
    auto w = s.widgets();
    EXPECT_EQ(w.on.getBounds(), juce::Rectangle<int>(6, 9, 32, 24));
    EXPECT_EQ(w.type.getBounds(), juce::Rectangle<int>(104, 9, 32, 24));
    EXPECT_EQ(w.multiplier.getBounds(), juce::Rectangle<int>(38, 9, 66, 24));
    EXPECT_EQ(w.remove.getBounds(), juce::Rectangle<int>(118, 36, 18, 16));
    EXPECT_EQ(w.info.getBounds(), juce::Rectangle<int>(6, 36, 112, 16));
    EXPECT_EQ(w.solo.getBounds(), juce::Rectangle<int>(8, 166, 39, 24));
    EXPECT_EQ(w.lock.getBounds(), juce::Rectangle<int>(51, 166, 39, 24));
    EXPECT_EQ(w.dyn.getBounds(), juce::Rectangle<int>(94, 166, 40, 24));
    EXPECT_EQ(w.gainCaption.getBounds(), juce::Rectangle<int>(6, 54, 65, 14));
    EXPECT_EQ(w.gain.getBounds(), juce::Rectangle<int>(6, 68, 65, 98));
    EXPECT_EQ(w.qCaption.getBounds(), juce::Rectangle<int>(71, 54, 65, 14));
    EXPECT_EQ(w.q.getBounds(), juce::Rectangle<int>(71, 68, 65, 98));

    s.setSize(10, kStripHeight);
    for (auto* child : s.getChildren())
    {
        EXPECT_EQ(child->getWidth(), 0);
        EXPECT_GE(child->getHeight(), 0);
    }
    juce::Image image(juce::Image::ARGB, 10, kStripHeight, true);
    juce::Graphics g(image);
    s.paintEntireComponent(g, true); // paints without asserting on negative sizes
}

// Switches and knobs are the slot's parameters; the strip's colours come from its slot.
TEST_F(Strip, ControlsAreAttachedToTheirSlot)
{
    BandStrip s(4, f.processor);
    auto w = s.widgets();
    struct Case
    {
        juce::Button& button;
        const char* id;
    };
    for (const auto& c :
         {Case{w.on, "b5_on"}, Case{w.solo, "b5_solo"}, Case{w.lock, "b5_freeze"}, Case{w.dyn, "b5_dyn"}})
    {
        const float before = f.get(c.id);
        c.button.setToggleState(before < 0.5f, juce::sendNotificationSync);
        EXPECT_EQ(f.get(c.id), before < 0.5f ? 1.0f : 0.0f) << c.id;
    }
    w.gain.setValue(-7.5, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ(f.get("b5_gain"), -7.5f);
    w.q.setValue(3.0, juce::sendNotificationSync);
    EXPECT_NEAR(f.get("b5_q"), 3.0f, 1e-3f);
    EXPECT_EQ(w.multiplier.findColour(juce::Label::textColourId), bandColour(4));
    EXPECT_EQ(w.gain.findColour(juce::Slider::rotarySliderFillColourId), bandColour(4));
    EXPECT_EQ(w.solo.findColour(juce::TextButton::buttonOnColourId), Palette::orange);
    EXPECT_EQ(w.dyn.findColour(juce::TextButton::buttonOnColourId), Palette::blue);
    EXPECT_EQ(w.on.findColour(juce::TextButton::buttonOnColourId), bandColour(4));
}

// Each + or - press is its own undo step, even without a mouse press in between.
TEST_F(Strip, EachKeyStepIsOneUndoStep)
{
    f.set("b1_mult", 2.0f);
    editor.selectBand(0);
    f.processor.beginNewUndoStep();
    f.processor.undoManager.clearUndoHistory();
    const auto plus = juce::KeyPress(0, juce::ModifierKeys(), '+');
    EXPECT_TRUE(editor.keyPressed(plus));
    EXPECT_TRUE(editor.keyPressed(plus));
    EXPECT_TRUE(editor.keyPressed(juce::KeyPress(0, juce::ModifierKeys(), '-')));
    EXPECT_FLOAT_EQ(f.get("b1_mult"), 3.0f);
    for (float expected : {4.0f, 3.0f, 2.0f})
    {
        ASSERT_TRUE(f.processor.undoManager.canUndo());
        f.processor.undoManager.undo();
        EXPECT_FLOAT_EQ(f.get("b1_mult"), expected);
    }
    EXPECT_FALSE(f.processor.undoManager.canUndo());
}

// Added slots take consecutive cells, the add cell follows the last one, and with all 16 it is gone.
TEST_F(Strip, RowOfSlots)
{
    for (int n : {2, 4})
        f.set(bandParameterId(n, BandParam::add), 1.0f);
    editor.resized();
    auto w = editor.widgets();
    EXPECT_EQ(w.strips[0]->getX(), 0);
    EXPECT_EQ(w.strips[1]->getX(), kStripWidth);
    EXPECT_FALSE(w.strips[2]->isVisible());
    EXPECT_EQ(w.strips[3]->getX(), 2 * kStripWidth);
    EXPECT_TRUE(w.addSlot.isVisible());
    EXPECT_EQ(w.addSlot.getBounds(), juce::Rectangle<int>(3 * kStripWidth, 0, kStripWidth, kStripHeight));

    editor.addBandSlot(); // fills the gap: slot 2
    EXPECT_EQ(f.get("b3_add"), 1.0f);
    EXPECT_EQ(editor.getSelectedBand(), 2);
    editor.timerTick();
    EXPECT_TRUE(w.strips[2]->isVisible());
    EXPECT_EQ(w.strips[2]->getX(), 2 * kStripWidth);
    EXPECT_EQ(w.addSlot.getX(), 4 * kStripWidth);

    for (int n = 1; n <= kNumBands; ++n)
        f.set(bandParameterId(n, BandParam::add), 1.0f);
    editor.timerTick();
    EXPECT_FALSE(w.addSlot.isVisible());
    EXPECT_EQ(w.stripContainer.getWidth(), 2272);
    EXPECT_EQ(w.strips[15]->getRight(), 2272);

    // Selecting the last slot scrolls it fully into view.
    editor.selectBand(15);
    const auto view = w.stripViewport.getViewArea();
    EXPECT_EQ(view.getRight(), 2272);
}
