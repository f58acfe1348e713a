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

// Four rows of four doubles to four columns: pure data movement.
void transpose4(__m256d& r0, __m256d& r1, __m256d& r2, __m256d& r3) noexcept
{
    const __m256d t0 = _mm256_unpacklo_pd(r0, r1), t1 = _mm256_unpackhi_pd(r0, r1);
    const __m256d t2 = _mm256_unpacklo_pd(r2, r3), t3 = _mm256_unpackhi_pd(r2, r3);
    r0 = _mm256_permute2f128_pd(t0, t2, 0x20);
    r1 = _mm256_permute2f128_pd(t1, t3, 0x20);
    r2 = _mm256_permute2f128_pd(t0, t2, 0x31);
    r3 = _mm256_permute2f128_pd(t1, t3, 0x31);
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
        alignas(32) double zeros[kChunk] = {};
        alignas(32) double discard[kChunk];
        for (int offset = 0; offset < n; offset += kChunk)
        {
            const int m = n - offset < kChunk ? n - offset : kChunk;
            // Inputs transposed to one row per sample and register, outputs likewise.
            alignas(32) double in[kRegisters][kChunk][kLanes];
            alignas(32) double out[kRegisters][kChunk][kLanes];
            // Four samples of four lanes at a time turned into four rows of one sample each; idle lanes read
            // zeros.
            const int whole = m - m % kLanes;
            for (int r = 0; r < registers; ++r)
            {
                const double* source[kLanes];
                for (int l = 0; l < kLanes; ++l)
                    source[l] = b.lane[r][l] != nullptr ? b.lane[r][l]->in + offset : zeros;
                for (int i = 0; i < whole; i += kLanes)
                {
                    __m256d r0 = _mm256_loadu_pd(source[0] + i), r1 = _mm256_loadu_pd(source[1] + i);
                    __m256d r2 = _mm256_loadu_pd(source[2] + i), r3 = _mm256_loadu_pd(source[3] + i);
                    transpose4(r0, r1, r2, r3);
                    _mm256_store_pd(in[r][i], r0);
                    _mm256_store_pd(in[r][i + 1], r1);
                    _mm256_store_pd(in[r][i + 2], r2);
                    _mm256_store_pd(in[r][i + 3], r3);
                }
                for (int l = 0; l < kLanes; ++l)
                    for (int i = whole; i < m; ++i)
                        in[r][i][l] = source[l][i];
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
            {
                double* target[kLanes];
                for (int l = 0; l < kLanes; ++l)
                    target[l] = b.lane[r][l] != nullptr ? b.lane[r][l]->out + offset : discard;
                for (int i = 0; i < whole; i += kLanes)
                {
                    __m256d r0 = _mm256_load_pd(out[r][i]), r1 = _mm256_load_pd(out[r][i + 1]);
                    __m256d r2 = _mm256_load_pd(out[r][i + 2]), r3 = _mm256_load_pd(out[r][i + 3]);
                    transpose4(r0, r1, r2, r3);
                    _mm256_storeu_pd(target[0] + i, r0);
                    _mm256_storeu_pd(target[1] + i, r1);
                    _mm256_storeu_pd(target[2] + i, r2);
                    _mm256_storeu_pd(target[3] + i, r3);
                }
                for (int l = 0; l < kLanes; ++l)
                    for (int i = whole; i < m; ++i)
                        target[l][i] = out[r][i][l];
            }
        }
        for (int r = 0; r < registers; ++r)
        {
            scatterState(b, r, &SvfLane::ic1, ic1[r]);
            scatterState(b, r, &SvfLane::ic2, ic2[r]);
        }
    }
}

} // namespace vivera::dsp::kernels
