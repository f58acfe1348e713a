// 256-bit body of runSvfLanes: four lanes to a register, up to four registers per sample. Built with AVX2
// for this file alone; it reads the coefficients through pointers and constructs nothing, so no shared
// inline code is compiled for AVX2 here.
#include "dsp/SvfLanes.h"

#include <immintrin.h>

namespace vivera::dsp::kernels
{
namespace
{
constexpr int kLanes = 4;
constexpr int kRegisters = 4;
constexpr int kChunk = 32;

struct Batch
{
    const SvfLane* lane[kRegisters][kLanes]; // null: an idle lane fed with zeros
};

__m256d gather(const Batch& b, int r, double SvfCoefficients::*field) noexcept
{
    double v[kLanes];
    for (int l = 0; l < kLanes; ++l)
        v[l] = b.lane[r][l] != nullptr ? b.lane[r][l]->coefficients->*field : 0.0;
    return _mm256_loadu_pd(v);
}

__m256d gatherState(const Batch& b, int r, double* SvfLane::*state) noexcept
{
    double v[kLanes];
    for (int l = 0; l < kLanes; ++l)
        v[l] = b.lane[r][l] != nullptr ? *(b.lane[r][l]->*state) : 0.0;
    return _mm256_loadu_pd(v);
}

void scatterState(const Batch& b, int r, double* SvfLane::*state, __m256d value) noexcept
{
    double v[kLanes];
    _mm256_storeu_pd(v, value);
    for (int l = 0; l < kLanes; ++l)
        if (b.lane[r][l] != nullptr)
            *(b.lane[r][l]->*state) = v[l];
}
} // namespace

void runSvfLanesAvx2(const SvfLane* lanes, int count, int n) noexcept
{
    for (int first = 0; first < count; first += kLanes * kRegisters)
    {
        const int batchLanes = count - first < kLanes * kRegisters ? count - first : kLanes * kRegisters;
        const int registers = (batchLanes + kLanes - 1) / kLanes;
        Batch b;
        for (int r = 0; r < kRegisters; ++r)
            for (int l = 0; l < kLanes; ++l)
            {
                const int index = r * kLanes + l;
                b.lane[r][l] = index < batchLanes ? &lanes[first + index] : nullptr;
            }
        __m256d a1[kRegisters], a2[kRegisters], a3[kRegisters], m0[kRegisters], m1[kRegisters],
            m2[kRegisters], ic1[kRegisters], ic2[kRegisters];
        for (int r = 0; r < registers; ++r)
        {
            a1[r] = gather(b, r, &SvfCoefficients::a1);
            a2[r] = gather(b, r, &SvfCoefficients::a2);
            a3[r] = gather(b, r, &SvfCoefficients::a3);
            m0[r] = gather(b, r, &SvfCoefficients::m0);
            m1[r] = gather(b, r, &SvfCoefficients::m1);
            m2[r] = gather(b, r, &SvfCoefficients::m2);
            ic1[r] = gatherState(b, r, &SvfLane::ic1);
            ic2[r] = gatherState(b, r, &SvfLane::ic2);
        }
        const __m256d two = _mm256_set1_pd(2.0);
        for (int offset = 0; offset < n; offset += kChunk)
        {
            const int m = n - offset < kChunk ? n - offset : kChunk;
            // Inputs transposed to one row per sample and register, outputs likewise.
            alignas(32) double in[kRegisters][kChunk][kLanes];
            alignas(32) double out[kRegisters][kChunk][kLanes];
            for (int r = 0; r < registers; ++r)
                for (int l = 0; l < kLanes; ++l)
                {
                    const SvfLane* lane = b.lane[r][l];
                    for (int i = 0; i < m; ++i)
                        in[r][i][l] = lane != nullptr ? lane->in[offset + i] : 0.0;
                }
            for (int i = 0; i < m; ++i)
                for (int r = 0; r < registers; ++r)
                {
                    const __m256d u = _mm256_load_pd(in[r][i]);
                    const __m256d e = _mm256_sub_pd(u, ic2[r]);
                    const __m256d bp = _mm256_add_pd(_mm256_mul_pd(a1[r], ic1[r]), _mm256_mul_pd(a2[r], e));
                    const __m256d lp = _mm256_add_pd(_mm256_add_pd(ic2[r], _mm256_mul_pd(a2[r], ic1[r])),
                                                     _mm256_mul_pd(a3[r], e));
                    ic1[r] = _mm256_sub_pd(_mm256_mul_pd(two, bp), ic1[r]);
                    ic2[r] = _mm256_sub_pd(_mm256_mul_pd(two, lp), ic2[r]);
                    _mm256_store_pd(out[r][i], _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(m0[r], u),
                                                                           _mm256_mul_pd(m1[r], bp)),
                                                             _mm256_mul_pd(m2[r], lp)));
                }
            for (int r = 0; r < registers; ++r)
                for (int l = 0; l < kLanes; ++l)
                    if (const SvfLane* lane = b.lane[r][l])
                        for (int i = 0; i < m; ++i)
                            lane->out[offset + i] = out[r][i][l];
        }
        for (int r = 0; r < registers; ++r)
        {
            scatterState(b, r, &SvfLane::ic1, ic1[r]);
            scatterState(b, r, &SvfLane::ic2, ic2[r]);
        }
    }
}

} // namespace vivera::dsp::kernels
