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

bool GraphComponent::sidechainHandleCentre(juce::Point<float>& centre) const noexcept
{
    const auto& band = processor.bandParameters(selectedBand);
    const float bandHz = published.bandFrequency[(size_t)selectedBand];
    if (geo.isEmpty() || !band.add.isOn() || !band.isDynamic() || !(bandHz > 0.0f))
        return false;
    // The band-pass peaks at 0 dB, the high and low passes sit at their -3 dB corner.
    const double peakDb = band.scshape.index(3) != 0 ? -3.0 : 0.0;
    centre = {geo.frequencyToX((double)bandHz * band.detfreq.get()),
              geo.bottom() - geo.height() * 0.42f * (float)((peakDb + 40.0) / 40.0)};
    return true;
}

void GraphComponent::computeNodeGains()
{
    const double scale = processor.globalParameters().scale.get();
    for (int k = 0; k < kNumBands; ++k)
    {
        const auto& band = processor.bandParameters(k);
        int type = band.type.index(vivera::dsp::kBandTypeCount);
        if (type >= vivera::dsp::kBandTransient)
            type = vivera::dsp::kBandBell;
        double db = 0.0;
        if (type == vivera::dsp::kBandHighPass || type == vivera::dsp::kBandLowPass)
            db = band.slope.index(vivera::dsp::kBandSlopeCount) != 0 ? 20.0 * std::log10(band.q.get()) : -3.0;
        else if (type != vivera::dsp::kBandNotch)
            db = std::clamp(scale * 0.01 * band.gain.get(), -72.0, 72.0);
        nodeDb[(size_t)k] = db;
    }
}

void GraphComponent::placeNodes()
{
    for (int k = 0; k < kNumBands; ++k)
    {
        auto& n = nodes[(size_t)k];
        const float hz = published.bandFrequency[(size_t)k];
        n.visible = hz > 0.0f && !geo.isEmpty();
        if (!n.visible)
            continue;
        n.x = std::clamp(geo.frequencyToX(hz), geo.left(), geo.left() + geo.width());
        n.y = std::clamp(geo.gainToY(nodeDb[(size_t)k]), geo.top(), geo.bottom());
    }
}

void GraphComponent::updateFromProcessor(const TelemetrySnapshot& telemetry)
{
    published = telemetry;
    if (geo.isEmpty())
        return;
    computeNodeGains();
    placeNodes();
    repaint();
}

void GraphComponent::resized()
{
    geo.plotArea = GraphGeometry::plotAreaFor((float)getWidth(), (float)getHeight());
    placeNodes();
}

void GraphComponent::paint(juce::Graphics& g)
{
    g.fillAll(Palette::panel);
}
