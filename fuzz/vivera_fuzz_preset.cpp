// Feeds arbitrary bytes to the preset loader, as if read from a preset file.
#include "FuzzChecks.h"

#include <cstddef>
#include <cstdint>

namespace
{
VezovevaDirADAudioProcessor* processor = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static juce::ScopedJuceInitialiser_GUI juce;
    static VezovevaDirADAudioProcessor instance;
    processor = &instance;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    processor->loadPresetData(data, size, "fuzz");
    checkProcessorIsSound(*processor);
    return 0;
}
