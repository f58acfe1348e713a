// Two small header buttons: the invisible title button (a hover highlight only) and the help bulb, whose
// toggle state switches the tooltips.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class TitleButton : public juce::Button
{
public:
    TitleButton();
    void paintButton(juce::Graphics& g, bool highlighted, bool down) override;
};

class BulbButton : public juce::Button
{
public:
    BulbButton();
    void paintButton(juce::Graphics& g, bool highlighted, bool down) override;
};
