#include "editor/controls/MeterComponent.h"

#include "editor/controls/Palette.h"

#include <algorithm>
#include <cmath>

MeterComponent::MeterComponent()
{
    setOpaque(true);
}

MeterComponent::Geometry MeterComponent::geometry() const
{
    const float w = static_cast<float>(getWidth());
    const float h = static_cast<float>(getHeight());
    Geometry geo;
    const float innerWidth = std::max(w - 12.0f, 0.0f);
    const float innerHeight = std::max(h - 12.0f, 0.0f);
    geo.labelWidth = std::min(innerWidth, 24.0f);
    geo.labelHeight = std::min(innerHeight, 14.0f);
    geo.meter = {geo.labelWidth + 6.0f, geo.labelHeight + 6.0f, innerWidth - geo.labelWidth,
                 std::max(innerHeight - geo.labelHeight - 2.0f, 0.0f)};
    geo.barWidth = std::max((geo.meter.getWidth() - 9.0f) * 0.25f, 0.0f);
    return geo;
}

void MeterComponent::resized()
{
    cached = geometry();
    const auto& a = cached.meter;
    // Green up to -14 dB, orange at -3 dB, red at 0 dB.
    barGradient =
        juce::ColourGradient(Palette::red, 0.0f, a.getY(), Palette::green, 0.0f, a.getBottom(), false);
    barGradient.addColour(3.0 / 70.0, Palette::orange);
    barGradient.addColour(0.2, Palette::green);
}

float MeterComponent::yForDecibels(float db) const
{
    const auto& a = cached.meter;
    return a.getBottom() - a.getHeight() * std::clamp((db + 70.0f) / 70.0f, 0.0f, 1.0f);
}

juce::Rectangle<float> MeterComponent::clipLampArea() const
{
    const auto& a = cached.meter;
    const float bw = cached.barWidth;
    return {a.getX() + 2.0f * bw + 6.0f, a.getY() - 5.0f, 2.0f * bw + 3.0f, 4.0f};
}

void MeterComponent::paint(juce::Graphics& g)
{
    fillOpaquePanel(g, getLocalBounds().toFloat(), 6.0f, Palette::panel);
    const auto& a = cached.meter;
    const float bw = cached.barWidth;

    // The captions end where the clip lamp begins, so the lamp never covers the "OUT" glyphs.
    const float captionHeight = std::max(clipLampArea().getY() - 6.0f, 0.0f);
    g.setFont(plainFont(9.0f));
    g.setColour(Palette::textDim);
    g.drawText("IN", juce::Rectangle<float>(a.getX() + bw + 1.5f - 15.0f, 6.0f, 30.0f, captionHeight),
               juce::Justification::centred, false);
    g.drawText("OUT", juce::Rectangle<float>(a.getX() + 3.0f * bw + 7.5f - 15.0f, 6.0f, 30.0f, captionHeight),
               juce::Justification::centred, false);

    for (const int db : {0, -6, -12, -24, -36, -48, -60})
    {
        const int y = static_cast<int>(yForDecibels(static_cast<float>(db)));
        g.setColour(Palette::grid);
        g.fillRect(juce::Rectangle<float>(a.getX() - 3.0f, static_cast<float>(y),
                                          a.getRight() - a.getX() + 3.0f, 1.0f));
        g.setColour(Palette::textDim);
        g.drawText(
            juce::String(db),
            juce::Rectangle<float>(6.0f, static_cast<float>(y) - 6.0f, cached.labelWidth - 4.0f, 12.0f),
            juce::Justification::centredRight, true);
    }

    const auto decibels = [](float linear)
    { return linear > 0.0f ? std::max(20.0f * std::log10(linear), -100.0f) : -100.0f; };
    const std::array<float, 4> fast{fastIn[0], fastIn[1], fastOut[0], fastOut[1]};
    const std::array<float, 4> hold{holdIn[0], holdIn[1], holdOut[0], holdOut[1]};
    for (size_t i = 0; i < 4; ++i)
    {
        const float x = a.getX() + static_cast<float>(i) * (bw + 3.0f);
        g.setColour(Palette::window);
        g.fillRect(x, a.getY(), bw, a.getHeight());
        const float top = yForDecibels(decibels(fast[i]));
        if (a.getBottom() - top > 0.0f)
        {
            g.setGradientFill(barGradient);
            g.fillRect(x, top, bw, a.getBottom() - top);
        }
        g.setColour(Palette::text);
        g.fillRect(x, yForDecibels(decibels(hold[i])) - 1.0f, bw, 2.0f);
    }

    g.setColour(clipCounter >= 1 ? Palette::red : Palette::red.withAlpha(static_cast<juce::uint8>(0x26)));
    g.fillRect(clipLampArea());
}
