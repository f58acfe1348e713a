// The undo history holds the user's edits: editor gestures and loads, never the host's automation.
#include "engine/PluginProcessor.h"
#include "support/ProcessorHarness.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
class Undo : public testing::Test, protected ProcessorHarness
{
protected:
    float plainValue(const juce::String& id)
    {
        auto* p = processor.parameters.getParameter(id);
        return p->convertFrom0to1(p->getValue());
    }

    // One editor gesture: a mouse press starts a transaction, then the value is set inside a change gesture.
    void edit(const juce::String& id, float value)
    {
        auto* p = processor.parameters.getParameter(id);
        processor.undoManager.beginNewTransaction();
        p->beginChangeGesture();
        p->setValueNotifyingHost(p->convertTo0to1(value));
        p->endChangeGesture();
    }

    // A host playing automation: parameter changes arrive with each block on the host's audio thread.
    void automateOnTheAudioThread(int steps)
    {
        std::thread audio(
            [&]
            {
                juce::AudioBuffer<float> block(2, 64);
                juce::MidiBuffer midi;
                auto* gain = processor.parameters.getParameter("b2_gain");
                auto* mix = processor.parameters.getParameter("mix");
                for (int step = 0; step < steps; ++step)
                {
                    gain->setValueNotifyingHost(float(step % 100) / 100.0f);
                    mix->setValueNotifyingHost(float((step * 7) % 100) / 100.0f);
                    block.clear();
                    processor.processBlock(block, midi);
                }
            });
        audio.join();
    }
};

TEST_F(Undo, AutomationLeavesNoUndoRecord)
{
    prepare(48000.0, 64);
    automateOnTheAudioThread(4000);
    processor.parameters.copyState(); // the tree has taken the automated values
    EXPECT_EQ(processor.undoManager.getNumActionsInCurrentTransaction(), 0);
    EXPECT_EQ(processor.undoManager.getNumberOfUnitsTakenUpByStoredCommands(), 0);
    EXPECT_FALSE(processor.undoManager.canUndo());
}

TEST_F(Undo, ChangesOnTheMessageThreadCoalescePerParameter)
{
    // A host's own control panel writes on the message thread: those are edits, but thousands of steps of
    // two parameters stay one entry each.
    processor.undoManager.beginNewTransaction();
    auto* gain = processor.parameters.getParameter("b2_gain");
    auto* mix = processor.parameters.getParameter("mix");
    const float gainBefore = gain->getValue(), mixBefore = mix->getValue();
    for (int step = 0; step < 2000; ++step)
    {
        gain->setValueNotifyingHost(float(step % 100) / 100.0f);
        mix->setValueNotifyingHost(float((step * 7) % 100) / 100.0f);
    }
    const float gainAfter = gain->getValue(), mixAfter = mix->getValue();
    EXPECT_EQ(processor.undoManager.getNumActionsInCurrentTransaction(), 1);
    EXPECT_LE(processor.undoManager.getNumberOfUnitsTakenUpByStoredCommands(), 20);
    ASSERT_TRUE(processor.undoManager.undo());
    EXPECT_EQ(gain->getValue(), gainBefore);
    EXPECT_EQ(mix->getValue(), mixBefore);
    ASSERT_TRUE(processor.undoManager.redo());
    EXPECT_EQ(gain->getValue(), gainAfter);
    EXPECT_EQ(mix->getValue(), mixAfter);
}

TEST_F(Undo, UndoRevertsTheUsersEditAndKeepsTheAutomation)
{
    prepare(48000.0, 64);
    edit("b1_gain", -6.0f);
    automateOnTheAudioThread(2000);
    const float automatedGain = processor.parameters.getParameter("b2_gain")->getValue();
    const float automatedMix = processor.parameters.getParameter("mix")->getValue();

    ASSERT_TRUE(processor.undoManager.undo());
    EXPECT_FLOAT_EQ(plainValue("b1_gain"), 0.0f);
    EXPECT_EQ(processor.parameters.getParameter("b2_gain")->getValue(), automatedGain);
    EXPECT_EQ(processor.parameters.getParameter("mix")->getValue(), automatedMix);
    EXPECT_FALSE(processor.undoManager.canUndo());

    ASSERT_TRUE(processor.undoManager.redo());
    EXPECT_FLOAT_EQ(plainValue("b1_gain"), -6.0f);
}

TEST_F(Undo, EachMousePressIsOneStep)
{
    edit("b1_gain", -6.0f);
    edit("b1_gain", 3.0f);
    edit("b2_add", 1.0f);
    ASSERT_TRUE(processor.undoManager.undo());
    EXPECT_FLOAT_EQ(plainValue("b2_add"), 0.0f);
    EXPECT_FLOAT_EQ(plainValue("b1_gain"), 3.0f);
    ASSERT_TRUE(processor.undoManager.undo());
    EXPECT_FLOAT_EQ(plainValue("b1_gain"), -6.0f);
    ASSERT_TRUE(processor.undoManager.undo());
    EXPECT_FLOAT_EQ(plainValue("b1_gain"), 0.0f);
    EXPECT_FALSE(processor.undoManager.canUndo());
}

TEST_F(Undo, ReplacingTheWholeStateClearsTheHistory)
{
    juce::MemoryBlock saved;
    processor.getStateInformation(saved);
    const std::function<void()> replacements[] = {
        [&] { processor.setStateInformation(saved.getData(), static_cast<int>(saved.getSize())); },
        [&] { processor.switchSlot(); }};
    for (const auto& replace : replacements)
    {
        edit("b1_gain", -6.0f);
        ASSERT_TRUE(processor.undoManager.canUndo());
        replace();
        EXPECT_FALSE(processor.undoManager.canUndo());
        EXPECT_EQ(processor.undoManager.getNumActionsInCurrentTransaction(), 0);
    }
}
} // namespace
