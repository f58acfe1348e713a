#include "editor/controls/StripButtons.h"

#include "editor/controls/Localisation.h"
#include "editor/controls/Palette.h"

#include <algorithm>

PadlockButton::PadlockButton(juce::Colour accentColour) : juce::Button("padlock"), accent(accentColour)
{
    setClickingTogglesState(true);
}

void PadlockButton::paintButton(juce::Graphics& g, bool highlighted, bool down)
{
    const float w = std::max(static_cast<float>(getWidth()) - 1.0f, 0.0f);
    const float h = std::max(static_cast<float>(getHeight()) - 1.0f, 0.0f);
    const bool locked = getToggleState();

    auto background = locked ? accent : Palette::raised;
    if (down)
        background = background.brighter(0.15f);
    else if (highlighted)
        background = background.brighter(0.08f);
    g.setColour(background);
    g.fillRoundedRectangle(0.5f, 0.5f, w, h, 5.0f);

    const float cx = w / 2.0f + 0.5f;
    const float cy = h / 2.0f + 0.5f;
    const float v = 0.62f * std::min(w, h);
    const auto icon = locked ? Palette::window : Palette::text.withAlpha(highlighted ? 0.95f : 0.7f);
    const float lift = locked ? 0.0f : 0.2f * v;
    const float bodyTop = cy - 0.02f * v;

    // Shackle: up the left side, over the top, and down the right side (only part way when open).
    const float e = bodyTop - 0.16f * v - lift;
    juce::Path shackle;
    shackle.startNewSubPath(cx - 0.27f * v, bodyTop - lift);
    shackle.lineTo(cx - 0.27f * v, e);
    shackle.addCentredArc(cx, e, 0.27f * v, 0.27f * v, 0.0f, -juce::MathConstants<float>::halfPi,
                          juce::MathConstants<float>::halfPi, false);
    shackle.lineTo(cx + 0.27f * v, locked ? bodyTop : e + 0.12f * v);
    g.setColour(icon);
    g.strokePath(shackle, juce::PathStrokeType(std::max(0.12f * v, 1.6f), juce::PathStrokeType::curved,
                                               juce::PathStrokeType::rounded));

    g.fillRoundedRectangle(cx - 0.42f * v, bodyTop, 0.84f * v, 0.58f * v, 2.0f);
    g.setColour(locked ? background : Palette::raised);
    g.fillEllipse(cx - 0.06f * v, bodyTop + 0.2f * v, 0.12f * v, 0.12f * v);
}

AddSlotButton::AddSlotButton() : juce::Button("add slot") {}

void AddSlotButton::paintButton(juce::Graphics& g, bool highlighted, bool down)
{
    const float w = std::max(static_cast<float>(getWidth()) - 8.0f, 0.0f);
    const float h = std::max(static_cast<float>(getHeight()) - 8.0f, 0.0f);

    g.setColour(highlighted ? Palette::panel.brighter(0.06f)
                            : Palette::panel.withAlpha(static_cast<juce::uint8>(140)));
    g.fillRoundedRectangle(4.0f, 4.0f, w, h, 6.0f);

    const auto colour = highlighted ? Palette::gold : Palette::textDim;
    juce::Path outline;
    outline.addRoundedRectangle(4.0f, 4.0f, w, h, 6.0f);
    juce::Path dashed;
    const float dashes[] = {6.0f, 4.0f};
    juce::PathStrokeType(1.2f).createDashedStroke(dashed, outline, dashes, 2);
    g.setColour(colour);
    g.fillPath(dashed);

    const float px = w / 2.0f + 4.0f;
    const float py = h / 2.0f - 4.0f;
    const float half = down ? 13.0f : 15.0f;
    g.drawLine(px - half, py, px + half, py, 3.0f);
    g.drawLine(px, py - half, px, py + half, 3.0f);

    g.setFont(boldFont(11.0f));
    g.drawText(tr(juce::String::fromUTF8("AÑADIR ARMÓNICO"), "ADD HARMONIC"),
               juce::Rectangle<float>(4.0f, py + half + 8.0f, w, 14.0f), juce::Justification::centred, true);
}
