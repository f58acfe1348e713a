// The small decisions of the graph's drawing, as plain functions tests can check without pixels.
#pragma once

#include <juce_graphics/juce_graphics.h>

#include <algorithm>
#include <array>
#include <utility>

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

// The dashed line of an unmarked harmonic (2 pixels on, 4 off, from the top), as one pixel column per
// height and pitch state, made once and copied for every line: one image copy costs the renderer far less
// than a tiled fill or a fill per dash.
class DashedColumn
{
public:
    const juce::Image& column(int height, bool pitchLost);

private:
    std::array<juce::Image, 2> images; // held pitch, lost pitch
};

// The graph's background, grids and scale labels, drawn once into an opaque image and redrawn only when the
// size, the display's pixel density or the gain scale changes: copying one opaque image costs far less than
// filling the area and drawing every grid line and label on each repaint.
class StaticLayer
{
public:
    // Draws the layer with `paintLayer(g)` into the image when any key changed, then copies it onto `g`,
    // except inside `leaveOut`, which the caller paints itself.
    template <typename PaintLayer>
    void draw(juce::Graphics& g, int width, int height, double gainTopDb, juce::Rectangle<int> leaveOut,
              PaintLayer&& paintLayer)
    {
        const float scale = std::max(1.0f, g.getInternalContext().getPhysicalPixelScaleFactor());
        if (image.isNull() || width != drawnWidth || height != drawnHeight || scale != drawnScale ||
            gainTopDb != drawnGainTopDb || leaveOut != drawnLeaveOut)
        {
            drawnWidth = width;
            drawnHeight = height;
            drawnScale = scale;
            drawnGainTopDb = gainTopDb;
            drawnLeaveOut = leaveOut;
            const int imageWidth = std::max(1, juce::roundToInt((float)width * scale));
            const int imageHeight = std::max(1, juce::roundToInt((float)height * scale));
            // The gain scale animates for a few ticks at a time: keep the pixels, and paint only what is
            // copied.
            if (image.isNull() || image.getWidth() != imageWidth || image.getHeight() != imageHeight)
                image =
                    juce::Image(juce::Image::RGB, imageWidth, imageHeight, false, juce::SoftwareImageType());
            juce::Graphics ig(image);
            ig.addTransform(juce::AffineTransform::scale(scale));
            ig.excludeClipRegion(leaveOut);
            paintLayer(ig);
        }
        g.setOpacity(1.0f);
        if (scale != 1.0f)
        {
            juce::Graphics::ScopedSaveState outside(g);
            g.excludeClipRegion(leaveOut);
            g.drawImageTransformed(image, juce::AffineTransform::scale(1.0f / scale));
            return;
        }
        // The parts around the hole, each copied as a plain rectangle.
        juce::RectangleList<int> parts(image.getBounds());
        parts.subtract(leaveOut);
        for (const auto& part : parts)
            g.drawImage(image, part.getX(), part.getY(), part.getWidth(), part.getHeight(), part.getX(),
                        part.getY(), part.getWidth(), part.getHeight());
    }

    template <typename PaintLayer>
    void draw(juce::Graphics& g, int width, int height, double gainTopDb, PaintLayer&& paintLayer)
    {
        draw(g, width, height, gainTopDb, {}, std::forward<PaintLayer>(paintLayer));
    }

    // Forgets the picture, e.g. when the language changes the labels.
    void invalidate() noexcept { image = {}; }

private:
    int drawnWidth = 0, drawnHeight = 0;
    float drawnScale = 1.0f;
    double drawnGainTopDb = 0.0;
    juce::Rectangle<int> drawnLeaveOut;
    juce::Image image;
};
} // namespace graph_paint
