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

TEST(StoredDataRegression, RepeatedAttributesSaveWhatTheyLoaded)
{
    // One damaged element reads <PARAM id="gate" value="-64.2" id="soft_clip" value="0.0"/>: the first
    // copy of each attribute counts when loading, and must be what a save writes back.
    juce::MemoryBlock blob;
    ASSERT_TRUE(regressions.getChildFile("state-repeated-attributes.bin").loadFileAsData(blob));
    VezovevaDirADAudioProcessor loaded;
    ASSERT_TRUE(loaded.restoreState(blob.getData(), static_cast<int>(blob.getSize())));
    EXPECT_NEAR(loaded.parameters.getParameter("gate")->convertFrom0to1(
                    loaded.parameters.getParameter("gate")->getValue()),
                -64.2f, 1.0e-3f);

    juce::MemoryBlock saved;
    loaded.getStateInformation(saved);
    VezovevaDirADAudioProcessor restored;
    ASSERT_TRUE(restored.restoreState(saved.getData(), static_cast<int>(saved.getSize())));
    EXPECT_EQ(normalisedValues(restored), normalisedValues(loaded));

    // The same for the state's own attributes: a state blob (magic, length, text) naming two presets.
    const std::string text = "<STATE presetName=\"first\" presetName=\"second\"/>";
    juce::MemoryOutputStream repeated;
    repeated.writeInt(0x21324356);
    repeated.writeInt(static_cast<int>(text.size() + 1));
    repeated.write(text.c_str(), text.size() + 1);
    ASSERT_TRUE(loaded.restoreState(repeated.getData(), static_cast<int>(repeated.getDataSize())));
    ASSERT_EQ(loaded.getPresetName(), "first");
    loaded.getStateInformation(saved);
    ASSERT_TRUE(restored.restoreState(saved.getData(), static_cast<int>(saved.getSize())));
    EXPECT_EQ(restored.getPresetName(), "first");
}

TEST(StoredDataRegression, DamagedElementsAndNumbersSaveWhatTheyLoaded)
{
    // An element of another type carrying a parameter's id (<PARb3_attackAM id="b10_knee" value="elease"/>)
    // took the parameter over; a value with a seventeen-digit exponent ("3E799999952316284") overflowed the
    // number reader. Each loads, and what it loaded comes back the same from a save and a restore.
    const struct
    {
        const char* file;
        bool isState;
    } cases[] = {{"state-foreign-element-with-parameter-id.bin", true},
                 {"preset-huge-exponent.opreset", false}};
    for (const auto& c : cases)
    {
        juce::MemoryBlock data;
        ASSERT_TRUE(regressions.getChildFile(c.file).loadFileAsData(data)) << c.file;
        VezovevaDirADAudioProcessor loaded;
        ASSERT_TRUE(c.isState ? loaded.restoreState(data.getData(), static_cast<int>(data.getSize()))
                              : loaded.loadPresetData(data.getData(), data.getSize(), "damaged"))
            << c.file;
        juce::MemoryBlock saved;
        loaded.getStateInformation(saved);
        VezovevaDirADAudioProcessor restored;
        ASSERT_TRUE(restored.restoreState(saved.getData(), static_cast<int>(saved.getSize())));
        const auto before = normalisedValues(loaded), after = normalisedValues(restored);
        ASSERT_EQ(before.size(), after.size());
        for (size_t i = 0; i < before.size(); ++i)
            EXPECT_NEAR(after[i], before[i], 1.0e-6f)
                << c.file << " " << loaded.getParameters()[int(i)]->getName(100);
    }
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
