// Runs a piece of test code once per vector instruction set this machine supports, so every kernel path
// is checked against the others.
#pragma once

#include "dsp/SimdLevel.h"

#include <vector>

namespace vivera::dsp::test
{

inline const char* simdLevelName(SimdLevel level)
{
    switch (level)
    {
    case SimdLevel::avx2:
        return "avx2";
    case SimdLevel::sse2:
        return "sse2";
    default:
        return "scalar";
    }
}

inline std::vector<SimdLevel> supportedSimdLevels()
{
    std::vector<SimdLevel> levels;
    for (int level = 0; level < supportedSimdLevelCount(); ++level)
        levels.push_back(static_cast<SimdLevel>(level));
    return levels;
}

// Forces a level for the lifetime of the object.
class ScopedSimdLevel
{
public:
    explicit ScopedSimdLevel(SimdLevel level) { forceSimdLevel(level); }
    ~ScopedSimdLevel() { resetSimdLevel(); }
    ScopedSimdLevel(const ScopedSimdLevel&) = delete;
    ScopedSimdLevel& operator=(const ScopedSimdLevel&) = delete;
};

} // namespace vivera::dsp::test
