#include "editor/controls/SnapSlider.h"

#include "editor/controls/ScRatio.h"

#include <algorithm>
#include <cmath>

void SnapSlider::attach(juce::AudioProcessorValueTreeState& state, const juce::String& parameterId)
{
    attachment.reset();
    if (state.getParameter(parameterId) != nullptr)
        attachment =
            std::make_unique<juce::AudioProcessorValueTreeState::SliderAttachment>(state, parameterId, *this);
}

double SnapSlider::snapValue(double attemptedValue, DragMode)
{
    if (snapEnabled && snapEnabled())
        return nearestScRatio(static_cast<float>(std::max(attemptedValue, 0.01)));
    return attemptedValue;
}

void SnapSlider::mouseWheelMove(const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel)
{
    if (!(snapEnabled && snapEnabled()) || !isEnabled() || !isScrollWheelEnabled() || wheel.isInertial)
    {
        juce::Slider::mouseWheelMove(event, wheel);
        return;
    }
    // The framework's reading of a notch: vertical unless mostly horizontal, flipped for reversed wheels.
    const float delta = (std::abs(wheel.deltaX) > std::abs(wheel.deltaY) ? -wheel.deltaX : wheel.deltaY) *
                        (wheel.isReversed ? -1.0f : 1.0f);
    if (delta == 0.0f)
        return;
    const float next = nextScRatio(static_cast<float>(getValue()), delta > 0.0f ? 1 : -1);
    if (event.mods.isAnyMouseButtonDown())
        return;
    // One notch is one gesture, as the framework's own wheel step is.
    const ScopedDragNotification drag(*this);
    setValue(next, juce::sendNotificationSync);
}

double SnapSlider::getValueFromText(const juce::String& text)
{
    // Skip a leading unit sign such as the "×" of a multiple; what follows must hold a digit.
    const auto numeric =
        text.trimStart().substring(std::max(0, text.trimStart().indexOfAnyOf("0123456789.,+-")));
    if (!numeric.containsAnyOf("0123456789"))
        return getValue();
    const double value = juce::Slider::getValueFromText(numeric);
    return std::isfinite(value) ? value : getValue();
}
