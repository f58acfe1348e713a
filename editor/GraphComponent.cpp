#include "editor/GraphComponent.h"

#include "editor/controls/Palette.h"
#include "engine/PluginProcessor.h"

#include <algorithm>

GraphComponent::GraphComponent(VezovevaDirADAudioProcessor& processorToShow) : processor(processorToShow)
{
    // It paints every pixel, so the window need not paint behind it.
    setOpaque(true);
}

void GraphComponent::setSelectedBand(int slot)
{
    selectedBand = std::clamp(slot, 0, kNumBands - 1);
}

void GraphComponent::timerTick() {}

void GraphComponent::paint(juce::Graphics& g)
{
    fillOpaquePanel(g, getLocalBounds().toFloat(), 6.0f, Palette::panel);
}
