// Run-time detection of the vector instruction sets the kernels may use.
#include "dsp/SimdLevel.h"

#include "dsp/SimdBuild.h"

#include <atomic>

#if VIVERA_SIMD_AVX2 && defined(_MSC_VER) && !defined(__clang__)
#include <immintrin.h>
#include <intrin.h>
#endif

namespace vivera::dsp
{
namespace
{
bool processorHasAvx2() noexcept
{
#if !VIVERA_SIMD_AVX2
    return false;
#elif defined(__GNUC__) || defined(__clang__)
    // Also checks that the operating system saves the 256-bit registers.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
#elif defined(_MSC_VER)
    int info[4] = {};
    __cpuid(info, 0);
    if (info[0] < 7)
        return false;
    __cpuid(info, 1);
    const bool osSavesYmm = (info[2] & (1 << 27)) != 0; // OSXSAVE
    const bool hasAvx = (info[2] & (1 << 28)) != 0;
    if (!osSavesYmm || !hasAvx || (_xgetbv(0) & 0x6) != 0x6)
        return false;
    __cpuidex(info, 7, 0);
    return (info[1] & (1 << 5)) != 0;
#else
    return false;
#endif
}

SimdLevel detectSimdLevel() noexcept
{
    if (processorHasAvx2())
        return SimdLevel::avx2;
#if VIVERA_SIMD_SSE2
    return SimdLevel::sse2;
#else
    return SimdLevel::scalar;
#endif
}

const SimdLevel kSupported = detectSimdLevel();
std::atomic<int> forcedLevel{static_cast<int>(kSupported)};
} // namespace

SimdLevel supportedSimdLevel() noexcept
{
    return kSupported;
}

SimdLevel activeSimdLevel() noexcept
{
    return static_cast<SimdLevel>(forcedLevel.load(std::memory_order_relaxed));
}

void forceSimdLevel(SimdLevel level) noexcept
{
    const int wanted = static_cast<int>(level);
    const int supported = static_cast<int>(kSupported);
    forcedLevel.store(wanted < supported ? (wanted < 0 ? 0 : wanted) : supported, std::memory_order_relaxed);
}

void resetSimdLevel() noexcept
{
    forcedLevel.store(static_cast<int>(kSupported), std::memory_order_relaxed);
}

int supportedSimdLevelCount() noexcept
{
    return static_cast<int>(kSupported) + 1;
}

} // namespace vivera::dsp
