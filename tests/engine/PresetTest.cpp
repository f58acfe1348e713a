#include "engine/PluginProcessor.h"
#include "support/MessagePump.h"
#include "support/ParameterFixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <utility>

namespace
{
// Points HOME (and with it the documents folder) at a temporary folder, so no test touches a real user's
// presets.
class PresetTest : public testing::Test
{
protected:
    void SetUp() override
    {
        savedHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
        home = juce::File::createTempFile("vivera-home");
        ASSERT_TRUE(home.createDirectory());
        setenv("HOME", home.getFullPathName().toRawUTF8(), 1);
    }

    void TearDown() override
    {
        setenv("HOME", savedHome.c_str(), 1);
        home.deleteRecursively();
    }

    float plainValue(const juce::String& id)
    {
        auto* p = processor.parameters.getParameter(id);
        return p->convertFrom0to1(p->getValue());
    }

    void setPlain(const juce::String& id, float value)
    {
        auto* p = processor.parameters.getParameter(id);
        p->setValueNotifyingHost(p->convertTo0to1(value));
    }

    std::string savedHome;
    juce::File home;
    VezovevaDirADAudioProcessor processor;
};

TEST_F(PresetTest, FolderIsUnderTheDocumentsFolder)
{
    const auto folder = VezovevaDirADAudioProcessor::presetFolder();
    EXPECT_TRUE(folder.isAChildOf(home)) << folder.getFullPathName();
    EXPECT_TRUE(folder.getFullPathName().endsWith("Vidizaridaza/Vivera/Presets"));
}

TEST_F(PresetTest, EveryParameterSurvivesASaveAndLoadExceptSessionChoices)
{
    setEveryParameterAwayFromDefault(processor);
    const auto saved = normalisedValues(processor);
    const auto file = VezovevaDirADAudioProcessor::presetFolder().getChildFile("Lead vocal.opreset");
    ASSERT_TRUE(processor.savePresetFile(file));
    EXPECT_EQ(processor.getPresetName(), "Lead vocal");

    const auto text = file.loadFileAsString();
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
    EXPECT_TRUE(text.contains("presetName=\"Lead vocal\""));

    VezovevaDirADAudioProcessor fresh;
    ASSERT_TRUE(fresh.loadPresetFile(file));
    EXPECT_EQ(fresh.getPresetName(), "Lead vocal");
    const auto loaded = normalisedValues(fresh);
    const auto defaults = normalisedValues(VezovevaDirADAudioProcessor());
    for (size_t i = 0; i < loaded.size(); ++i)
    {
        auto* p = dynamic_cast<juce::RangedAudioParameter*>(fresh.getParameters()[int(i)]);
        const bool kept = p->getParameterID() == "lookahead" || p->getParameterID() == "mon_sig" ||
                          p->getParameterID() == "mon_ch";
        EXPECT_FLOAT_EQ(loaded[i], kept ? defaults[i] : saved[i]) << p->getParameterID();
    }
}

TEST_F(PresetTest, NameIsTheFileNameWithoutTheLastExtension)
{
    const auto file = home.getChildFile("a.b.opreset");
    ASSERT_TRUE(processor.savePresetFile(file));
    EXPECT_EQ(processor.getPresetName(), "a.b");
    ASSERT_TRUE(processor.loadPresetFile(file));
    EXPECT_EQ(processor.getPresetName(), "a.b");
}

TEST_F(PresetTest, LoadingKeepsLookaheadAndTheLatency)
{
    const auto file = home.getChildFile("with lookahead.opreset");
    ASSERT_TRUE(processor.savePresetFile(file)); // saved with lookahead on

    setPlain("lookahead", 0.0f);
    setPlain("mon_ch", 2.0f);
    processor.prepareToPlay(48000.0, 512);
    ASSERT_EQ(processor.getLatencySamples(), 0);

    ASSERT_TRUE(processor.loadPresetFile(file));
    EXPECT_FLOAT_EQ(plainValue("lookahead"), 0.0f);
    EXPECT_FLOAT_EQ(plainValue("mon_ch"), 2.0f);
    EXPECT_EQ(processor.getLatencySamples(), 0);
}

TEST_F(PresetTest, MissingParamsInAPresetGoToDefaults)
{
    setPlain("b3_mult", 7.5f);
    setPlain("b1_gain", 4.0f);
    const auto file = home.getChildFile("partial.opreset");
    file.replaceWithText(R"(<?xml version="1.0" encoding="UTF-8"?>)"
                         "\r\n<STATE stateVersion=\"1\"><PARAM id=\"b1_gain\" value=\"-2.5\"/></STATE>\r\n");
    ASSERT_TRUE(processor.loadPresetFile(file));
    EXPECT_FLOAT_EQ(plainValue("b1_gain"), -2.5f);
    EXPECT_FLOAT_EQ(plainValue("b3_mult"), 3.0f);
}

TEST_F(PresetTest, BadFilesChangeNothingAndStartNoUndoTransaction)
{
    const struct
    {
        const char* name;
        const char* content; // nullptr: the file does not exist
    } cases[] = {
        {"missing.opreset", nullptr},
        {"garbage.opreset", "not xml at all"},
        {"other-root.opreset", "<OTHER><PARAM id=\"b1_gain\" value=\"5\"/></OTHER>"},
        {"truncated.opreset", "<?xml version=\"1.0\"?><STATE><PARAM id=\"b1_gain\" val"},
        {"empty.opreset", ""},
    };
    setPlain("b1_gain", 4.0f);
    processor.parameters.copyState();
    processor.undoManager.clearUndoHistory();
    const auto before = normalisedValues(processor);
    for (const auto& c : cases)
    {
        const auto file = home.getChildFile(c.name);
        if (c.content != nullptr)
            file.replaceWithText(c.content);
        EXPECT_FALSE(processor.loadPresetFile(file)) << c.name;
        EXPECT_EQ(normalisedValues(processor), before) << c.name;
        EXPECT_FALSE(processor.undoManager.canUndo()) << c.name;
    }
    EXPECT_FALSE(processor.loadPresetFile(home)); // a folder, not a file
}

TEST_F(PresetTest, SavingWhereNothingCanBeWrittenFailsAndKeepsTheName)
{
    ASSERT_TRUE(processor.savePresetFile(home.getChildFile("first.opreset")));
    const auto blocker = home.getChildFile("not-a-folder");
    ASSERT_TRUE(blocker.replaceWithText("x"));
    EXPECT_FALSE(processor.savePresetFile(blocker.getChildFile("second.opreset")));
    EXPECT_FALSE(processor.savePresetFile(juce::File()));
    EXPECT_EQ(processor.getPresetName(), "first");
}

TEST_F(PresetTest, InitResetsAllButSessionChoicesAsOneUndoStep)
{
    setEveryParameterAwayFromDefault(processor);
    processor.parameters.copyState();
    processor.undoManager.clearUndoHistory();
    const auto edited = normalisedValues(processor);

    // -1 is the menu's Init; an index past the bank's end resets the same way.
    const int pastTheBank = static_cast<int>(VezovevaDirADAudioProcessor::factoryPresets().size());
    for (int index : {-1, pastTheBank})
    {
        processor.loadFactoryPreset(index);
        EXPECT_EQ(processor.getPresetName(), "Init");
        EXPECT_FLOAT_EQ(plainValue("b1_gain"), 0.0f) << index;
        EXPECT_FLOAT_EQ(plainValue("b2_add"), 0.0f) << index;
        EXPECT_FLOAT_EQ(plainValue("b5_mult"), 5.0f) << index;
        EXPECT_EQ(processor.parameters.getParameter("lookahead")->getValue(), edited[16]) << index;

        ASSERT_TRUE(processor.undoManager.undo()) << index;
        EXPECT_EQ(normalisedValues(processor), edited) << index;
        processor.undoManager.clearUndoHistory();
    }
}

// An editor gesture just before a load (the framework moves parameter values into the tree on a timer that
// may not have run yet) stays an undo step of its own, in front of the load's.
TEST_F(PresetTest, AnEditJustBeforeALoadIsItsOwnUndoStep)
{
    const auto file = home.getChildFile("saved.opreset");
    ASSERT_TRUE(processor.savePresetFile(file)); // defaults
    processor.parameters.copyState();
    processor.undoManager.clearUndoHistory();

    const std::function<void()> loads[] = {[&] { ASSERT_TRUE(processor.loadPresetFile(file)); },
                                           [&] { processor.loadFactoryPreset(-1); }};
    for (const auto& load : loads)
    {
        processor.undoManager.beginNewTransaction(); // the mouse press
        for (const auto& [id, value] : {std::pair<const char*, float>{"b1_gain", -6.0f}, {"b2_add", 1.0f}})
        {
            auto* parameter = processor.parameters.getParameter(id);
            parameter->beginChangeGesture();
            parameter->setValueNotifyingHost(parameter->convertTo0to1(value));
            parameter->endChangeGesture();
        }
        load();
        EXPECT_FLOAT_EQ(plainValue("b1_gain"), 0.0f);

        ASSERT_TRUE(processor.undoManager.undo()); // the load
        EXPECT_FLOAT_EQ(plainValue("b1_gain"), -6.0f);
        EXPECT_FLOAT_EQ(plainValue("b2_add"), 1.0f);
        ASSERT_TRUE(processor.undoManager.undo()); // the edit
        EXPECT_FLOAT_EQ(plainValue("b1_gain"), 0.0f);
        EXPECT_FLOAT_EQ(plainValue("b2_add"), 0.0f);
        EXPECT_FALSE(processor.undoManager.canUndo());
        processor.undoManager.clearUndoHistory();
    }
}
} // namespace
