// A rotary knob with its caption and a replaceable parameter attachment; while `snapEnabled` says so,
// every drag and typed value lands on the nearest sidechain-frequency step.
#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class SnapSlider : public juce::Slider
{
public:
    // Empty, or returning false: no snapping.
    std::function<bool()> snapEnabled;
    // Shown above the knob; the owner places it and makes it visible.
    juce::Label caption;

    // Attaches to another parameter; the old attachment goes first, so two never drive this knob.
    void attach(juce::AudioProcessorValueTreeState& state, const juce::String& parameterId);

    double snapValue(double attemptedValue, DragMode dragMode) override;
    // While snapping, one notch moves to the neighbouring step in the wheel's direction (the framework's
    // small step would snap straight back to the step it left).
    void mouseWheelMove(const juce::MouseEvent& event, const juce::MouseWheelDetails& wheel) override;
    // Text without a number leaves the value as it is (rather than reading as 0).
    double getValueFromText(const juce::String& text) override;

private:
    std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> attachment;
};
