// Feeds arbitrary bytes to the preset loader, as if read from a preset file.
#include "FuzzChecks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzProcessor();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    auto& processor = fuzzProcessor();
    processor.loadPresetData(data, size, "fuzz");
    checkProcessorIsSound(processor);
    return 0;
}
