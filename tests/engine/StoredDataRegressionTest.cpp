// Inputs found by fuzzing the state and preset readers, kept so the faults stay fixed.
#include "engine/PluginProcessor.h"
#include "engine/state/Utf8Validation.h"
#include "support/ParameterFixtures.h"

#include <gtest/gtest.h>

namespace
{
const juce::File regressions{VIVERA_TEST_REGRESSIONS_DIR};

TEST(StoredDataRegression, MalformedUtf8StateIsIgnored)
{
    juce::MemoryBlock blob;
    ASSERT_TRUE(regressions.getChildFile("state-invalid-utf8-overrun.bin").loadFileAsData(blob));
    VezovevaDirADAudioProcessor processor;
    setEveryParameterAwayFromDefault(processor);
    const auto before = normalisedValues(processor);
    processor.setStateInformation(blob.getData(), static_cast<int>(blob.getSize()));
    EXPECT_EQ(normalisedValues(processor), before);
}

TEST(StoredDataRegression, ProcessingInstructionInsideTheStateIsRefusedWithoutHanging)
{
    juce::MemoryBlock blob;
    ASSERT_TRUE(regressions.getChildFile("state-processing-instruction-hang.bin").loadFileAsData(blob));
    VezovevaDirADAudioProcessor processor;
    const auto before = normalisedValues(processor);
    processor.setStateInformation(blob.getData(), static_cast<int>(blob.getSize()));
    EXPECT_EQ(normalisedValues(processor), before);

    const std::string minimal = "<STATE><PARAM id=\"b1_gain\" value=\"3\"/><?pi?>text</STATE>";
    EXPECT_FALSE(processor.loadPresetData(minimal.data(), minimal.size(), "pi"));
}

TEST(StoredDataRegression, MalformedUtf8PresetIsRefused)
{
    VezovevaDirADAudioProcessor processor;
    const auto before = normalisedValues(processor);
    EXPECT_FALSE(processor.loadPresetFile(regressions.getChildFile("preset-invalid-utf8-overrun.opreset")));
    EXPECT_EQ(normalisedValues(processor), before);
}

TEST(StoredDataRegression, NonAsciiTextStillLoads)
{
    const std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<STATE presetName=\"Voz "
                            "espa\xc3\xb1ola \xe2\x99\xaa\">"
                            "<PARAM id=\"b1_gain\" value=\"-4\"/></STATE>";
    VezovevaDirADAudioProcessor processor;
    ASSERT_TRUE(
        processor.loadPresetData(xml.data(), xml.size(), juce::CharPointer_UTF8("Voz espa\xc3\xb1ola")));
    EXPECT_EQ(processor.getPresetName(), juce::String(juce::CharPointer_UTF8("Voz espa\xc3\xb1ola")));
}

TEST(Utf8Validation, AcceptsWellFormedAndRefusesMalformedSequences)
{
    const struct
    {
        std::string bytes;
        bool valid;
    } cases[] = {
        {"plain ascii", true},       {"\xc3\xb1", true}, {"\xe2\x82\xac", true},
        {"\xf0\x9f\x8e\xb5", true},  {"\xff", false},    {"\xc3", false}, // truncated at the end
        {"\xe2\x82", false},                                              // truncated at the end
        {"\xc0\xaf", false},                                              // overlong
        {"\xed\xa0\x80", false},                                          // surrogate
        {"\xf4\x90\x80\x80", false},                                      // beyond U+10FFFF
        {"a\x80z", false},                                                // stray continuation byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(isValidUtf8(c.bytes.data(), c.bytes.size()), c.valid)
            << juce::String::toHexString(c.bytes.data(), int(c.bytes.size()));
}
} // namespace
