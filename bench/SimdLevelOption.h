// VIVERA_SIMD=scalar|sse2|avx2 in the environment caps the vector kernels a benchmark run uses, so the
// paths can be compared on one machine without rebuilding.
#pragma once

#include "dsp/SimdLevel.h"

#include <cstdlib>
#include <cstring>

inline void applySimdLevelOption()
{
    using vivera::dsp::SimdLevel;
    const char* wanted = std::getenv("VIVERA_SIMD");
    if (wanted == nullptr)
        return;
    if (std::strcmp(wanted, "scalar") == 0)
        vivera::dsp::forceSimdLevel(SimdLevel::scalar);
    else if (std::strcmp(wanted, "sse2") == 0)
        vivera::dsp::forceSimdLevel(SimdLevel::sse2);
    else if (std::strcmp(wanted, "avx2") == 0)
        vivera::dsp::forceSimdLevel(SimdLevel::avx2);
}
