#include "editor/controls/DynPanel.h"

#include "editor/controls/Palette.h"
#include "engine/PluginProcessor.h"

#include <algorithm>

DynPanel::DynPanel(VezovevaDirADAudioProcessor& processorToEdit) : processor(processorToEdit) {}

void DynPanel::setBand(int slot)
{
    band = std::clamp(slot, 0, kNumBands - 1);
    repaint();
}

void DynPanel::refresh() {}

void DynPanel::paint(juce::Graphics& g)
{
    const auto area = getLocalBounds().toFloat();
    fillPanel(g, area, 6.0f, Palette::panel.brighter(0.04f));
    g.setColour(bandColour(band).withAlpha(0.6f));
    g.drawRoundedRectangle(area.reduced(0.5f), 6.0f, 1.0f);
}
