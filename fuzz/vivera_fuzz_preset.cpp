// Feeds arbitrary text to the preset loader, as if read from a preset file.
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
    const auto text = juce::String::fromUTF8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    if (auto xml = juce::parseXML(text))
        processor->loadPresetXml(*xml, "fuzz");
    checkProcessorIsSound(*processor);
    return 0;
}
