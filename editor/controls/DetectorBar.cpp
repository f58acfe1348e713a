#include "editor/controls/DetectorBar.h"

#include "editor/controls/Palette.h"
#include "engine/PluginProcessor.h"

#include <algorithm>

namespace
{
// -80 dB at the bottom, 0 dB at the top.
float heightFraction(float db)
{
    return std::clamp((db + 80.0f) / 80.0f, 0.0f, 1.0f);
}
} // namespace

DetectorBar::DetectorBar(const VezovevaDirADAudioProcessor& processorToShow,
                         const std::atomic<float>* gateValue)
    : processor(processorToShow), gate(gateValue)
{
    // Repainted on every tick; painting every pixel (its corners in the window colour) spares the editor
    // from painting its background behind it each time.
    setOpaque(true);
}

void DetectorBar::paint(juce::Graphics& g)
{
    const float w = static_cast<float>(getWidth());
    const float h = static_cast<float>(getHeight());
    const float innerWidth = std::max(w - 6.0f, 0.0f);
    const float innerHeight = std::max(h - 6.0f, 0.0f);
    const float bottom = 3.0f + innerHeight;

    fillOpaquePanel(g, getLocalBounds().toFloat(), 3.0f, Palette::panel);

    const float level = processor.telemetry.detectorLevelDb.load(std::memory_order_relaxed);
    const float gateDb = gate != nullptr ? gate->load(std::memory_order_relaxed) : -80.0f;
    const bool gateOn = gateDb > -79.9f;

    g.setColour(gateOn && level < gateDb ? Palette::orange : Palette::green);
    const float top = bottom - innerHeight * heightFraction(level);
    g.fillRect(3.0f, top, innerWidth, std::max(bottom - top, 0.0f));

    if (gateOn)
    {
        g.setColour(Palette::text);
        g.fillRect(1.0f, bottom - innerHeight * heightFraction(gateDb) - 1.0f, innerWidth + 4.0f, 2.0f);
    }
}
