// What must hold after any input, however damaged: every parameter valid, and the state still saveable.
#pragma once

#include "PluginProcessor.h"

#include <cmath>
#include <cstdlib>

// One processor for the whole run: building 387 parameters per input would dominate the time.
inline VezovevaDirADAudioProcessor& fuzzProcessor()
{
    static juce::ScopedJuceInitialiser_GUI juce;
    static VezovevaDirADAudioProcessor instance;
    return instance;
}

inline void checkProcessorIsSound(VezovevaDirADAudioProcessor& processor)
{
    for (auto* parameter : processor.getParameters())
    {
        const float value = parameter->getValue();
        if (!std::isfinite(value) || value < 0.0f || value > 1.0f)
            std::abort();
    }
    juce::MemoryBlock blob;
    processor.getStateInformation(blob);
    if (blob.getSize() < 9)
        std::abort();
}
