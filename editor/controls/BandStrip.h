// One band slot's strip. For now the place it will fill: its panel in the band's colour, selection and the
// callbacks the editor installs.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class VezovevaDirADAudioProcessor;

class BandStrip : public juce::Component
{
public:
    BandStrip(int slot, VezovevaDirADAudioProcessor& processor);

    std::function<void(int slot)> onSelect;
    std::function<void(int slot)> onRemove;
    std::function<void(int slot, juce::Component& anchor)> onMenu;

    int getSlot() const noexcept { return slot; }
    bool isSelected() const noexcept { return selected; }
    void setSelected(bool shouldBeSelected);

    // The editor's per-tick refresh, for visible and hidden strips alike.
    void refresh();

    void paint(juce::Graphics& g) override;
    void mouseDown(const juce::MouseEvent& event) override;

private:
    bool selected = false;
    int slot = 0;
    VezovevaDirADAudioProcessor& processor;
};
