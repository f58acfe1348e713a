#include "editor/controls/BandStrip.h"

#include "editor/controls/Palette.h"
#include "engine/PluginProcessor.h"

#include <algorithm>

BandStrip::BandStrip(int slotIndex, VezovevaDirADAudioProcessor& processorToEdit)
    : slot(std::clamp(slotIndex, 0, kNumBands - 1)), processor(processorToEdit)
{
}

void BandStrip::setSelected(bool shouldBeSelected)
{
    if (selected == shouldBeSelected)
        return;
    selected = shouldBeSelected;
    repaint();
}

void BandStrip::refresh() {}

void BandStrip::paint(juce::Graphics& g)
{
    const auto area = getLocalBounds().toFloat().reduced(3.0f);
    fillPanel(g, area, 6.0f, Palette::panel);
    g.setColour(bandColour(slot).withAlpha(selected ? 1.0f : 0.35f));
    g.drawRoundedRectangle(area, 6.0f, selected ? 1.5f : 1.0f);
    g.setFont(boldFont(17.0f));
    g.drawText("H" + juce::String(slot + 1), area.withHeight(30.0f).withY(area.getY() + 6.0f),
               juce::Justification::centred);
}

void BandStrip::mouseDown(const juce::MouseEvent&)
{
    if (onSelect)
        onSelect(slot);
}
