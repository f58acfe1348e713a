// 256-bit bodies of the RealFft passes, eight single-precision values to a register. The stages whose
// butterflies span eight or more points run across registers; the last three (spans 4, 2, 1) pair lanes of
// one register and are done in-register with lane shuffles, so no pass falls back to scalar code. Built with
// AVX2 for this file alone and only called when the processor has it; it uses nothing but intrinsics and raw
// pointers, so no shared inline code is compiled for AVX2 here.
#include "dsp/RealFft.h"

#include <immintrin.h>

namespace vivera::dsp::kernels
{
namespace
{
struct Complex8
{
    __m256 re, im;
};

Complex8 times(Complex8 x, __m256 wr, __m256 wi) noexcept
{
    return {_mm256_sub_ps(_mm256_mul_ps(x.re, wr), _mm256_mul_ps(x.im, wi)),
            _mm256_add_ps(_mm256_mul_ps(x.re, wi), _mm256_mul_ps(x.im, wr))};
}

Complex8 timesConjugate(Complex8 x, __m256 wr, __m256 wi) noexcept
{
    return {_mm256_add_ps(_mm256_mul_ps(x.re, wr), _mm256_mul_ps(x.im, wi)),
            _mm256_sub_ps(_mm256_mul_ps(x.im, wr), _mm256_mul_ps(x.re, wi))};
}

// The partner of every lane at half-span 4, 2 or 1.
template <int Span> __m256 partner(__m256 v) noexcept
{
    if constexpr (Span == 4)
        return _mm256_permute2f128_ps(v, v, 0x01);
    else if constexpr (Span == 2)
        return _mm256_shuffle_ps(v, v, _MM_SHUFFLE(1, 0, 3, 2));
    else
        return _mm256_shuffle_ps(v, v, _MM_SHUFFLE(2, 3, 0, 1));
}

// Lower lane of each pair: x + partner; upper lane: partner - x (the lower minus the upper).
template <int Span> __m256 sumAndDifference(__m256 v) noexcept
{
    constexpr int upperLanes = Span == 4 ? 0xf0 : (Span == 2 ? 0xcc : 0xaa);
    const __m256 other = partner<Span>(v);
    return _mm256_blend_ps(_mm256_add_ps(v, other), _mm256_sub_ps(other, v), upperLanes);
}

// Twiddles of the in-register stages by lane: 1 on the lower lanes, the stage's twiddle on the upper ones.
struct LaneTwiddles
{
    __m256 re4, im4, re2, im2;
};

LaneTwiddles laneTwiddles(const FftTables& t) noexcept
{
    const float* r4 = t.stageRe + 3;
    const float* i4 = t.stageIm + 3;
    const float* r2 = t.stageRe + 1;
    const float* i2 = t.stageIm + 1;
    return {_mm256_setr_ps(1.0f, 1.0f, 1.0f, 1.0f, r4[0], r4[1], r4[2], r4[3]),
            _mm256_setr_ps(0.0f, 0.0f, 0.0f, 0.0f, i4[0], i4[1], i4[2], i4[3]),
            _mm256_setr_ps(1.0f, 1.0f, r2[0], r2[1], 1.0f, 1.0f, r2[0], r2[1]),
            _mm256_setr_ps(0.0f, 0.0f, i2[0], i2[1], 0.0f, 0.0f, i2[0], i2[1])};
}

__m256 reversed(__m256 v) noexcept
{
    return _mm256_permutevar8x32_ps(v, _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0));
}
} // namespace

void fftForwardPointsAvx2(const FftTables& t, float* re, float* im) noexcept
{
    const int points = t.points;
    for (int span = points / 2; span >= 8; span /= 2)
    {
        const float* wr = t.stageRe + span - 1;
        const float* wi = t.stageIm + span - 1;
        for (int group = 0; group < points; group += 2 * span)
            for (int j = 0; j < span; j += 8)
            {
                float* ar = re + group + j;
                float* ai = im + group + j;
                const __m256 xr = _mm256_loadu_ps(ar), xi = _mm256_loadu_ps(ai);
                const __m256 yr = _mm256_loadu_ps(ar + span), yi = _mm256_loadu_ps(ai + span);
                _mm256_storeu_ps(ar, _mm256_add_ps(xr, yr));
                _mm256_storeu_ps(ai, _mm256_add_ps(xi, yi));
                const Complex8 d = times({_mm256_sub_ps(xr, yr), _mm256_sub_ps(xi, yi)},
                                         _mm256_loadu_ps(wr + j), _mm256_loadu_ps(wi + j));
                _mm256_storeu_ps(ar + span, d.re);
                _mm256_storeu_ps(ai + span, d.im);
            }
    }
    const LaneTwiddles w = laneTwiddles(t);
    for (int g = 0; g < points; g += 8)
    {
        Complex8 x{_mm256_loadu_ps(re + g), _mm256_loadu_ps(im + g)};
        x = times({sumAndDifference<4>(x.re), sumAndDifference<4>(x.im)}, w.re4, w.im4);
        x = times({sumAndDifference<2>(x.re), sumAndDifference<2>(x.im)}, w.re2, w.im2);
        _mm256_storeu_ps(re + g, sumAndDifference<1>(x.re));
        _mm256_storeu_ps(im + g, sumAndDifference<1>(x.im));
    }
}

void fftInversePointsAvx2(const FftTables& t, float* re, float* im) noexcept
{
    const int points = t.points;
    const LaneTwiddles w = laneTwiddles(t);
    for (int g = 0; g < points; g += 8)
    {
        Complex8 x{_mm256_loadu_ps(re + g), _mm256_loadu_ps(im + g)};
        x = {sumAndDifference<1>(x.re), sumAndDifference<1>(x.im)};
        x = timesConjugate(x, w.re2, w.im2);
        x = {sumAndDifference<2>(x.re), sumAndDifference<2>(x.im)};
        x = timesConjugate(x, w.re4, w.im4);
        _mm256_storeu_ps(re + g, sumAndDifference<4>(x.re));
        _mm256_storeu_ps(im + g, sumAndDifference<4>(x.im));
    }
    for (int span = 8; span < points; span *= 2)
    {
        const float* wr = t.stageRe + span - 1;
        const float* wi = t.stageIm + span - 1;
        for (int group = 0; group < points; group += 2 * span)
            for (int j = 0; j < span; j += 8)
            {
                float* ar = re + group + j;
                float* ai = im + group + j;
                const Complex8 b = timesConjugate({_mm256_loadu_ps(ar + span), _mm256_loadu_ps(ai + span)},
                                                  _mm256_loadu_ps(wr + j), _mm256_loadu_ps(wi + j));
                const __m256 xr = _mm256_loadu_ps(ar), xi = _mm256_loadu_ps(ai);
                _mm256_storeu_ps(ar, _mm256_add_ps(xr, b.re));
                _mm256_storeu_ps(ai, _mm256_add_ps(xi, b.im));
                _mm256_storeu_ps(ar + span, _mm256_sub_ps(xr, b.re));
                _mm256_storeu_ps(ai + span, _mm256_sub_ps(xi, b.im));
            }
    }
}

namespace
{
// One side of the forward split for eight slots: x at the slots, y at their partners (lane by lane).
Complex8 splitForward(Complex8 x, Complex8 y, __m256 wr, __m256 wi) noexcept
{
    const __m256 half = _mm256_set1_ps(0.5f), minusHalf = _mm256_set1_ps(-0.5f);
    const __m256 er = _mm256_mul_ps(half, _mm256_add_ps(x.re, y.re));
    const __m256 ei = _mm256_mul_ps(half, _mm256_sub_ps(x.im, y.im));
    const __m256 oddR = _mm256_mul_ps(half, _mm256_add_ps(x.im, y.im));
    const __m256 oddI = _mm256_mul_ps(minusHalf, _mm256_sub_ps(x.re, y.re));
    const Complex8 t = times({oddR, oddI}, wr, wi);
    return {_mm256_add_ps(er, t.re), _mm256_add_ps(ei, t.im)};
}

Complex8 splitInverse(Complex8 x, Complex8 y, __m256 wr, __m256 wi) noexcept
{
    const __m256 half = _mm256_set1_ps(0.5f);
    const __m256 er = _mm256_mul_ps(half, _mm256_add_ps(x.re, y.re));
    const __m256 ei = _mm256_mul_ps(half, _mm256_sub_ps(x.im, y.im));
    const __m256 dr = _mm256_mul_ps(half, _mm256_sub_ps(x.re, y.re));
    const __m256 di = _mm256_mul_ps(half, _mm256_add_ps(x.im, y.im));
    // d times conj(W): the scalar pass negates the twiddle's imaginary part first.
    const __m256 negWi = _mm256_sub_ps(_mm256_setzero_ps(), wi);
    const Complex8 o = times({dr, di}, wr, negWi);
    return {_mm256_sub_ps(er, o.im), _mm256_add_ps(ei, o.re)};
}

template <bool Forward> void split(const FftTables& t, float* re, float* im) noexcept
{
    for (int octave = 16; octave < t.points; octave *= 2)
        for (int n = 0; n < octave / 2; n += 8)
        {
            const int p = octave + n;
            const int q = 3 * octave - 8 - p; // lowest of the eight partner slots
            const Complex8 x{_mm256_loadu_ps(re + p), _mm256_loadu_ps(im + p)};
            const Complex8 y{reversed(_mm256_loadu_ps(re + q)), reversed(_mm256_loadu_ps(im + q))};
            const __m256 xwr = _mm256_loadu_ps(t.slotTwiddleRe + p),
                         xwi = _mm256_loadu_ps(t.slotTwiddleIm + p);
            const __m256 ywr = reversed(_mm256_loadu_ps(t.slotTwiddleRe + q));
            const __m256 ywi = reversed(_mm256_loadu_ps(t.slotTwiddleIm + q));
            const Complex8 outX = Forward ? splitForward(x, y, xwr, xwi) : splitInverse(x, y, xwr, xwi);
            const Complex8 outY = Forward ? splitForward(y, x, ywr, ywi) : splitInverse(y, x, ywr, ywi);
            _mm256_storeu_ps(re + p, outX.re);
            _mm256_storeu_ps(im + p, outX.im);
            _mm256_storeu_ps(re + q, reversed(outY.re));
            _mm256_storeu_ps(im + q, reversed(outY.im));
        }
}
} // namespace

void fftSplitForwardAvx2(const FftTables& t, float* re, float* im) noexcept
{
    split<true>(t, re, im);
}

void fftSplitInverseAvx2(const FftTables& t, float* re, float* im) noexcept
{
    split<false>(t, re, im);
}

} // namespace vivera::dsp::kernels
