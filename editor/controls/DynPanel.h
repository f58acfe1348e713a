// The selected band's dynamics settings, sliding up over the graph while the band is dynamic. For now the
// place it will fill.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class VezovevaDirADAudioProcessor;

class DynPanel : public juce::Component
{
public:
    explicit DynPanel(VezovevaDirADAudioProcessor& processor);

    void setBand(int slot);
    void refresh();
    void paint(juce::Graphics& g) override;

private:
    VezovevaDirADAudioProcessor& processor;
    int band = 0;
};
