// The editor shell driven as a user drives it: switches, the padlock, monitoring, texts the timer keeps
// up to date, keys and the undo steps they make.
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

namespace
{
class EditorShell : public testing::Test
{
protected:
    SettingsSandbox sandbox{"en_GB.UTF-8"};
    EditorFixture f;
    VezovevaDirADAudioProcessorEditor& editor = *f.editor;
};

juce::KeyPress command(int key, bool shift = false)
{
    int modifiers = juce::ModifierKeys::commandModifier;
    if (shift)
        modifiers |= juce::ModifierKeys::shiftModifier;
    return juce::KeyPress(key, juce::ModifierKeys(modifiers), 0);
}
} // namespace

// Turning the bulb off deletes the tooltip window and saves the choice with this instance's state.
TEST_F(EditorShell, BulbSwitchesTooltipsPerInstance)
{
    auto w = editor.widgets();
    EXPECT_TRUE(w.bulb.getToggleState());
    EXPECT_TRUE(editor.hasTooltipWindow());

    w.bulb.setToggleState(false, juce::dontSendNotification);
    w.bulb.onClick();
    EXPECT_FALSE(editor.hasTooltipWindow());
    EXPECT_FALSE(f.processor.getTooltipsEnabled());
    EXPECT_FALSE(f.processor.undoManager.canUndo()) << "showing help is not an edit";

    juce::MemoryBlock saved;
    f.processor.getStateInformation(saved);
    VezovevaDirADAudioProcessor restored;
    restored.setStateInformation(saved.getData(), static_cast<int>(saved.getSize()));
    EXPECT_FALSE(restored.getTooltipsEnabled());
    std::unique_ptr<juce::AudioProcessorEditor> reopened(restored.createEditor());
    auto& other = dynamic_cast<VezovevaDirADAudioProcessorEditor&>(*reopened);
    EXPECT_FALSE(other.hasTooltipWindow());
    EXPECT_FALSE(other.widgets().bulb.getToggleState());

    // A second instance keeps its own switch.
    VezovevaDirADAudioProcessor fresh;
    EXPECT_TRUE(fresh.getTooltipsEnabled());
}

// Closing the lock takes the pitch being heard as the manual frequency, within 20..2000 Hz.
TEST_F(EditorShell, PadlockFreezesTheBaseFrequency)
{
    struct Case
    {
        float publishedPitch;
        float expectedFreq;
    };
    for (const auto& c :
         {Case{0.0f, 220.0f}, Case{3000.0f, 2000.0f}, Case{261.63f, 261.63f}, Case{12.0f, 20.0f}})
    {
        f.set(ParamIds::lock, 0.0f);
        f.set(ParamIds::freq, 220.0f);
        f.processor.telemetry.publishedPitch.store(c.publishedPitch); // as the audio thread publishes it
        auto& padlock = editor.widgets().padlock;
        padlock.setToggleState(true, juce::dontSendNotification);
        padlock.onClick();
        EXPECT_NEAR(f.get(ParamIds::freq), c.expectedFreq, 0.006f) << "pitch " << c.publishedPitch;
    }
}

// The monitoring buttons write their parameter; the timer lights one button per group.
TEST_F(EditorShell, MonitoringButtonsAreTwoRadioGroups)
{
    auto w = editor.widgets();
    struct Case
    {
        juce::TextButton& button;
        const char* id;
        float value;
    };
    for (const auto& c : {Case{w.delta, ParamIds::monSig, 1.0f}, Case{w.output, ParamIds::monSig, 0.0f},
                          Case{w.side, ParamIds::monCh, 2.0f}, Case{w.mid, ParamIds::monCh, 1.0f},
                          Case{w.stereo, ParamIds::monCh, 0.0f}})
    {
        c.button.onClick();
        EXPECT_EQ(f.get(c.id), c.value) << c.button.getButtonText();
        EXPECT_FALSE(c.button.getToggleState()) << "the button itself does not toggle";
        editor.timerTick();
        EXPECT_TRUE(c.button.getToggleState()) << c.button.getButtonText();
    }
    f.set(ParamIds::monSig, 1.0f);
    f.set(ParamIds::monCh, 2.0f);
    editor.timerTick();
    EXPECT_TRUE(w.delta.getToggleState());
    EXPECT_FALSE(w.output.getToggleState());
    EXPECT_TRUE(w.side.getToggleState());
    EXPECT_FALSE(w.stereo.getToggleState());
    EXPECT_FALSE(w.mid.getToggleState());
}

// The headphone icon is orange whenever anything but the plain stereo output is heard.
TEST_F(EditorShell, MonitoringIconColour)
{
    const auto area = editor.currentLayout().monitorIcon;
    const auto countOrange = [&]
    {
        const auto image = editor.createComponentSnapshot(area, false);
        int orange = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                orange += image.getPixelAt(x, y).getPixelARGB().getNativeARGB() == Palette::orange.getARGB()
                              ? 1
                              : 0;
        return orange;
    };
    struct Case
    {
        float signal, channel;
        bool lit;
    };
    for (const auto& c :
         {Case{0, 0, false}, Case{1, 0, true}, Case{0, 1, true}, Case{0, 2, true}, Case{1, 2, true}})
    {
        f.set(ParamIds::monSig, c.signal);
        f.set(ParamIds::monCh, c.channel);
        if (c.lit)
            EXPECT_GT(countOrange(), 20) << c.signal << "/" << c.channel;
        else
            EXPECT_EQ(countOrange(), 0);
    }
}

// The AUTO switch shows the makeup gain once it is below -0.05 dB.
TEST_F(EditorShell, AutoGainButtonText)
{
    auto& autoGain = editor.widgets().autoGain;
    struct Case
    {
        bool on;
        float db;
        const char* text;
    };
    for (const auto& c : {Case{true, -0.04f, "AUTO"}, Case{true, -3.26f, "-3.3 dB"}, Case{true, 0.0f, "AUTO"},
                          Case{false, -3.26f, "AUTO"}, Case{true, -24.0f, "-24.0 dB"}})
    {
        f.set(ParamIds::autoGain, c.on ? 1.0f : 0.0f);
        f.processor.telemetry.autoGainDb.store(c.db);
        editor.timerTick();
        EXPECT_EQ(autoGain.getButtonText(), c.text) << c.db;
    }
}

TEST_F(EditorShell, PresetNameAndSlotButtons)
{
    auto w = editor.widgets();
    editor.timerTick();
    EXPECT_EQ(w.preset.getButtonText(), juce::String::fromUTF8("Init  \xe2\x96\xbe"));
    EXPECT_TRUE(w.slotA.getToggleState());
    EXPECT_FALSE(w.slotB.getToggleState());
    EXPECT_EQ(w.copySlot.getButtonText(), "A>B");

    w.slotA.onClick(); // A while A is lit changes nothing
    editor.timerTick();
    EXPECT_EQ(f.processor.getActiveSlot(), 0);

    w.slotB.onClick();
    editor.timerTick();
    EXPECT_EQ(f.processor.getActiveSlot(), 1);
    EXPECT_FALSE(w.slotA.getToggleState());
    EXPECT_TRUE(w.slotB.getToggleState());
    EXPECT_EQ(w.copySlot.getButtonText(), "B>A");

    const auto preset = sandbox.home.getChildFile("Warm lead.opreset");
    ASSERT_TRUE(f.processor.savePresetFile(preset));
    editor.timerTick();
    EXPECT_EQ(w.preset.getButtonText(), juce::String::fromUTF8("Warm lead  \xe2\x96\xbe"));
}

// Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo (Shift ignored for Y); the key is used even with nothing to do.
TEST_F(EditorShell, UndoAndRedoKeys)
{
    auto& undo = f.processor.undoManager;
    EXPECT_TRUE(editor.keyPressed(command('z')));
    EXPECT_FLOAT_EQ(f.get("b1_gain"), 0.0f);

    // The framework records a parameter change when it flushes the value into the tree.
    undo.beginNewTransaction();
    editor.setParameterValue("b1_gain", -6.0f);
    f.processor.parameters.copyState();
    undo.beginNewTransaction();
    editor.setParameterValue("b1_gain", 3.0f);
    f.processor.parameters.copyState();
    ASSERT_FLOAT_EQ(f.get("b1_gain"), 3.0f);

    EXPECT_TRUE(editor.keyPressed(command('Z')));
    EXPECT_FLOAT_EQ(f.get("b1_gain"), -6.0f);
    EXPECT_TRUE(editor.keyPressed(command('z')));
    EXPECT_FLOAT_EQ(f.get("b1_gain"), 0.0f);
    EXPECT_TRUE(editor.keyPressed(command('Z', true)));
    EXPECT_FLOAT_EQ(f.get("b1_gain"), -6.0f);
    EXPECT_TRUE(editor.keyPressed(command('Y', true)));
    EXPECT_FLOAT_EQ(f.get("b1_gain"), 3.0f);
    EXPECT_FALSE(editor.keyPressed(juce::KeyPress('q')));

    editor.timerTick();
    EXPECT_TRUE(editor.widgets().undo.isEnabled());
    EXPECT_FALSE(editor.widgets().redo.isEnabled());
}

// + and - step the selected slot's multiplier through the harmonic and interval table.
TEST_F(EditorShell, PlusAndMinusStepTheMultiplier)
{
    struct Case
    {
        float from;
        char key;
        float to;
    };
    for (const auto& c :
         {Case{64.0f, '+', 64.0f}, Case{100.0f, '-', 64.0f}, Case{1.5f, '+', 1.6f}, Case{1.5f, '-', 1.4f},
          Case{3.4f, '+', 4.0f}, Case{3.4f, '_', 3.0f}, Case{0.25f, '-', 0.25f}, Case{2.0f, '=', 3.0f}})
    {
        f.set("b1_mult", c.from);
        EXPECT_TRUE(
            editor.keyPressed(juce::KeyPress(0, juce::ModifierKeys(), static_cast<juce::juce_wchar>(c.key))));
        EXPECT_NEAR(f.get("b1_mult"), c.to, 1e-4f) << c.from << " " << c.key;
    }
}

// With Ctrl, + and - belong to the host (zoom): the key is not used and the multiplier stays.
TEST_F(EditorShell, CtrlWithPlusOrMinusIsLeftToTheHost)
{
    f.set("b1_mult", 2.0f);
    for (const char key : {'+', '=', '-', '_'})
    {
        EXPECT_FALSE(editor.keyPressed(
            juce::KeyPress(key, juce::ModifierKeys::commandModifier, static_cast<juce::juce_wchar>(key))))
            << key;
        EXPECT_FLOAT_EQ(f.get("b1_mult"), 2.0f) << key;
    }
}

TEST_F(EditorShell, SlotsAreAddedRemovedAndSelected)
{
    editor.selectBand(-3);
    EXPECT_EQ(editor.getSelectedBand(), 0);
    editor.selectBand(40);
    EXPECT_EQ(editor.getSelectedBand(), 15);

    editor.addBandSlot(); // slot 0 is in use: the next free one is slot 1
    EXPECT_EQ(f.get("b2_add"), 1.0f);
    EXPECT_EQ(f.get("b2_on"), 1.0f);
    EXPECT_EQ(editor.getSelectedBand(), 1);
    EXPECT_TRUE(editor.widgets().strips[1]->isSelected());
    EXPECT_FALSE(editor.widgets().strips[0]->isSelected());

    f.set("b2_solo", 1.0f);
    editor.removeBandSlot(1);
    EXPECT_EQ(f.get("b2_add"), 0.0f);
    EXPECT_EQ(f.get("b2_solo"), 0.0f);
    EXPECT_EQ(editor.getSelectedBand(), 0) << "the lowest other added slot";

    editor.removeBandSlot(0); // the last one: the selection stays
    EXPECT_EQ(editor.getSelectedBand(), 0);
    editor.removeBandSlot(99); // ignored, never used as an index

    for (int n = 1; n <= kNumBands; ++n)
        f.set(bandParameterId(n, BandParam::add), 1.0f);
    editor.addBandSlot(); // all in use: nothing
    EXPECT_EQ(editor.getSelectedBand(), 0);
}

// The dynamics panel slides open over about ten ticks while the selected slot is dynamic.
TEST_F(EditorShell, DynamicsPanelFollowsTheSelectedSlot)
{
    EXPECT_EQ(editor.getDynPanelOpen(), 0.0f);
    f.set("b1_dyn", 1.0f);
    int ticks = 0;
    while (editor.getDynPanelOpen() < 1.0f && ticks < 50)
    {
        editor.timerTick();
        ++ticks;
    }
    EXPECT_EQ(editor.getDynPanelOpen(), 1.0f);
    EXPECT_GE(ticks, 8);
    EXPECT_LE(ticks, 12);
    EXPECT_TRUE(editor.widgets().dynContainer.isVisible());
    EXPECT_EQ(editor.widgets().dynContainer.getHeight(), kDynPanelHeight);

    f.set("b1_dyn", 0.0f);
    f.set("b1_type", 7.0f); // Sibilance is dynamic by itself
    editor.timerTick();
    EXPECT_EQ(editor.getDynPanelOpen(), 1.0f);
    EXPECT_EQ(f.get("b1_dyn"), 1.0f) << "the strip keeps a level-dependent type dynamic";
    f.set("b1_type", 0.0f);
    f.set("b1_dyn", 0.0f); // back to an ordinary type, the switch stays on until turned off
    for (int i = 0; i < 20; ++i)
        editor.timerTick();
    EXPECT_EQ(editor.getDynPanelOpen(), 0.0f);
    EXPECT_FALSE(editor.widgets().dynContainer.isVisible());
}

// The emblem document draws; without it the title is still painted.
TEST_F(EditorShell, EmblemAndTitle)
{
    EXPECT_TRUE(editor.hasEmblem());
    const auto title = editor.currentLayout().title;
    const auto image = editor.createComponentSnapshot(title.withTrimmedLeft(36), false);
    int textPixels = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            textPixels += image.getPixelAt(x, y).getBrightness() > 0.6f ? 1 : 0;
    EXPECT_GT(textPixels, 40) << "VIVERA is painted";
}
