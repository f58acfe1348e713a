#include "engine/PluginProcessor.h"
#include "support/ParameterFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <utility>

namespace
{
// Builds a blob around raw bytes, so tests can also hand over invalid UTF-8 and wrong lengths.
juce::MemoryBlock blobFromXmlText(const std::string& xmlText, int lengthOverride = 0x7fffffff)
{
    juce::MemoryBlock blob;
    juce::MemoryOutputStream out(blob, false);
    const auto length = static_cast<int>(xmlText.size());
    out.writeInt(0x21324356);
    out.writeInt(lengthOverride != 0x7fffffff ? lengthOverride : length);
    out.write(xmlText.data(), xmlText.size());
    out.writeByte(0);
    out.flush();
    return blob;
}

float plainValue(VezovevaDirADAudioProcessor& processor, const juce::String& id)
{
    auto* p = processor.parameters.getParameter(id);
    return p->convertFrom0to1(p->getValue());
}

TEST(State, BlobIsMagicLengthOneLineXmlAndZero)
{
    VezovevaDirADAudioProcessor processor;
    juce::MemoryBlock blob;
    processor.getStateInformation(blob);

    ASSERT_GT(blob.getSize(), 9u);
    const auto* bytes = static_cast<const char*>(blob.getData());
    EXPECT_EQ(std::string(bytes, 4), "VC2!");
    const auto length = juce::ByteOrder::littleEndianInt(bytes + 4);
    EXPECT_EQ(length, blob.getSize() - 9);
    EXPECT_EQ(bytes[blob.getSize() - 1], 0);

    const juce::String xmlText = juce::String::fromUTF8(bytes + 8, static_cast<int>(length));
    EXPECT_TRUE(xmlText.startsWith("<?xml"));
    EXPECT_FALSE(xmlText.containsChar('\n'));
    const auto xml = juce::parseXML(xmlText);
    ASSERT_NE(xml, nullptr);
    EXPECT_TRUE(xml->hasTagName("STATE"));
    EXPECT_EQ(xml->getIntAttribute("stateVersion"), 1);
    EXPECT_EQ(xml->getStringAttribute("pluginVersion"), "0.1.0");
    EXPECT_EQ(xml->getNumChildElements(), 387);
}

TEST(State, EveryParameterSurvivesARoundTripIntoAFreshInstance)
{
    VezovevaDirADAudioProcessor source;
    setEveryParameterAwayFromDefault(source);
    juce::MemoryBlock blob;
    source.getStateInformation(blob);

    VezovevaDirADAudioProcessor restored;
    const auto defaults = normalisedValues(restored);
    restored.setStateInformation(blob.getData(), static_cast<int>(blob.getSize()));

    const auto expected = normalisedValues(source);
    const auto actual = normalisedValues(restored);
    ASSERT_EQ(actual.size(), 387u);
    for (size_t i = 0; i < actual.size(); ++i)
    {
        EXPECT_NE(expected[i], defaults[i]) << restored.getParameters()[int(i)]->getName(100);
        EXPECT_FLOAT_EQ(actual[i], expected[i]) << restored.getParameters()[int(i)]->getName(100);
    }
    EXPECT_EQ(restored.parameters.state.getProperty("pluginVersion").toString(), "0.1.0");
}

TEST(State, UnknownPropertiesAndParamsAreKeptAndMissingParamsTakeDefaults)
{
    VezovevaDirADAudioProcessor processor;
    const auto blob = blobFromXmlText(
        R"(<?xml version="1.0" encoding="UTF-8"?><STATE stateVersion="1" tooltips="0" future="x">)"
        R"(<PARAM id="b1_gain" value="-7.3"/><PARAM id="zz_new" value="5"/></STATE>)");
    setEveryParameterAwayFromDefault(processor);
    processor.setStateInformation(blob.getData(), static_cast<int>(blob.getSize()));

    EXPECT_NEAR(plainValue(processor, "b1_gain"), -7.3f, 1e-4f);
    EXPECT_FLOAT_EQ(plainValue(processor, "b3_mult"), 3.0f);
    EXPECT_FLOAT_EQ(plainValue(processor, "b3_q"), 3.0f);
    EXPECT_FLOAT_EQ(plainValue(processor, "sens"), 15.0f);

    juce::MemoryBlock saved;
    processor.getStateInformation(saved);
    const auto xml = VezovevaDirADAudioProcessor::getXmlFromBinary(saved.getData(), int(saved.getSize()));
    ASSERT_NE(xml, nullptr);
    EXPECT_EQ(xml->getStringAttribute("future"), "x");
    EXPECT_EQ(xml->getStringAttribute("tooltips"), "0");
    bool keptUnknown = false;
    for (auto* child : xml->getChildIterator())
        keptUnknown |= child->getStringAttribute("id") == "zz_new";
    EXPECT_TRUE(keptUnknown);
}

TEST(State, BadBlobsLeaveTheCurrentStateAlone)
{
    const std::string valid =
        R"(<?xml version="1.0" encoding="UTF-8"?><STATE><PARAM id="b1_gain" value="9"/></STATE>)";
    auto wrongMagic = blobFromXmlText(valid);
    static_cast<char*>(wrongMagic.getData())[0] = 'X';
    const auto truncated = blobFromXmlText(valid);
    const juce::MemoryBlock noXml("VC2!\x05\x00\x00\x00", 8);

    const struct
    {
        const char* what;
        juce::MemoryBlock blob;
        int sizeOverride;
    } cases[] = {
        {"wrong magic", wrongMagic, -1},
        {"zero length", blobFromXmlText(valid, 0), -1},
        {"negative length", blobFromXmlText(valid, -5), -1},
        {"header only", noXml, -1},
        {"truncated XML", truncated, 40},
        {"another root", blobFromXmlText(R"(<OTHER><PARAM id="b1_gain" value="9"/></OTHER>)"), -1},
        {"not XML", blobFromXmlText("this is not xml <<<"), -1},
        {"invalid UTF-8", blobFromXmlText("<STATE \xff\xfe\xfd\xc3"), -1},
        {"length beyond cut-off data", blobFromXmlText(valid.substr(0, 40), 100000), -1},
        {"negative size", blobFromXmlText(valid), -2},
        {"empty", juce::MemoryBlock(), -1},
    };
    for (const auto& c : cases)
    {
        VezovevaDirADAudioProcessor processor;
        processor.parameters.getParameter("b1_gain")->setValueNotifyingHost(0.75f);
        const auto before = normalisedValues(processor);
        const int size = c.sizeOverride == -2  ? -1
                         : c.sizeOverride >= 0 ? c.sizeOverride
                                               : static_cast<int>(c.blob.getSize());
        processor.setStateInformation(c.blob.getData(), size);
        EXPECT_EQ(normalisedValues(processor), before) << c.what;
    }
}

TEST(State, ValuesOutOfRangeAreClampedAndNonNumbersTakeDefaults)
{
    VezovevaDirADAudioProcessor processor;
    const auto blob = blobFromXmlText(
        R"(<?xml version="1.0" encoding="UTF-8"?><STATE>)"
        R"(<PARAM id="b1_gain" value="500"/><PARAM id="b2_gain" value="-1e30"/><PARAM id="sens" value="abc"/>)"
        R"(<PARAM id="gate" value="nan"/><PARAM id="mix" value="inf"/><PARAM id="b1_type" value="42"/>)"
        R"(<PARAM id="b1_q" value="3.14159"/><PARAM id="out" value="1.0"/><PARAM id="out" value="-5"/></STATE>)");
    processor.setStateInformation(blob.getData(), static_cast<int>(blob.getSize()));

    EXPECT_FLOAT_EQ(plainValue(processor, "b1_gain"), 36.0f);
    EXPECT_FLOAT_EQ(plainValue(processor, "b2_gain"), -36.0f);
    EXPECT_FLOAT_EQ(plainValue(processor, "sens"), 15.0f);
    EXPECT_FLOAT_EQ(plainValue(processor, "gate"), -80.0f);
    EXPECT_FLOAT_EQ(plainValue(processor, "mix"), 100.0f);
    EXPECT_FLOAT_EQ(plainValue(processor, "b1_type"), 9.0f);
    EXPECT_NEAR(plainValue(processor, "b1_q"), 3.14f, 1e-4f);
    EXPECT_FLOAT_EQ(plainValue(processor, "out"), -5.0f); // of duplicate ids the last counts
    for (auto* p : processor.getParameters())
        EXPECT_TRUE(p->getValue() >= 0.0f && p->getValue() <= 1.0f) << p->getName(100);
}

TEST(State, SwitchingSlotsSwapsWholeStatesAndClearsUndo)
{
    VezovevaDirADAudioProcessor processor;
    auto* gain = processor.parameters.getParameter("b1_gain");
    processor.undoManager.beginNewTransaction();
    gain->setValueNotifyingHost(gain->convertTo0to1(6.0f));
    processor.parameters.copyState(); // let the edit reach the undo history
    ASSERT_TRUE(processor.undoManager.canUndo());
    const auto slotA = normalisedValues(processor);

    processor.switchSlot();
    EXPECT_EQ(processor.getActiveSlot(), 1);
    EXPECT_FLOAT_EQ(plainValue(processor, "b1_gain"), 0.0f);
    EXPECT_FALSE(processor.undoManager.canUndo());

    gain->setValueNotifyingHost(gain->convertTo0to1(-3.0f));
    processor.switchSlot();
    EXPECT_EQ(processor.getActiveSlot(), 0);
    EXPECT_EQ(normalisedValues(processor), slotA);
    EXPECT_FALSE(processor.undoManager.canUndo());

    processor.switchSlot();
    EXPECT_FLOAT_EQ(plainValue(processor, "b1_gain"), -3.0f);
}

TEST(State, CopyingToTheOtherSlotThenSwitchingChangesNoValue)
{
    VezovevaDirADAudioProcessor processor;
    setEveryParameterAwayFromDefault(processor);
    const auto before = normalisedValues(processor);
    processor.copyToOtherSlot();
    processor.switchSlot();
    EXPECT_EQ(normalisedValues(processor), before);
    EXPECT_EQ(processor.getActiveSlot(), 1);
}

TEST(State, RestoringGivesEverySwitchTheExactRestoredValue)
{
    // A host's automation curve leaves an on/off switch at a value between 0 and 1; whatever restores the
    // state afterwards, the switch reports exactly the value restored.
    const struct
    {
        const char* what;
        std::function<void(VezovevaDirADAudioProcessor&, const juce::MemoryBlock&)> restore;
    } cases[] = {
        {"host state", [](VezovevaDirADAudioProcessor& p, const juce::MemoryBlock& blob)
         { p.setStateInformation(blob.getData(), static_cast<int>(blob.getSize())); }},
        {"A/B switch", [](VezovevaDirADAudioProcessor& p, const juce::MemoryBlock&) { p.switchSlot(); }},
        {"preset",
         [](VezovevaDirADAudioProcessor& p, const juce::MemoryBlock& blob)
         {
             const auto xml =
                 VezovevaDirADAudioProcessor::getXmlFromBinary(blob.getData(), int(blob.getSize()));
             ASSERT_NE(xml, nullptr);
             ASSERT_TRUE(p.loadPresetXml(*xml, "saved"));
         }},
    };
    for (const auto& c : cases)
    {
        VezovevaDirADAudioProcessor processor;
        juce::MemoryBlock saved;
        processor.getStateInformation(saved); // the A/B other slot holds the same defaults
        for (const auto& [id, written] : {std::pair<const char*, float>{"b2_add", 0.38f},
                                          {"b1_solo", 0.49f},
                                          {"b1_on", 0.62f},
                                          {"b3_dyn", 0.38f}})
            processor.parameters.getParameter(id)->setValueNotifyingHost(written);
        c.restore(processor, saved);
        EXPECT_EQ(processor.parameters.getParameter("b2_add")->getValue(), 0.0f) << c.what;
        EXPECT_EQ(processor.parameters.getParameter("b1_solo")->getValue(), 0.0f) << c.what;
        EXPECT_EQ(processor.parameters.getParameter("b1_on")->getValue(), 1.0f) << c.what;
        EXPECT_EQ(processor.parameters.getParameter("b3_dyn")->getValue(), 0.0f) << c.what;
    }
}
} // namespace
