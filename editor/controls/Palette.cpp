#include "editor/controls/Palette.h"

#include <algorithm>
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

void fillPanel(juce::Graphics& g, juce::Rectangle<float> area, float cornerRadius, juce::Colour colour)
{
    g.setColour(colour);
    const float r = std::min(cornerRadius, std::min(area.getWidth(), area.getHeight()) / 2.0f);
    if (!colour.isOpaque() || r <= 0.0f || area.getHeight() <= 4.0f * r)
    {
        g.fillRoundedRectangle(area, r);
        return;
    }
    // The rounded ends overlap the body with the same opaque colour, so the seams are invisible.
    g.fillRoundedRectangle(area.withHeight(2.0f * r), r);
    g.fillRoundedRectangle(area.withTrimmedTop(area.getHeight() - 2.0f * r), r);
    // An integral rectangle takes the renderer's plain fill, not its anti-aliased edge path.
    const auto body = area.withTrimmedTop(r).withTrimmedBottom(r);
    if (body == body.toNearestInt().toFloat())
        g.fillRect(body.toNearestInt());
    else
        g.fillRect(body);
}

void fillOpaquePanel(juce::Graphics& g, juce::Rectangle<float> area, float cornerRadius, juce::Colour colour)
{
    const float r = std::min(cornerRadius, std::min(area.getWidth(), area.getHeight()) / 2.0f);
    g.setColour(Palette::window);
    for (const auto corner : {area.getTopLeft(), area.getTopRight() - juce::Point<float>(r, 0.0f),
                              area.getBottomLeft() - juce::Point<float>(0.0f, r),
                              area.getBottomRight() - juce::Point<float>(r, r)})
        g.fillRect(juce::Rectangle<float>(corner.x, corner.y, r, r));
    fillPanel(g, area, cornerRadius, colour);
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
