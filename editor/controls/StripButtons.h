// The padlock (a band's freeze, and the editor's global frequency lock) and the "add harmonic" cell at the
// end of the strip row.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class PadlockButton : public juce::Button
{
public:
    explicit PadlockButton(juce::Colour accentColour);
    void paintButton(juce::Graphics& g, bool highlighted, bool down) override;

private:
    juce::Colour accent;
};

class AddSlotButton : public juce::Button
{
public:
    AddSlotButton();
    void paintButton(juce::Graphics& g, bool highlighted, bool down) override;
};
