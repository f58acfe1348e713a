#include "editor/controls/BandText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
constexpr float kMinMultiplier = 0.25f;
constexpr float kMaxMultiplier = 256.0f;

const juce::String& timesSign()
{
    static const juce::String sign = juce::String::fromUTF8("\xc3\x97");
    return sign;
}
} // namespace

juce::String formatMultiplier(float multiplier)
{
    const float harmonic = std::round(multiplier);
    if (multiplier >= 1.0f && std::abs(multiplier - harmonic) < 0.005f)
        return "H" + juce::String(static_cast<long long>(harmonic));
    return timesSign() + juce::String(multiplier, 2);
}

juce::String formatFrequency(double hz)
{
    if (hz >= 1000.0)
        return juce::String(hz / 1000.0, 2) + " kHz";
    char text[32];
    std::snprintf(text, sizeof(text), "%.6g", hz);
    for (char* c = text; *c != 0; ++c) // a host may have set a C locale that writes a decimal comma
        if (*c == ',')
            *c = '.';
    return juce::String(text) + " Hz";
}

std::optional<float> parseMultiplier(const juce::String& typed)
{
    const auto cleaned = typed.trim().replace(timesSign(), "").removeCharacters("HhxX");
    // getDoubleValue reads the leading number the same way in every locale, and gives 0 when there is none.
    const double value = cleaned.getDoubleValue();
    if (!(value > 0.0))
        return std::nullopt;
    return static_cast<float>(
        std::clamp(value, static_cast<double>(kMinMultiplier), static_cast<double>(kMaxMultiplier)));
}
