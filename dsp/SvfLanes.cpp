// Independent sections: lanes of one register hold different sections, and a few registers are in flight
// per sample so the long recursion of one lane overlaps the others'.
#include "dsp/SvfLanes.h"

#include "dsp/SimdBuild.h"
#include "dsp/SimdLevel.h"

#if VIVERA_SIMD_SSE2
#include <emmintrin.h>
#endif

namespace vivera::dsp
{
namespace
{
constexpr int kScalarBatch = 4;

void runSvfLanesScalar(const SvfLane* lanes, int count, int n) noexcept
{
    for (int first = 0; first < count; first += kScalarBatch)
    {
        const int batch = count - first < kScalarBatch ? count - first : kScalarBatch;
        double ic1[kScalarBatch], ic2[kScalarBatch];
        for (int l = 0; l < batch; ++l)
        {
            ic1[l] = *lanes[first + l].ic1;
            ic2[l] = *lanes[first + l].ic2;
        }
        for (int i = 0; i < n; ++i)
            for (int l = 0; l < batch; ++l)
            {
                const SvfLane& lane = lanes[first + l];
                lane.out[i] = processSvfSection(*lane.coefficients, ic1[l], ic2[l], lane.in[i]);
            }
        for (int l = 0; l < batch; ++l)
        {
            *lanes[first + l].ic1 = ic1[l];
            *lanes[first + l].ic2 = ic2[l];
        }
    }
}
} // namespace

namespace kernels
{
#if VIVERA_SIMD_SSE2
// Two lanes to a register, up to four registers per sample.
void runSvfLanesSse2(const SvfLane* lanes, int count, int n) noexcept
{
    constexpr int kRegisters = 4;
    for (int first = 0; first < count; first += 2 * kRegisters)
    {
        const int batchLanes = count - first < 2 * kRegisters ? count - first : 2 * kRegisters;
        const int registers = (batchLanes + 1) / 2;
        __m128d a1[kRegisters], a2[kRegisters], a3[kRegisters], m0[kRegisters], m1[kRegisters],
            m2[kRegisters], ic1[kRegisters], ic2[kRegisters];
        const SvfLane* lo[kRegisters];
        const SvfLane* hi[kRegisters]; // null for the idle half of an odd count
        for (int r = 0; r < registers; ++r)
        {
            lo[r] = &lanes[first + 2 * r];
            hi[r] = 2 * r + 1 < batchLanes ? &lanes[first + 2 * r + 1] : nullptr;
            const SvfCoefficients& c0 = *lo[r]->coefficients;
            const SvfCoefficients c1 = hi[r] != nullptr ? *hi[r]->coefficients : SvfCoefficients{};
            a1[r] = _mm_set_pd(c1.a1, c0.a1);
            a2[r] = _mm_set_pd(c1.a2, c0.a2);
            a3[r] = _mm_set_pd(c1.a3, c0.a3);
            m0[r] = _mm_set_pd(c1.m0, c0.m0);
            m1[r] = _mm_set_pd(c1.m1, c0.m1);
            m2[r] = _mm_set_pd(c1.m2, c0.m2);
            ic1[r] = _mm_set_pd(hi[r] != nullptr ? *hi[r]->ic1 : 0.0, *lo[r]->ic1);
            ic2[r] = _mm_set_pd(hi[r] != nullptr ? *hi[r]->ic2 : 0.0, *lo[r]->ic2);
        }
        const __m128d two = _mm_set1_pd(2.0);
        for (int i = 0; i < n; ++i)
            for (int r = 0; r < registers; ++r)
            {
                const __m128d u = _mm_set_pd(hi[r] != nullptr ? hi[r]->in[i] : 0.0, lo[r]->in[i]);
                const __m128d e = _mm_sub_pd(u, ic2[r]);
                const __m128d bp = _mm_add_pd(_mm_mul_pd(a1[r], ic1[r]), _mm_mul_pd(a2[r], e));
                const __m128d lp =
                    _mm_add_pd(_mm_add_pd(ic2[r], _mm_mul_pd(a2[r], ic1[r])), _mm_mul_pd(a3[r], e));
                ic1[r] = _mm_sub_pd(_mm_mul_pd(two, bp), ic1[r]);
                ic2[r] = _mm_sub_pd(_mm_mul_pd(two, lp), ic2[r]);
                const __m128d y = _mm_add_pd(_mm_add_pd(_mm_mul_pd(m0[r], u), _mm_mul_pd(m1[r], bp)),
                                             _mm_mul_pd(m2[r], lp));
                _mm_store_sd(lo[r]->out + i, y);
                if (hi[r] != nullptr)
                    _mm_storeh_pd(hi[r]->out + i, y);
            }
        for (int r = 0; r < registers; ++r)
        {
            _mm_store_sd(lo[r]->ic1, ic1[r]);
            _mm_store_sd(lo[r]->ic2, ic2[r]);
            if (hi[r] != nullptr)
            {
                _mm_storeh_pd(hi[r]->ic1, ic1[r]);
                _mm_storeh_pd(hi[r]->ic2, ic2[r]);
            }
        }
    }
}
#endif
} // namespace kernels

void runSvfLanes(const SvfLane* lanes, int count, int n) noexcept
{
    switch (activeSimdLevel())
    {
#if VIVERA_SIMD_AVX2
    case SimdLevel::avx2:
        // Two lanes fill one 128-bit register; the 256-bit kernel pays for its transposes only with more.
        if (count > 2)
        {
            kernels::runSvfLanesAvx2(lanes, count, n);
            return;
        }
        kernels::runSvfLanesSse2(lanes, count, n);
        return;
#endif
#if VIVERA_SIMD_SSE2
    case SimdLevel::sse2:
        kernels::runSvfLanesSse2(lanes, count, n);
        return;
#endif
    default:
        runSvfLanesScalar(lanes, count, n);
        return;
    }
}

} // namespace vivera::dsp
