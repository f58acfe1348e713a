#include "editor/GraphComponent.h"

#include "editor/controls/Palette.h"
#include "engine/PluginProcessor.h"

#include <algorithm>

GraphComponent::GraphComponent(VezovevaDirADAudioProcessor& processorToShow) : processor(processorToShow) {}

void GraphComponent::setSelectedBand(int slot)
{
    selectedBand = std::clamp(slot, 0, kNumBands - 1);
}

void GraphComponent::timerTick() {}

void GraphComponent::paint(juce::Graphics& g)
{
    g.setColour(Palette::panel);
    g.fillRoundedRectangle(getLocalBounds().toFloat(), 6.0f);
}
