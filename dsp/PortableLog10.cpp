// The logarithm is the classic reduction to [sqrt(2)/2, sqrt(2)), a polynomial in s = f/(2+f), and the
// product with 1/ln(10) and k·log10(2) carried in two parts so the result stays within one ulp. The
// vector kernels perform the same operations in the same order, so every path agrees bit for bit.
#include "dsp/PortableLog10.h"

#include "dsp/PortableLog10Kernels.h"
#include "dsp/SimdBuild.h"
#include "dsp/SimdLevel.h"

#include <cstdint>
#include <cstring>

#if VIVERA_SIMD_SSE2
#include <emmintrin.h>
#endif

namespace vivera::dsp
{
namespace
{
uint64_t bitsOf(double x) noexcept
{
    uint64_t u;
    std::memcpy(&u, &x, sizeof u);
    return u;
}

double fromBits(uint64_t u) noexcept
{
    double x;
    std::memcpy(&x, &u, sizeof x);
    return x;
}

// True for positive normal finite numbers, the inputs the vector kernels handle themselves.
bool isPositiveNormal(double x) noexcept
{
    const uint64_t high = bitsOf(x) >> 32;
    return high >= 0x00100000u && high < 0x7ff00000u;
}
} // namespace

double portableLog10(double x) noexcept
{
    using namespace kernels::log10_constants;
    uint64_t u = bitsOf(x);
    uint32_t hx = static_cast<uint32_t>(u >> 32);
    int k = 0;
    if (hx < 0x00100000u || (hx >> 31) != 0)
    {
        if ((u << 1) == 0)
            return -1.0 / (x * x); // -inf for either zero
        if ((hx >> 31) != 0)
            return (x - x) / 0.0; // NaN for negative numbers
        // Subnormal: scale into the normal range first.
        k -= 54;
        x *= 0x1p54;
        u = bitsOf(x);
        hx = static_cast<uint32_t>(u >> 32);
    }
    else if (hx >= 0x7ff00000u)
        return x; // +inf and NaN

    // x = 2^k · (1 + f) with 1 + f in [sqrt(2)/2, sqrt(2)).
    hx += 0x3ff00000u - 0x3fe6a09eu;
    k += static_cast<int>(hx >> 20) - 0x3ff;
    hx = (hx & 0x000fffffu) + 0x3fe6a09eu;
    u = static_cast<uint64_t>(hx) << 32 | (u & 0xffffffffu);
    x = fromBits(u);

    const double f = x - 1.0;
    const double hfsq = 0.5 * f * f;
    const double s = f / (2.0 + f);
    const double z = s * s;
    const double w = z * z;
    const double t1 = w * (Lg2 + w * (Lg4 + w * Lg6));
    const double t2 = z * (Lg1 + w * (Lg3 + w * (Lg5 + w * Lg7)));
    const double R = t2 + t1;

    // hi + lo = log(1 + f), hi with its low word cleared so hi·ivln10hi is exact.
    const double hi = fromBits(bitsOf(f - hfsq) & 0xffffffff00000000u);
    const double lo = f - hi - hfsq + s * (hfsq + R);

    const double dk = k;
    const double y = dk * log10_2hi;
    double valHi = hi * ivln10hi;
    double valLo = dk * log10_2lo + (lo + hi) * ivln10lo + lo * ivln10hi;
    const double sum = y + valHi;
    valLo += (y - sum) + valHi;
    valHi = sum;
    return valLo + valHi;
}

namespace kernels
{
#if VIVERA_SIMD_SSE2
void portableLog10Sse2(const double* in, double* out, int n) noexcept
{
    using namespace log10_constants;
    int i = 0;
    for (; i + 2 <= n; i += 2)
    {
        const double x0 = in[i], x1 = in[i + 1];
        if (!isPositiveNormal(x0) || !isPositiveNormal(x1))
        {
            out[i] = portableLog10(x0);
            out[i + 1] = portableLog10(x1);
            continue;
        }
        __m128i u = _mm_castpd_si128(_mm_loadu_pd(in + i));
        __m128i hx = _mm_add_epi64(_mm_srli_epi64(u, 32), _mm_set1_epi64x(0x3ff00000 - 0x3fe6a09e));
        const __m128i k = _mm_sub_epi64(_mm_srli_epi64(hx, 20), _mm_set1_epi64x(0x3ff));
        hx = _mm_add_epi64(_mm_and_si128(hx, _mm_set1_epi64x(0x000fffff)), _mm_set1_epi64x(0x3fe6a09e));
        u = _mm_or_si128(_mm_slli_epi64(hx, 32), _mm_and_si128(u, _mm_set1_epi64x(0xffffffff)));
        const __m128d x = _mm_castsi128_pd(u);
        const __m128d dk = _mm_cvtepi32_pd(_mm_shuffle_epi32(k, _MM_SHUFFLE(3, 1, 2, 0)));

        const __m128d one = _mm_set1_pd(1.0);
        const __m128d f = _mm_sub_pd(x, one);
        const __m128d hfsq = _mm_mul_pd(_mm_mul_pd(_mm_set1_pd(0.5), f), f);
        const __m128d s = _mm_div_pd(f, _mm_add_pd(_mm_set1_pd(2.0), f));
        const __m128d z = _mm_mul_pd(s, s);
        const __m128d w = _mm_mul_pd(z, z);
        const __m128d t1 = _mm_mul_pd(
            w, _mm_add_pd(_mm_set1_pd(Lg2),
                          _mm_mul_pd(w, _mm_add_pd(_mm_set1_pd(Lg4), _mm_mul_pd(w, _mm_set1_pd(Lg6))))));
        const __m128d t2 = _mm_mul_pd(
            z, _mm_add_pd(
                   _mm_set1_pd(Lg1),
                   _mm_mul_pd(w, _mm_add_pd(_mm_set1_pd(Lg3),
                                            _mm_mul_pd(w, _mm_add_pd(_mm_set1_pd(Lg5),
                                                                     _mm_mul_pd(w, _mm_set1_pd(Lg7))))))));
        const __m128d R = _mm_add_pd(t2, t1);
        const __m128d hi =
            _mm_and_pd(_mm_sub_pd(f, hfsq),
                       _mm_castsi128_pd(_mm_set1_epi64x(static_cast<long long>(0xffffffff00000000ull))));
        const __m128d lo =
            _mm_add_pd(_mm_sub_pd(_mm_sub_pd(f, hi), hfsq), _mm_mul_pd(s, _mm_add_pd(hfsq, R)));
        const __m128d y = _mm_mul_pd(dk, _mm_set1_pd(log10_2hi));
        const __m128d valHi = _mm_mul_pd(hi, _mm_set1_pd(ivln10hi));
        __m128d valLo = _mm_add_pd(_mm_add_pd(_mm_mul_pd(dk, _mm_set1_pd(log10_2lo)),
                                              _mm_mul_pd(_mm_add_pd(lo, hi), _mm_set1_pd(ivln10lo))),
                                   _mm_mul_pd(lo, _mm_set1_pd(ivln10hi)));
        const __m128d sum = _mm_add_pd(y, valHi);
        valLo = _mm_add_pd(valLo, _mm_add_pd(_mm_sub_pd(y, sum), valHi));
        _mm_storeu_pd(out + i, _mm_add_pd(valLo, sum));
    }
    for (; i < n; ++i)
        out[i] = portableLog10(in[i]);
}
#endif
} // namespace kernels

void portableLog10Block(const double* in, double* out, int n) noexcept
{
    switch (activeSimdLevel())
    {
#if VIVERA_SIMD_AVX2
    case SimdLevel::avx2:
        kernels::portableLog10Avx2(in, out, n);
        return;
#endif
#if VIVERA_SIMD_SSE2
    case SimdLevel::sse2:
        kernels::portableLog10Sse2(in, out, n);
        return;
#endif
    default:
        for (int i = 0; i < n; ++i)
            out[i] = portableLog10(in[i]);
        return;
    }
}

} // namespace vivera::dsp
