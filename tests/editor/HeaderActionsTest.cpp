// The header's whole-state buttons: A/B and copy, undo and redo, and the About window.
#include "tests/editor/EditorTestSupport.h"

#include "editor/AboutWindow.h"
#include "support/ParameterFixtures.h"

#include <gtest/gtest.h>

namespace
{
juce::String closeButtonText(juce::Component& window)
{
    for (auto* child : window.getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*>(child))
            return button->getButtonText();
    return {};
}
} // namespace

TEST(HeaderActions, TheLitSlotButtonDoesNothingAndTheOtherSwaps)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    auto w = f.editor->widgets();
    f.set("b1_gain", 6.0f); // A
    w.copySlot.onClick();   // B = A
    f.set("b1_gain", -3.0f);
    f.processor.parameters.copyState();

    w.slotA.onClick(); // lit: nothing
    EXPECT_EQ(f.processor.getActiveSlot(), 0);
    EXPECT_FLOAT_EQ(f.get("b1_gain"), -3.0f);

    w.slotB.onClick();
    EXPECT_EQ(f.processor.getActiveSlot(), 1);
    EXPECT_FLOAT_EQ(f.get("b1_gain"), 6.0f);
    w.slotB.onClick(); // lit: nothing
    EXPECT_EQ(f.processor.getActiveSlot(), 1);
    EXPECT_FLOAT_EQ(f.get("b1_gain"), 6.0f);

    w.slotA.onClick();
    EXPECT_EQ(f.processor.getActiveSlot(), 0);
    EXPECT_FLOAT_EQ(f.get("b1_gain"), -3.0f);

    // Copy then switch: the same sound, the other letter lit.
    w.copySlot.onClick();
    w.slotB.onClick();
    EXPECT_FLOAT_EQ(f.get("b1_gain"), -3.0f);
    f.editor->timerTick();
    EXPECT_TRUE(w.slotB.getToggleState());
    EXPECT_EQ(w.copySlot.getButtonText(), "B>A");
}

TEST(HeaderActions, UndoAndRedoButtonsStepThroughTheHistory)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    auto w = f.editor->widgets();
    auto& undo = f.processor.undoManager;
    undo.clearUndoHistory();
    f.editor->timerTick();
    EXPECT_FALSE(w.undo.isEnabled());
    EXPECT_FALSE(w.redo.isEnabled());

    undo.beginNewTransaction();
    f.editor->setParameterValue("b1_gain", -6.0f);
    f.processor.parameters.copyState();
    f.editor->timerTick();
    EXPECT_TRUE(w.undo.isEnabled());

    w.undo.onClick();
    EXPECT_FLOAT_EQ(f.get("b1_gain"), 0.0f);
    f.editor->timerTick();
    EXPECT_FALSE(w.undo.isEnabled());
    EXPECT_TRUE(w.redo.isEnabled());

    w.redo.onClick();
    EXPECT_FLOAT_EQ(f.get("b1_gain"), -6.0f);
    f.editor->timerTick();
    EXPECT_FALSE(w.redo.isEnabled());
}

TEST(HeaderActions, AFactoryPresetIsOneUndoStepFromTheButton)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    ASSERT_FALSE(VezovevaDirADAudioProcessor::factoryPresets().empty());
    f.set("b1_gain", 4.0f);
    f.processor.parameters.copyState();
    f.processor.undoManager.clearUndoHistory();
    const auto before = normalisedValues(f.processor);
    f.editor->handlePresetMenuResult(100, f.editor->makePresetMenu().actions);
    ASSERT_NE(normalisedValues(f.processor), before);
    f.editor->widgets().undo.onClick();
    EXPECT_EQ(normalisedValues(f.processor), before);
    f.editor->timerTick();
    EXPECT_FALSE(f.editor->widgets().undo.isEnabled());
}

TEST(HeaderActions, AboutWindowInBothLanguagesReplacedWhenOpenedAgainAndClosedByEscape)
{
    struct Case
    {
        const char* lang;
        const char* message;
        const char* close;
    };
    const Case cases[] = {
        {"en_GB.UTF-8",
         "Pitch-tracking dynamic EQ: every band sits on a harmonic of the note and follows it.", "Close"},
        {"es_ES.UTF-8",
         "EQ dinámico que sigue el pitch: cada banda se coloca sobre un armónico de la nota y la sigue.",
         "Cerrar"},
    };
    for (const auto& c : cases)
    {
        SettingsSandbox sandbox(c.lang);
        EditorFixture f;
        EXPECT_EQ(f.editor->getAboutWindow(), nullptr);
        f.editor->widgets().about.onClick();
        juce::Component::SafePointer<juce::AlertWindow> first(f.editor->getAboutWindow());
        ASSERT_TRUE(first != nullptr);
        EXPECT_EQ(first->getName(), "Vivera");
        EXPECT_EQ(aboutMessage(), juce::String::fromUTF8(c.message));
        EXPECT_EQ(first->getAlertType(), juce::MessageBoxIconType::NoIcon);
        ASSERT_EQ(first->getNumButtons(), 1);
        EXPECT_EQ(closeButtonText(*first), c.close);
        EXPECT_TRUE(first->isCurrentlyModal());
        EXPECT_TRUE(first->isVisible());

        f.editor->widgets().title.onClick(); // the title opens it too, replacing the first
        EXPECT_TRUE(first == nullptr) << "the first window was not deleted";
        auto* second = f.editor->getAboutWindow();
        ASSERT_NE(second, nullptr);
        EXPECT_TRUE(second->isCurrentlyModal());

        juce::Component& secondWindow = *second;
        EXPECT_TRUE(secondWindow.keyPressed(juce::KeyPress(juce::KeyPress::escapeKey)));
        EXPECT_TRUE(pumpMessagesUntil([second] { return !second->isVisible(); }, 2000)) << c.lang;
        EXPECT_FALSE(second->isCurrentlyModal());
        EXPECT_EQ(f.editor->getAboutWindow(), second) << "kept until replaced";
    }
}
