// The frequency graph with its analyser. For now the place it will fill: the panel and the callbacks the
// editor installs.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class VezovevaDirADAudioProcessor;

class GraphComponent : public juce::Component
{
public:
    explicit GraphComponent(VezovevaDirADAudioProcessor& processor);

    std::function<void(int slot)> onBandSelected;
    std::function<void(int slot)> onBandMenu;

    void setSelectedBand(int slot);
    // The editor's per-tick update: recompute what changed and repaint.
    void timerTick();

    void paint(juce::Graphics& g) override;

private:
    VezovevaDirADAudioProcessor& processor;
    int selectedBand = 0;
};
