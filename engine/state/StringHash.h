// Hashes framework strings for the standard unordered containers, so the state readers look parameter ids
// up without the character-by-character comparisons an ordered map makes at every step.
#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>

struct StringHash
{
    size_t operator()(const juce::String& text) const noexcept
    {
        return static_cast<size_t>(text.hashCode64());
    }
};
