// Where the graph's small texts go so that none covers another: the harmonic ladder's numbers and the two
// detector handles' labels. Boxes are the texts' own extents (text width by font height), not the wider
// cells they are centred in, so two boxes that do not intersect never draw glyphs over each other.
#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

float labelTextWidth(const juce::Font& font, const juce::String& text);

struct LadderMark
{
    int harmonic = 1;
    float x = 0.0f;      // the harmonic's line
    bool marked = false; // a band sits on it
};

struct LadderLabel
{
    int harmonic = 1;
    juce::Rectangle<float> box;
};

// The fundamental and every harmonic carrying a band always get their number, a row lower for each such
// neighbour too close to share a row; the others are numbered only where the row still has room. Fills placed
// (cleared first), so a caller painting every tick can reuse its storage.
void placeLadderLabels(const std::vector<LadderMark>& marks, float top, const juce::Font& font,
                       std::vector<LadderLabel>& placed);

struct DetectorLabelBoxes
{
    juce::Rectangle<float> highPass, lowPass;
};

// The HP label starts 8 right of its line and the LP label ends 8 left of its own, both at top; when the two
// handles are so close that they would meet, the LP label moves one line down.
DetectorLabelBoxes placeDetectorLabels(float xHighPass, const juce::String& highPassText, float xLowPass,
                                       const juce::String& lowPassText, float top, const juce::Font& font);
