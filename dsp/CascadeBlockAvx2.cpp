// 256-bit body of the stereo cascade: left and right of two sections in one register, so a stereo chain of
// state-variable sections needs half the instructions of the 128-bit kernel. Lanes 0/1 run section j on
// sample t - j while lanes 2/3 run section j + H on sample t - j - H, fed by lanes 0/1 of the last pair.
// Built with AVX2 for this file alone; it uses intrinsics, plain member access and raw pointers only, so no
// shared inline code is compiled for AVX2 here.
#include "dsp/CascadeBlockKernels.h"

#include "dsp/Constants.h"

#include <immintrin.h>
#include <utility>

// The unrolled fill and drain steps must be inlined, or the register arrays they share live in memory. On a
// lambda the attribute goes straight after the parameters, without noexcept, where GCC and Clang both take
// it.
#if defined(__GNUC__)
#define VIVERA_FORCE_INLINE __attribute__((always_inline))
#else
#define VIVERA_FORCE_INLINE
#endif

namespace vivera::dsp::kernels
{
namespace
{
__m256d pairOf(double lo, double hi) noexcept
{
    return _mm256_set_pd(hi, hi, lo, lo);
}

template <class F, int... I>
VIVERA_FORCE_INLINE inline void unrolledOver(F& f, std::integer_sequence<int, I...>) noexcept
{
    (f(std::integral_constant<int, I>{}), ...);
}

// f(std::integral_constant<int, i>) for i = 0 .. Count-1 in order, so that i is a compile-time constant.
template <int Count, class F> VIVERA_FORCE_INLINE inline void unrolled(F&& f) noexcept
{
    unrolledOver(f, std::make_integer_sequence<int, Count>{});
}

template <int H> void runPairs(const StereoSectionRun& run, int n) noexcept
{
    constexpr int kDepth = 2 * H;
    __m256d a1[H], a2[H], a3[H], m0[H], m1[H], m2[H], ic1[H], ic2[H], stageOut[H];
    for (int j = 0; j < H; ++j)
    {
        const SvfCoefficients& c0 = run.sections[j].svf;
        const SvfCoefficients& c1 = run.sections[j + H].svf;
        a1[j] = pairOf(c0.a1, c1.a1);
        a2[j] = pairOf(c0.a2, c1.a2);
        a3[j] = pairOf(c0.a3, c1.a3);
        m0[j] = pairOf(c0.m0, c1.m0);
        m1[j] = pairOf(c0.m1, c1.m1);
        m2[j] = pairOf(c0.m2, c1.m2);
        ic1[j] = _mm256_set_pd(run.ic1R[j + H], run.ic1L[j + H], run.ic1R[j], run.ic1L[j]);
        ic2[j] = _mm256_set_pd(run.ic2R[j + H], run.ic2L[j + H], run.ic2R[j], run.ic2L[j]);
        stageOut[j] = _mm256_setzero_pd();
    }
    const __m256d two = _mm256_set1_pd(2.0);
    auto section = [&](int j, __m256d u) noexcept
    {
        const __m256d e = _mm256_sub_pd(u, ic2[j]);
        const __m256d bp = _mm256_add_pd(_mm256_mul_pd(a1[j], ic1[j]), _mm256_mul_pd(a2[j], e));
        const __m256d lp =
            _mm256_add_pd(_mm256_add_pd(ic2[j], _mm256_mul_pd(a2[j], ic1[j])), _mm256_mul_pd(a3[j], e));
        ic1[j] = _mm256_sub_pd(_mm256_mul_pd(two, bp), ic1[j]);
        ic2[j] = _mm256_sub_pd(_mm256_mul_pd(two, lp), ic2[j]);
        return _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(m0[j], u), _mm256_mul_pd(m1[j], bp)),
                             _mm256_mul_pd(m2[j], lp));
    };

    // Left and right interleaved, with zero padding for the pipeline drain. Iteration t leaves the pair of
    // sample t - fill in output[2t], so the fill iterations write into the padding in front.
    constexpr int kFill = kDepth - 1;
    alignas(16) double input[2 * (kSubBlockSize + kDepth)];
    alignas(16) double output[2 * (kSubBlockSize + kDepth)];
    for (int i = 0; i < n; ++i)
    {
        input[2 * i] = run.left[i];
        input[2 * i + 1] = run.right[i];
    }
    for (int i = 2 * n; i < 2 * (n + kFill); ++i)
        input[i] = 0.0;

    // Lanes 0/1: the next input pair; lanes 2/3: the first half's last output, from the previous iteration.
    auto iteration = [&](int t, auto&& keepStates) noexcept
    {
        const __m256d in0 = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_load_pd(input + 2 * t)),
                                                 _mm256_castpd256_pd128(stageOut[H - 1]), 1);
        for (int j = H - 1; j >= 0; --j)
        {
            const __m256d old1 = ic1[j], old2 = ic2[j];
            stageOut[j] = section(j, j == 0 ? in0 : stageOut[j - 1]);
            keepStates(t, j, old1, old2);
        }
        _mm_store_pd(output + 2 * t, _mm256_extractf128_pd(stageOut[H - 1], 1));
    };
    auto allActive = [](int, int, __m256d, __m256d) noexcept {};
    // During fill and drain the lanes without a sample compute on padding and keep their states.
    const __m256i last = _mm256_set1_epi64x(n - 1);
    const __m256i zero = _mm256_setzero_si256();
    auto keepIdle = [&](int t, int j, __m256d old1, __m256d old2) noexcept
    {
        const __m256i sample = _mm256_set_epi64x(t - j - H, t - j - H, t - j, t - j);
        const __m256d idle = _mm256_castsi256_pd(
            _mm256_or_si256(_mm256_cmpgt_epi64(zero, sample), _mm256_cmpgt_epi64(sample, last)));
        ic1[j] = _mm256_blendv_pd(ic1[j], old1, idle);
        ic2[j] = _mm256_blendv_pd(ic2[j], old2, idle);
    };
    const int total = n + kFill;
    if (n >= kFill)
    {
        // Fill step d is iteration d and drain step d iteration n + d; with n >= kFill which lanes hold a
        // sample depends on d and the register alone. Registers without a sample are skipped, and a
        // half-idle one keeps its idle half's states with a constant blend. A skipped register's stale
        // output only ever feeds lanes that are idle too.
        auto edgeIteration = [&](auto stepConstant, auto fillConstant) VIVERA_FORCE_INLINE
        {
            constexpr int d = decltype(stepConstant)::value;
            constexpr bool fill = decltype(fillConstant)::value;
            const int t = fill ? d : n + d;
            const __m256d in0 = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_load_pd(input + 2 * t)),
                                                     _mm256_castpd256_pd128(stageOut[H - 1]), 1);
            unrolled<H>(
                [&](auto reverseConstant) VIVERA_FORCE_INLINE
                {
                    constexpr int j = H - 1 - decltype(reverseConstant)::value;
                    // Lanes 0/1 run sample t - j, lanes 2/3 sample t - j - H.
                    constexpr bool lowActive = fill ? d >= j : d < j;
                    constexpr bool highActive = fill ? d >= j + H : d < j + H;
                    if constexpr (lowActive || highActive)
                    {
                        const __m256d old1 = ic1[j], old2 = ic2[j];
                        if constexpr (j == 0)
                            stageOut[j] = section(j, in0);
                        else
                            stageOut[j] = section(j, stageOut[j - 1]);
                        if constexpr (!highActive)
                        {
                            ic1[j] = _mm256_blend_pd(ic1[j], old1, 0b1100);
                            ic2[j] = _mm256_blend_pd(ic2[j], old2, 0b1100);
                        }
                        else if constexpr (!lowActive)
                        {
                            ic1[j] = _mm256_blend_pd(ic1[j], old1, 0b0011);
                            ic2[j] = _mm256_blend_pd(ic2[j], old2, 0b0011);
                        }
                    }
                });
            _mm_store_pd(output + 2 * t, _mm256_extractf128_pd(stageOut[H - 1], 1));
        };
        unrolled<kFill>([&](auto d) VIVERA_FORCE_INLINE { edgeIteration(d, std::true_type{}); });
        for (int t = kFill; t < n; ++t)
            iteration(t, allActive);
        unrolled<kFill>([&](auto d) VIVERA_FORCE_INLINE { edgeIteration(d, std::false_type{}); });
    }
    else
    {
        int t = 0;
        for (; t < kFill && t < total; ++t)
            iteration(t, keepIdle);
        for (; t < n; ++t)
            iteration(t, allActive);
        for (; t < total; ++t)
            iteration(t, keepIdle);
    }
    for (int i = 0; i < n; ++i)
    {
        run.left[i] = output[2 * (kFill + i)];
        run.right[i] = output[2 * (kFill + i) + 1];
    }

    for (int j = 0; j < H; ++j)
    {
        alignas(32) double s1[4], s2[4];
        _mm256_store_pd(s1, ic1[j]);
        _mm256_store_pd(s2, ic2[j]);
        run.ic1L[j] = s1[0];
        run.ic1R[j] = s1[1];
        run.ic1L[j + H] = s1[2];
        run.ic1R[j + H] = s1[3];
        run.ic2L[j] = s2[0];
        run.ic2R[j] = s2[1];
        run.ic2L[j + H] = s2[2];
        run.ic2R[j + H] = s2[3];
    }
}
} // namespace

void runStereoSvfPairsAvx2(const StereoSectionRun& run, int n) noexcept
{
    switch (run.pairs)
    {
    case 1:
        runPairs<1>(run, n);
        break;
    case 2:
        runPairs<2>(run, n);
        break;
    case 3:
        runPairs<3>(run, n);
        break;
    default:
        runPairs<4>(run, n);
        break;
    }
}

} // namespace vivera::dsp::kernels
