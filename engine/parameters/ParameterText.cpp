#include "engine/parameters/ParameterText.h"

#include <cmath>
#include <locale>
#include <sstream>

namespace ParameterText
{
namespace
{
// Fixed decimals without a "-0.0" for values that round to zero.
juce::String fixedDecimals(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0.0)
        rounded = 0.0;
    return juce::String(rounded, decimals);
}
} // namespace

juce::String generalFormat(double value)
{
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    stream.precision(6);
    stream << value;
    return juce::String(stream.str());
}

juce::String percentText(float value, int)
{
    return generalFormat(value) + " %";
}

juce::String decibelText(float value, int)
{
    return fixedDecimals(value, 1) + " dB";
}

juce::String millisecondText(float value, int)
{
    return fixedDecimals(value, 1) + " ms";
}

juce::String ratioText(float value, int)
{
    return fixedDecimals(value, 1) + ":1";
}

juce::String multipleText(float value, int)
{
    return juce::String(juce::CharPointer_UTF8("\xc3\x97")) + fixedDecimals(value, 2);
}

juce::String hertzText(float value, int)
{
    if (value >= 1000.0f)
        return fixedDecimals(value / 1000.0, 2) + " kHz";
    return generalFormat(value) + " Hz";
}

juce::String gateText(float value, int)
{
    if (value <= -79.9f)
        return "OFF";
    return decibelText(value);
}

float hertzFromText(const juce::String& text)
{
    double value = text.getDoubleValue();
    if (!std::isfinite(value))
        return 0.0f;
    if (text.containsChar('k'))
        value *= 1000.0;
    return static_cast<float>(value);
}
} // namespace ParameterText
