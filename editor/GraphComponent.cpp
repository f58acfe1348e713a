#include "editor/GraphComponent.h"

#include "editor/GraphAnalyser.h"
#include "editor/controls/Palette.h"
#include "engine/PluginProcessor.h"

#include <algorithm>
#include <cmath>

GraphComponent::GraphComponent(VezovevaDirADAudioProcessor& processorToShow)
    : processor(processorToShow), window((size_t)kFftSize, juce::dsp::WindowingFunction<float>::hann, true)
{
    // It paints every pixel, so the window need not paint behind it.
    setOpaque(true);
    spectrumIn.fill(graph_analyser::kSilenceDb);
    spectrumOut.fill(graph_analyser::kSilenceDb);
    ladderMarks.reserve(32);
    ladderLabels.reserve(32);
}

void GraphComponent::setSelectedBand(int slot)
{
    selectedBand = std::clamp(slot, 0, kNumBands - 1);
}

double GraphComponent::curveFrequency(int j) noexcept
{
    return graph_curves::pointFrequency(j);
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

    curvePoints.prepare(telemetry.sampleRate);
    hasMidSide = false;
    hasDynamicStereo = false;
    computeNodeGains();

    const graph_curves::CurveSums sums{curveMain.data(), curveStatic.data(), curveMid.data(),
                                       curveSide.data()};
    sums.clear();
    double maxDb = 0.0;
    for (int k = 0; k < kNumBands; ++k)
    {
        const auto slot = (size_t)k;
        const auto& band = processor.bandParameters(k);
        const double frequency = telemetry.bandFrequency[slot];
        const bool dynamic = band.isDynamic();
        const int channel = band.chan.index(3);
        const double amount = dynamic ? (double)telemetry.bandDynamicAmount[slot] : 1.0;
        bandActive[slot] = processor.designBand(k, frequency, false, amount, liveDesigns[slot]);
        if (!bandActive[slot])
            continue;
        // What the band would do at full action, drawn behind the live curve.
        if (dynamic)
            processor.designBand(k, frequency, false, 1.0, fullDesigns[slot]);
        if (channel != 0)
            hasMidSide = true;
        else if (dynamic)
            hasDynamicStereo = true;
        maxDb = std::max(maxDb, nodeDb[slot]);
        sums.addBand(liveDesigns[slot], dynamic ? fullDesigns[slot] : liveDesigns[slot], dynamic, channel,
                     curvePoints);
    }
    for (int j = 0; j < kCurvePoints; ++j)
    {
        const auto i = (size_t)j;
        maxDb = std::max(
            {maxDb, (double)curveMain[i], (double)curveStatic[i], (double)curveMid[i], (double)curveSide[i]});
    }

    // The gain scale grows smoothly when boosts pass +12 or +24 dB and shrinks back when they go.
    const double target = maxDb > 24.0 ? 36.0 : maxDb > 12.0 ? 24.0 : 12.0;
    geo.eqTopDb += (target - geo.eqTopDb) * 0.2;
    // Arrive once what is left is far below a pixel: the approach would otherwise creep on for some 160
    // ticks, and every step redraws the kept scale layer.
    if (std::abs(target - geo.eqTopDb) < 1e-3)
        geo.eqTopDb = target;

    placeNodes();

    // Both rings as of one write index, oldest sample first.
    processor.copyScopes(fftBuffer.data(), outputFrame.data());
    analyseFrame(spectrumIn);
    std::copy(outputFrame.begin(), outputFrame.end(), fftBuffer.begin());
    analyseFrame(spectrumOut);

    repaint();
}

void GraphComponent::analyseFrame(std::array<float, kSpectrumBins>& spectrum) noexcept
{
    std::fill(fftBuffer.begin() + kFftSize, fftBuffer.end(), 0.0f);
    window.multiplyWithWindowingTable(fftBuffer.data(), (size_t)kFftSize);
    fft.performFrequencyOnlyForwardTransform(fftBuffer.data(), true);
    graph_analyser::smoothSpectrum(fftBuffer.data(), spectrum.data());
}

void GraphComponent::resized()
{
    geo.plotArea = GraphGeometry::plotAreaFor((float)getWidth(), (float)getHeight());
    placeNodes();
}
