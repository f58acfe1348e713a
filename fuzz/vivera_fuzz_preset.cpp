// Feeds arbitrary bytes to the preset loader, as if read from a preset file.
#include "FuzzChecks.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzProcessor();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzzOneInput(data, size,
                        [](VezovevaDirADAudioProcessor& p, const uint8_t* d, size_t n)
                        { return p.loadPresetData(d, n, "fuzz"); });
}
