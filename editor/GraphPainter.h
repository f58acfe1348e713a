// The small decisions of the graph's drawing, as plain functions tests can check without pixels.
#pragma once

#include <juce_graphics/juce_graphics.h>

namespace graph_paint
{
// Spacing of the gain grid in dB: 6, or 12 once the top of the scale has grown past 12.5 dB.
int gainGridStep(double topDb) noexcept;

// Alpha of harmonic h's line of the ladder (h = 1 is the fundamental; a marked harmonic has a band on it),
// dimmed to 35 % while the pitch is lost.
float ladderLineAlpha(int harmonic, bool marked, bool pitchLost) noexcept;
// Alpha of harmonic h's number.
float ladderLabelAlpha(int harmonic, bool marked, bool pitchLost) noexcept;

// A node's multiplier: a whole harmonic as the integer ("3"), anything else with at most two decimals and no
// trailing zeros ("0.5", "1.25", "2.1").
juce::String nodeMultiplierText(float multiplier);

// A node's type label: the type's short name, then " M" on Mid or " S" on Side ("LS M").
juce::String nodeTypeLabel(int type, int channel);

// One ignored zone's shading, the darkening and its 45-degree hatching, drawn once into an image and reused
// while the zone stays where it is: blending one image costs the software renderer far less than filling
// and hatching the area on every repaint.
class ZoneShade
{
public:
    // `zone` in component coordinates; the hatch lines run from (x0, bottom) to (x0 + height, top) for x0 =
    // firstLineX, firstLineX + 9, ... left of the zone's right edge, and are kept inside the zone.
    void draw(juce::Graphics& g, juce::Rectangle<float> zone, float firstLineX);

private:
    juce::Rectangle<float> drawnZone;
    float drawnFirstLineX = 0.0f;
    float drawnScale = 1.0f;
    juce::Rectangle<int> imageArea;
    juce::Image image;
};
} // namespace graph_paint
