// Moving four detectors' values in and out of a 256-bit register, lane by lane, shared by the kernels
// compiled for AVX2 (include it only in files built with AVX2).
#pragma once

#include <immintrin.h>

namespace vivera::dsp::kernels::avx2
{

constexpr int kRegisterLanes = 4;

// get(lane) in each lane that has a detector, 0 in the others.
template <class Lane, class Get> __m256d fromLanes(const Lane* const* lanes, Get get) noexcept
{
    alignas(32) double v[kRegisterLanes];
    for (int l = 0; l < kRegisterLanes; ++l)
        v[l] = lanes[l] != nullptr ? get(*lanes[l]) : 0.0;
    return _mm256_load_pd(v);
}

// All bits set in each lane that has a detector and flag(lane) holds, clear in the others.
template <class Lane, class Flag> __m256d maskFromLanes(const Lane* const* lanes, Flag flag) noexcept
{
    alignas(32) long long v[kRegisterLanes];
    for (int l = 0; l < kRegisterLanes; ++l)
        v[l] = lanes[l] != nullptr && flag(*lanes[l]) ? -1 : 0;
    return _mm256_castsi256_pd(_mm256_load_si256(reinterpret_cast<const __m256i*>(v)));
}

// rows[i] = sample i of the four arrays, by 4 x 4 register transposes.
inline void transposeIn(const double* const* arrays, int m, double (*rows)[kRegisterLanes]) noexcept
{
    int i = 0;
    for (; i + kRegisterLanes <= m; i += kRegisterLanes)
    {
        const __m256d r0 = _mm256_loadu_pd(arrays[0] + i), r1 = _mm256_loadu_pd(arrays[1] + i);
        const __m256d r2 = _mm256_loadu_pd(arrays[2] + i), r3 = _mm256_loadu_pd(arrays[3] + i);
        const __m256d t0 = _mm256_unpacklo_pd(r0, r1), t1 = _mm256_unpackhi_pd(r0, r1);
        const __m256d t2 = _mm256_unpacklo_pd(r2, r3), t3 = _mm256_unpackhi_pd(r2, r3);
        _mm256_store_pd(rows[i], _mm256_permute2f128_pd(t0, t2, 0x20));
        _mm256_store_pd(rows[i + 1], _mm256_permute2f128_pd(t1, t3, 0x20));
        _mm256_store_pd(rows[i + 2], _mm256_permute2f128_pd(t0, t2, 0x31));
        _mm256_store_pd(rows[i + 3], _mm256_permute2f128_pd(t1, t3, 0x31));
    }
    for (; i < m; ++i)
        for (int l = 0; l < kRegisterLanes; ++l)
            rows[i][l] = arrays[l][i];
}

} // namespace vivera::dsp::kernels::avx2
