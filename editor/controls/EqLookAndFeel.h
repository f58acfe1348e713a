// Framework widgets drawn to match the custom ones: pill buttons, pill labels, warm rotary knobs and
// value boxes. Everything else keeps the framework's default dark look.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class EqLookAndFeel : public juce::LookAndFeel_V4
{
public:
    EqLookAndFeel();

    void drawButtonBackground(juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour,
                              bool highlighted, bool down) override;
    juce::Font getTextButtonFont(juce::TextButton& button, int buttonHeight) override;

    void drawLabel(juce::Graphics& g, juce::Label& label) override;

    void drawRotarySlider(juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                          float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider) override;
    juce::Label* createSliderTextBox(juce::Slider& slider) override;
};

// The round face a rotary knob is drawn in, within the area its look and feel gives the knob (without the
// value box), so neighbours can be placed beside it rather than on its arc.
juce::Rectangle<float> rotaryKnobFace(juce::Rectangle<int> knobArea);
