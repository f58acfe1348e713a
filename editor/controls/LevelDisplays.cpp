#include "editor/controls/LevelDisplays.h"

#include "editor/controls/Palette.h"
#include "engine/PluginProcessor.h"

DetectorBar::DetectorBar(const VezovevaDirADAudioProcessor& processorToShow,
                         const std::atomic<float>* gateValue)
    : processor(processorToShow), gate(gateValue)
{
}

void DetectorBar::paint(juce::Graphics& g)
{
    g.setColour(Palette::raised);
    g.fillRoundedRectangle(getLocalBounds().toFloat(), 3.0f);
}

MeterComponent::MeterComponent(const VezovevaDirADAudioProcessor& processorToShow)
    : processor(processorToShow)
{
    setOpaque(true);
}

void MeterComponent::paint(juce::Graphics& g)
{
    fillOpaquePanel(g, getLocalBounds().toFloat(), 6.0f, Palette::panel);
}
