#include "editor/controls/SegmentedChoice.h"

#include "editor/controls/Palette.h"

#include <algorithm>
#include <cmath>

SegmentedChoice::SegmentedChoice(juce::AudioProcessorValueTreeState& parameterState,
                                 juce::StringArray itemTexts, juce::Colour accentColour)
    : state(parameterState), items(std::move(itemTexts)), accent(accentColour)
{
    setMouseCursor(juce::MouseCursor::PointingHandCursor);
}

void SegmentedChoice::setParameterId(const juce::String& id)
{
    paramId = id;
    repaint();
}

int SegmentedChoice::getSelectedIndex() const
{
    if (paramId.isEmpty())
        return -1;
    const auto* value = state.getRawParameterValue(paramId);
    return value != nullptr ? static_cast<int>(std::lround(value->load())) : -1;
}

int SegmentedChoice::lookKey() const
{
    int key = (getSelectedIndex() & 0x7F) | (isEnabled() ? 0 : 0x80);
    if (canSelect)
        for (int i = 0; i < items.size(); ++i)
            if (!canSelect(i))
                key |= 1 << (8 + i);
    return key;
}

void SegmentedChoice::refresh()
{
    if (lookKey() != paintedKey)
        repaint();
}

void SegmentedChoice::mouseDown(const juce::MouseEvent& event)
{
    const int n = items.size();
    if (n == 0 || paramId.isEmpty() || getWidth() < 1 || !isEnabled())
        return;
    const float segmentWidth = static_cast<float>(getWidth()) / static_cast<float>(n);
    const int index = std::clamp(static_cast<int>(event.position.x / segmentWidth), 0, n - 1);
    if (!isSelectable(index))
        return;
    if (auto* parameter = state.getParameter(paramId))
    {
        parameter->beginChangeGesture();
        parameter->setValueNotifyingHost(parameter->convertTo0to1(static_cast<float>(index)));
        parameter->endChangeGesture();
    }
    repaint();
}

void SegmentedChoice::paint(juce::Graphics& g)
{
    paintedKey = lookKey();
    const float w = std::max(static_cast<float>(getWidth()) - 1.0f, 0.0f);
    const float h = std::max(static_cast<float>(getHeight()) - 1.0f, 0.0f);
    const int n = items.size();
    // A disabled choice (or one inside a disabled parent) fades as a whole.
    const float opacity = isEnabled() ? 1.0f : 0.45f;

    g.setColour(Palette::raised.withMultipliedAlpha(opacity));
    g.fillRoundedRectangle(0.5f, 0.5f, w, h, 4.0f);
    if (n > 0)
    {
        const float s = w / static_cast<float>(n);
        const int selected = getSelectedIndex();
        g.setFont(boldFont(11.0f));
        for (int i = 0; i < n; ++i)
        {
            const float x = static_cast<float>(i) * s + 0.5f;
            if (i == selected)
            {
                g.setColour(accent.withMultipliedAlpha(opacity));
                g.fillRoundedRectangle(x + 1.5f, 2.0f, std::max(s - 3.0f, 0.0f), std::max(h - 3.0f, 0.0f),
                                       3.0f);
            }
            auto colour = i == selected ? Palette::window : Palette::text;
            if (!isSelectable(i))
                colour = colour.withMultipliedAlpha(0.35f);
            g.setColour(colour.withMultipliedAlpha(opacity));
            g.drawText(items[i],
                       juce::Rectangle<int>(juce::roundToInt(x), 0, juce::roundToInt(s), juce::roundToInt(h)),
                       juce::Justification::centred, true);
        }
    }
}
