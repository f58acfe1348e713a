#include "editor/controls/EqLookAndFeel.h"

#include "editor/controls/Palette.h"

#include <algorithm>
#include <cmath>

namespace
{
bool isEnabledWithParents(const juce::Component& component)
{
    // isEnabled() is false when the component or any parent is disabled.
    return component.isEnabled();
}
} // namespace

EqLookAndFeel::EqLookAndFeel()
{
    setColour(juce::Slider::textBoxTextColourId, Palette::text);
    setColour(juce::Slider::textBoxOutlineColourId, juce::Colours::transparentBlack);
    setColour(juce::Slider::textBoxBackgroundColourId, juce::Colours::transparentBlack);
    setColour(juce::Label::textColourId, Palette::text);
    setColour(juce::TextButton::textColourOnId, Palette::window);
    setColour(juce::TextButton::textColourOffId, Palette::text);
    setColour(juce::PopupMenu::backgroundColourId, Palette::panel);
    setColour(juce::PopupMenu::textColourId, Palette::text);
    setColour(juce::PopupMenu::highlightedBackgroundColourId, Palette::gold.darker(0.4f));
    setColour(juce::PopupMenu::highlightedTextColourId, Palette::white);
    setColour(juce::TextEditor::backgroundColourId, Palette::raised);
    setColour(juce::TextEditor::textColourId, Palette::text);
}

void EqLookAndFeel::drawButtonBackground(juce::Graphics& g, juce::Button& button, const juce::Colour&,
                                         bool highlighted, bool down)
{
    // findColour looks on the button first, then falls back to this look-and-feel's value.
    auto base =
        button.getToggleState() ? button.findColour(juce::TextButton::buttonOnColourId) : Palette::raised;
    if (down)
        base = base.brighter(0.15f);
    else if (highlighted)
        base = base.brighter(0.08f);

    const auto w = static_cast<float>(std::max(button.getWidth() - 1, 0));
    const auto h = static_cast<float>(std::max(button.getHeight() - 1, 0));
    g.setColour(base);
    g.fillRoundedRectangle(0.5f, 0.5f, w, h, 5.0f);
}

juce::Font EqLookAndFeel::getTextButtonFont(juce::TextButton&, int buttonHeight)
{
    return boldFont(std::min(12.0f, 0.55f * static_cast<float>(buttonHeight)));
}

void EqLookAndFeel::drawLabel(juce::Graphics& g, juce::Label& label)
{
    const auto w = static_cast<float>(label.getWidth());
    const auto h = static_cast<float>(label.getHeight());

    const auto background = label.findColour(juce::Label::backgroundColourId);
    if (!background.isTransparent())
    {
        g.setColour(background);
        g.fillRoundedRectangle(1.0f, 0.0f, std::max(w - 2.0f, 0.0f), std::max(h, 0.0f), h * 0.5f);
    }

    if (label.isBeingEdited())
    {
        g.setColour(label.findColour(juce::Label::outlineWhenEditingColourId));
        g.drawRoundedRectangle(1.0f, 0.5f, std::max(w - 2.0f, 0.0f), std::max(h - 1.0f, 0.0f), h * 0.5f,
                               1.0f);
        return;
    }

    const float alpha = isEnabledWithParents(label) ? 1.0f : 0.4f;
    g.setColour(label.findColour(juce::Label::textColourId).withMultipliedAlpha(alpha));
    g.setFont(getLabelFont(label));
    const auto area = label.getBorderSize().subtractedFrom(label.getLocalBounds());
    g.drawFittedText(label.getText(), area, label.getJustificationType(), 1, 1.0f);
}

juce::Rectangle<float> rotaryKnobFace(juce::Rectangle<int> knobArea)
{
    const auto bounds = knobArea.reduced(3).toFloat();
    const float diameter = std::min(bounds.getWidth(), bounds.getHeight());
    return juce::Rectangle<float>(diameter, diameter).withCentre(bounds.getCentre());
}

void EqLookAndFeel::drawRotarySlider(juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                     float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider)
{
    const auto face = rotaryKnobFace({x, y, width, height});
    const float cx = face.getCentreX();
    const float cy = face.getCentreY();
    const float radius = face.getWidth() / 2.0f;
    const float toAngle = rotaryStartAngle + sliderPos * (rotaryEndAngle - rotaryStartAngle);

    const bool enabled = isEnabledWithParents(slider);
    const float alpha = enabled ? 1.0f : 0.3f;
    const bool hover = enabled && (slider.isMouseOverOrDragging());
    const auto fill = slider.findColour(juce::Slider::rotarySliderFillColourId).withMultipliedAlpha(alpha);
    const juce::PathStrokeType stroke(2.5f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);
    const float arcRadius = std::max(radius - 1.5f, 0.0f);

    juce::Path track;
    track.addCentredArc(cx, cy, arcRadius, arcRadius, 0.0f, rotaryStartAngle, rotaryEndAngle, true);
    g.setColour(Palette::raised.brighter(0.05f));
    g.strokePath(track, stroke);

    // Bipolar knobs draw their value from zero.
    float arcStart = rotaryStartAngle;
    if (slider.getMinimum() < 0.0 && slider.getMaximum() > 0.0)
        arcStart = rotaryStartAngle + static_cast<float>(slider.valueToProportionOfLength(0.0)) *
                                          (rotaryEndAngle - rotaryStartAngle);
    if (std::abs(toAngle - arcStart) > 0.01f)
    {
        juce::Path value;
        value.addCentredArc(cx, cy, arcRadius, arcRadius, 0.0f, std::min(toAngle, arcStart),
                            std::max(toAngle, arcStart), true);
        g.setColour(fill);
        g.strokePath(value, stroke);
    }

    const float r = radius - 7.0f;
    if (r <= 0.0f)
        return;
    const float d = 2.0f * r;
    const float kx = cx - r;
    const float ky = cy - r;

    g.setColour(Palette::black.withAlpha(0.35f * alpha));
    g.fillEllipse(kx - 1.0f, ky + 1.0f, d + 2.0f, d + 2.0f);

    const auto top = juce::Colour(hover ? 0xFF433C32 : 0xFF38322A).withAlpha(alpha);
    const auto bottom = juce::Colour(0xFF1D1A16).withAlpha(alpha);
    g.setGradientFill(juce::ColourGradient(top, cx, ky, bottom, cx, ky + d, false));
    g.fillEllipse(kx, ky, d, d);

    g.setColour(Palette::white.withAlpha(0.07f * alpha));
    g.drawEllipse(kx + 0.5f, ky + 0.5f, std::max(d - 1.0f, 0.0f), std::max(d - 1.0f, 0.0f), 1.0f);

    g.setColour(Palette::text.withMultipliedAlpha(alpha));
    const float s = std::sin(toAngle);
    const float c = std::cos(toAngle);
    g.drawLine(cx + 0.3f * r * s, cy - 0.3f * r * c, cx + 0.85f * r * s, cy - 0.85f * r * c, 2.0f);
}

juce::Label* EqLookAndFeel::createSliderTextBox(juce::Slider& slider)
{
    auto* box = LookAndFeel_V4::createSliderTextBox(slider);
    box->setColour(juce::Label::outlineColourId, juce::Colours::transparentBlack);
    box->setColour(juce::Label::outlineWhenEditingColourId, Palette::gold.withAlpha(0.6f));
    box->setColour(juce::Label::backgroundColourId, Palette::raised);
    box->setColour(juce::Label::textColourId, Palette::text);
    box->setFont(plainFont(11.5f));
    return box;
}
