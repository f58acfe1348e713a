// Which vector instruction set the block kernels use. One build runs everywhere: the widest kernels are
// chosen at run time from what the processor supports, and tests can force a narrower set to check that
// every path gives the same result.
#pragma once

namespace vivera::dsp
{

enum class SimdLevel : int
{
    scalar = 0, // plain C++
    sse2 = 1,   // two doubles to a register
    avx2 = 2,   // four doubles to a register
};

// The widest level this build and this processor can run.
SimdLevel supportedSimdLevel() noexcept;

// The level the kernels use now: the supported one unless a narrower one was forced.
SimdLevel activeSimdLevel() noexcept;

// Makes the kernels use at most the given level (clamped to the supported one); for tests and benchmarks,
// never called while audio runs. resetSimdLevel returns to the supported level.
void forceSimdLevel(SimdLevel level) noexcept;
void resetSimdLevel() noexcept;

// All levels from scalar up to the supported one, for tests that compare the paths.
int supportedSimdLevelCount() noexcept;

} // namespace vivera::dsp
