// Command line of vivera-render.
#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <utility>
#include <vector>

struct RenderOptions
{
    juce::File input;  // none: render the built-in demo
    juce::File output; // none: derived from the input name
    juce::File sidechain;
    juce::String preset; // a preset file, or a factory preset's name or number (1 = first)
    bool listPresets = false;
    int blockSize = 512;
    double traceInterval = 0.25; // seconds between pitch trace lines; 0 turns the trace off
    bool quiet = false;
    std::vector<std::pair<juce::String, juce::String>> settings; // --set ID=VALUE, in order
};

// Parses the arguments; on failure returns nothing and sets `error` to a one-line message.
std::optional<RenderOptions> parseRenderOptions(const juce::StringArray& arguments, juce::String& error);

juce::String renderUsage();
