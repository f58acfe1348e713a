// Feeds arbitrary bytes to the host state restore.
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
                        { return p.restoreState(d, static_cast<int>(n)); });
}
