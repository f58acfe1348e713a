#include "editor/controls/Palette.h"

#include <array>

namespace
{
constexpr std::array<juce::uint32, 8> kBandBaseColours{0xFFE2B65C, 0xFFC98A4B, 0xFFD9C79A, 0xFFB07A52,
                                                       0xFFF0DFB4, 0xFFCF7A4E, 0xFFB3A27A, 0xFFE0A878};
} // namespace

juce::Colour bandColour(int slot)
{
    const juce::Colour base{kBandBaseColours[static_cast<size_t>(slot & 7)]};
    if (slot < 8)
        return base;
    return base.brighter(0.3f).withMultipliedSaturation(0.8f);
}

namespace
{
juce::Font sansSerif(const char* style, float height)
{
#if JUCE_MAJOR_VERSION >= 8
    return juce::Font(juce::FontOptions(juce::Font::getDefaultSansSerifFontName(), style, height));
#else
    return juce::Font(juce::Font::getDefaultSansSerifFontName(), style, height);
#endif
}
} // namespace

juce::Font boldFont(float height)
{
    return sansSerif("Bold", height);
}

juce::Font plainFont(float height)
{
    return sansSerif("Regular", height);
}
