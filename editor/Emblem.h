// The product emblem: a small square vector image (viewBox 0 0 128 128) drawn beside the title.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// The embedded SVG document.
const char* emblemSvg();

// The emblem as a drawable; null when the document cannot be turned into one.
std::unique_ptr<juce::Drawable> createEmblem();
