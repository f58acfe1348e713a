#include "editor/GraphComponent.h"

#include "editor/controls/Palette.h"
#include "engine/PluginProcessor.h"

#include <algorithm>
#include <cmath>

GraphComponent::GraphComponent(VezovevaDirADAudioProcessor& processorToShow)
    : processor(processorToShow), window((size_t)kFftSize, juce::dsp::WindowingFunction<float>::hann, true)
{
    // It paints every pixel, so the window need not paint behind it.
    setOpaque(true);
    spectrumIn.fill(-120.0f);
    spectrumOut.fill(-120.0f);
}

void GraphComponent::setSelectedBand(int slot)
{
    selectedBand = std::clamp(slot, 0, kNumBands - 1);
}

double GraphComponent::curveFrequency(int j) noexcept
{
    return GraphGeometry::kMinHz * std::pow(GraphGeometry::kDecades, (double)j / (kCurvePoints - 1));
}

bool GraphComponent::sidechainHandleCentre(juce::Point<float>&) const noexcept
{
    return false;
}

void GraphComponent::updateFromProcessor(const TelemetrySnapshot& telemetry)
{
    published = telemetry;
}

void GraphComponent::resized()
{
    geo.plotArea = GraphGeometry::plotAreaFor((float)getWidth(), (float)getHeight());
}

void GraphComponent::paint(juce::Graphics& g)
{
    g.fillAll(Palette::panel);
}
