#include "engine/parameters/ParameterText.h"

#include <gtest/gtest.h>

namespace
{
using TextFunction = juce::String (*)(float, int);

struct TextCase
{
    const char* function;
    TextFunction toText;
    float value;
    const char* expected;
};

const TextCase kTextCases[] = {
    {"percentText", ParameterText::percentText, 100.0f, "100 %"},
    {"percentText", ParameterText::percentText, 15.3f, "15.3 %"},
    {"percentText", ParameterText::percentText, 4.0f, "4 %"},
    {"decibelText", ParameterText::decibelText, -30.0f, "-30.0 dB"},
    {"decibelText", ParameterText::decibelText, 6.04f, "6.0 dB"},
    {"decibelText", ParameterText::decibelText, -0.04f, "0.0 dB"},
    {"millisecondText", ParameterText::millisecondText, 150.0f, "150.0 ms"},
    {"millisecondText", ParameterText::millisecondText, 0.1f, "0.1 ms"},
    {"ratioText", ParameterText::ratioText, 4.0f, "4.0:1"},
    {"ratioText", ParameterText::ratioText, 20.0f, "20.0:1"},
    {"multipleText", ParameterText::multipleText, 2.0f,
     "\xc3\x97"
     "2.00"},
    {"multipleText", ParameterText::multipleText, 0.25f,
     "\xc3\x97"
     "0.25"},
    {"hertzText", ParameterText::hertzText, 5000.0f, "5.00 kHz"},
    {"hertzText", ParameterText::hertzText, 1000.0f, "1.00 kHz"},
    {"hertzText", ParameterText::hertzText, 999.5f, "999.5 Hz"},
    {"hertzText", ParameterText::hertzText, 220.0f, "220 Hz"},
    {"hertzText", ParameterText::hertzText, 20.0f, "20 Hz"},
    {"hertzText", ParameterText::hertzText, 1234.56f, "1.23 kHz"},
    {"gateText", ParameterText::gateText, -80.0f, "OFF"},
    {"gateText", ParameterText::gateText, -79.9f, "OFF"},
    {"gateText", ParameterText::gateText, -79.8f, "-79.8 dB"},
    {"gateText", ParameterText::gateText, -40.0f, "-40.0 dB"},
};

TEST(ParameterText, FormatsValuesExactly)
{
    for (const auto& c : kTextCases)
        EXPECT_EQ(c.toText(c.value, 0), juce::String(juce::CharPointer_UTF8(c.expected)))
            << c.function << "(" << c.value << ")";
}

TEST(ParameterText, HertzFromTextReadsLeadingNumberAndLowerCaseKilo)
{
    const struct
    {
        const char* text;
        float expected;
    } cases[] = {
        {"2.5 kHz", 2500.0f}, {"440", 440.0f},       {"1.2k", 1200.0f}, {"1.2 KHz", 1.2f},
        {"  880 Hz", 880.0f}, {"5.00 kHz", 5000.0f}, {"abc", 0.0f},     {"", 0.0f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(ParameterText::hertzFromText(c.text), c.expected) << '"' << c.text << '"';
}

} // namespace
