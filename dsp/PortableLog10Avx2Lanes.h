// The 256-bit logarithm of four lanes, shared by the kernels compiled for AVX2 (include it only in files
// built with AVX2): the scalar function's operations in its order. Lanes whose input is not a positive
// normal number are flagged for the scalar function.
#pragma once

#include "dsp/PortableLog10Kernels.h"

#include <immintrin.h>

namespace vivera::dsp::kernels::avx2
{

// Bit l set: lane l's input is zero, subnormal, negative, inf or NaN.
inline int log10SpecialLanes(__m256d x) noexcept
{
    const __m256i high = _mm256_srli_epi64(_mm256_castpd_si256(x), 32);
    const __m256i tooSmall = _mm256_cmpgt_epi64(_mm256_set1_epi64x(0x00100000), high);
    const __m256i tooLarge = _mm256_cmpgt_epi64(high, _mm256_set1_epi64x(0x7fefffff));
    return _mm256_movemask_pd(_mm256_castsi256_pd(_mm256_or_si256(tooSmall, tooLarge)));
}

// log10 of every lane whose input is a positive normal number; the other lanes are meaningless.
inline __m256d log10NormalLanes(__m256d input) noexcept
{
    using namespace log10_constants;
    auto set = [](double v) noexcept { return _mm256_set1_pd(v); };
    __m256i u = _mm256_castpd_si256(input);
    __m256i hx = _mm256_add_epi64(_mm256_srli_epi64(u, 32), _mm256_set1_epi64x(0x3ff00000 - 0x3fe6a09e));
    const __m256i k = _mm256_sub_epi64(_mm256_srli_epi64(hx, 20), _mm256_set1_epi64x(0x3ff));
    hx = _mm256_add_epi64(_mm256_and_si256(hx, _mm256_set1_epi64x(0x000fffff)),
                          _mm256_set1_epi64x(0x3fe6a09e));
    u = _mm256_or_si256(_mm256_slli_epi64(hx, 32), _mm256_and_si256(u, _mm256_set1_epi64x(0xffffffff)));
    const __m256d x = _mm256_castsi256_pd(u);
    const __m128i k32 =
        _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(k, _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
    const __m256d dk = _mm256_cvtepi32_pd(k32);

    const __m256d f = _mm256_sub_pd(x, set(1.0));
    const __m256d hfsq = _mm256_mul_pd(_mm256_mul_pd(set(0.5), f), f);
    const __m256d s = _mm256_div_pd(f, _mm256_add_pd(set(2.0), f));
    const __m256d z = _mm256_mul_pd(s, s);
    const __m256d w = _mm256_mul_pd(z, z);
    const __m256d t1 = _mm256_mul_pd(
        w, _mm256_add_pd(set(Lg2), _mm256_mul_pd(w, _mm256_add_pd(set(Lg4), _mm256_mul_pd(w, set(Lg6))))));
    const __m256d t2 = _mm256_mul_pd(
        z, _mm256_add_pd(
               set(Lg1),
               _mm256_mul_pd(
                   w, _mm256_add_pd(set(Lg3),
                                    _mm256_mul_pd(w, _mm256_add_pd(set(Lg5), _mm256_mul_pd(w, set(Lg7))))))));
    const __m256d R = _mm256_add_pd(t2, t1);
    const __m256d hi =
        _mm256_and_pd(_mm256_sub_pd(f, hfsq),
                      _mm256_castsi256_pd(_mm256_set1_epi64x(static_cast<long long>(0xffffffff00000000ull))));
    const __m256d lo =
        _mm256_add_pd(_mm256_sub_pd(_mm256_sub_pd(f, hi), hfsq), _mm256_mul_pd(s, _mm256_add_pd(hfsq, R)));
    const __m256d y = _mm256_mul_pd(dk, set(log10_2hi));
    const __m256d valHi = _mm256_mul_pd(hi, set(ivln10hi));
    __m256d valLo = _mm256_add_pd(
        _mm256_add_pd(_mm256_mul_pd(dk, set(log10_2lo)), _mm256_mul_pd(_mm256_add_pd(lo, hi), set(ivln10lo))),
        _mm256_mul_pd(lo, set(ivln10hi)));
    const __m256d sum = _mm256_add_pd(y, valHi);
    valLo = _mm256_add_pd(valLo, _mm256_add_pd(_mm256_sub_pd(y, sum), valHi));
    return _mm256_add_pd(valLo, sum);
}

} // namespace vivera::dsp::kernels::avx2
