// The editor's one colour scheme: dark and warm with a gold accent, and a colour per band slot.
#pragma once

#include <juce_graphics/juce_graphics.h>

namespace Palette
{
inline const juce::Colour window{0xFF0F0E0C};
inline const juce::Colour panel{0xFF181613};
inline const juce::Colour raised{0xFF25221D};
inline const juce::Colour text{0xFFEEE8DC};
inline const juce::Colour textDim{0xFF8C8476};
inline const juce::Colour gold{0xFFD8AB52};
inline const juce::Colour red{0xFFD9584A};
inline const juce::Colour blue{0xFFA9B8D4};
inline const juce::Colour green{0xFF8FBF6A};
inline const juce::Colour orange{0xFFE07F4A};
inline const juce::Colour white{0xFFFFFFFF};
inline const juce::Colour black{0xFF000000};
inline const juce::Colour grid{0xFF2D2923};
} // namespace Palette

// Slots 0..7 take the base colours; slots 8..15 a brighter, less saturated version of slot k & 7, so the
// same slot has the same colour in the strip, the dynamics panel and the graph.
juce::Colour bandColour(int slot);

// Fills an opaque rounded panel. Same pixels as fillRoundedRectangle, but the body is a plain rectangle
// fill: large rounded shapes are costly for the software renderer, and panels are repainted every tick.
void fillPanel(juce::Graphics& g, juce::Rectangle<float> area, float cornerRadius, juce::Colour colour);

// For opaque components (which the window does not paint behind): the window colour in the corners, then
// the panel.
void fillOpaquePanel(juce::Graphics& g, juce::Rectangle<float> area, float cornerRadius, juce::Colour colour);

// Fonts: the platform's default sans-serif, bold or plain, at a height in logical pixels.
juce::Font boldFont(float height);
juce::Font plainFont(float height);
