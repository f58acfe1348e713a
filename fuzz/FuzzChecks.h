// What must hold after any input, however damaged: every parameter valid, and the state still saveable.
#pragma once

#include "engine/PluginProcessor.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The entry points libFuzzer calls, defined by each fuzzer.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// One processor for the whole run: building 387 parameters per input would dominate the time. Both live
// until the process ends and are never destroyed, since the framework's shutdown at exit would otherwise
// run after its own static bookkeeping is gone.
inline VezovevaDirADAudioProcessor& fuzzProcessor()
{
    static auto* juceInitialiser = new juce::ScopedJuceInitialiser_GUI();
    static auto* instance = new VezovevaDirADAudioProcessor();
    juce::ignoreUnused(juceInitialiser);
    return *instance;
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

// Runs one input through `feed` on the shared processor and checks the result; oversized inputs are skipped.
template <typename Feed> int fuzzOneInput(const uint8_t* data, size_t size, Feed&& feed)
{
    if (size > (1u << 20))
        return 0;
    auto& processor = fuzzProcessor();
    feed(processor, data, size);
    checkProcessorIsSound(processor);
    return 0;
}
