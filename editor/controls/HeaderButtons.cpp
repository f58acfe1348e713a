#include "editor/controls/HeaderButtons.h"

#include "editor/controls/Palette.h"

#include <algorithm>
#include <cmath>

TitleButton::TitleButton() : juce::Button("title") {}

void TitleButton::paintButton(juce::Graphics& g, bool highlighted, bool down)
{
    if (!highlighted && !down)
        return;
    const float w = static_cast<float>(getWidth());
    const float h = static_cast<float>(getHeight());
    g.setColour(Palette::white.withAlpha(down ? 0.08f : 0.04f));
    g.fillRoundedRectangle(0.0f, 0.0f, w, h, 3.0f);
    g.setColour(Palette::text.withAlpha(static_cast<juce::uint8>(0x99)));
    g.fillRect(4.0f, h - 2.0f, std::max(w - 8.0f, 0.0f), 2.0f);
}

BulbButton::BulbButton() : juce::Button("bulb")
{
    setClickingTogglesState(true);
}

void BulbButton::paintButton(juce::Graphics& g, bool highlighted, bool)
{
    const float w = std::max(static_cast<float>(getWidth()) - 1.0f, 0.0f);
    const float h = std::max(static_cast<float>(getHeight()) - 1.0f, 0.0f);
    const float cx = w / 2.0f + 0.5f;
    const float cy = h / 2.0f + 0.5f;
    const float r = std::min(w, h) / 2.0f;
    const bool on = getToggleState();

    g.setColour(highlighted ? Palette::raised.brighter(0.08f) : Palette::raised);
    g.fillRoundedRectangle(0.5f, 0.5f, w, h, 5.0f);
    if (on)
    {
        g.setColour(Palette::orange.withAlpha(static_cast<juce::uint8>(0x99)));
        g.drawRoundedRectangle(0.5f, 0.5f, w, h, 5.0f, 1.0f);
    }

    const auto bulb = on ? Palette::orange : Palette::textDim;
    // The icon (rays' tips 1.45 units above its centre, the base's foot 0.94 below) is sized and centred
    // to fit inside the button with a pixel to spare, so the rays are never clipped away: at the header's
    // 30 x 28 a bulb drawn to the button's half-height would put them outside it.
    constexpr float kAbove = 1.45f, kBelow = 0.94f;
    const float u = std::max(std::min(r, (h - 2.0f) / (kAbove + kBelow)), 0.0f);
    const float iy = 0.5f + (h - (kAbove + kBelow) * u) / 2.0f + kAbove * u;
    const float bx = cx;
    const float by = iy - 0.15f * u;
    const float glass = 0.62f * u;

    if (on)
    {
        g.setColour(Palette::orange.withAlpha(static_cast<juce::uint8>(0xCC)));
        for (int i = -2; i <= 2; ++i)
        {
            const float a = 0.62f * static_cast<float>(i);
            g.drawLine(bx + std::sin(a) * 0.95f * u, by - std::cos(a) * 0.95f * u,
                       bx + std::sin(a) * 1.3f * u, by - std::cos(a) * 1.3f * u, 1.3f);
        }
    }

    g.setColour(on ? bulb : bulb.withAlpha(0.0f));
    g.fillEllipse(bx - glass, by - glass, 2.0f * glass, 2.0f * glass);
    g.setColour(bulb);
    g.drawEllipse(bx - glass, by - glass, 2.0f * glass, 2.0f * glass, 1.6f);

    g.fillRoundedRectangle(cx - 0.34f * u, iy + 0.5f * u, 0.68f * u, 0.22f * u, 1.5f);
    g.fillRoundedRectangle(cx - 0.22f * u, iy + 0.78f * u, 0.44f * u, 0.16f * u, 1.5f);

    if (!on)
    {
        g.setColour(Palette::red.withAlpha(static_cast<juce::uint8>(0xD9)));
        g.drawLine(cx - 0.9f * r, cy + 0.9f * r, cx + 0.9f * r, cy - r, 1.8f);
    }
}
