// 256-bit bodies of the RealFft passes, eight single-precision values to a register. The stages whose
// butterflies span eight or more points run across registers, two stages per pass over the data; the last
// three (spans 4, 2, 1) pair lanes of one register and are done in-register with lane shuffles, so no pass
// falls back to scalar code. The transform needs at least 32 points. Built with
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

namespace
{
Complex8 load(const float* re, const float* im) noexcept
{
    return {_mm256_loadu_ps(re), _mm256_loadu_ps(im)};
}

void store(Complex8 x, float* re, float* im) noexcept
{
    _mm256_storeu_ps(re, x.re);
    _mm256_storeu_ps(im, x.im);
}

Complex8 plus(Complex8 a, Complex8 b) noexcept
{
    return {_mm256_add_ps(a.re, b.re), _mm256_add_ps(a.im, b.im)};
}

Complex8 minus(Complex8 a, Complex8 b) noexcept
{
    return {_mm256_sub_ps(a.re, b.re), _mm256_sub_ps(a.im, b.im)};
}

// Decimation-in-frequency butterfly: a + b, (a - b) w.
void forwardButterfly(Complex8& a, Complex8& b, const float* wr, const float* wi) noexcept
{
    const Complex8 difference = minus(a, b);
    a = plus(a, b);
    b = times(difference, _mm256_loadu_ps(wr), _mm256_loadu_ps(wi));
}

// Decimation-in-time butterfly: a + b conj(w), a - b conj(w).
void inverseButterfly(Complex8& a, Complex8& b, const float* wr, const float* wi) noexcept
{
    const Complex8 t = timesConjugate(b, _mm256_loadu_ps(wr), _mm256_loadu_ps(wi));
    b = minus(a, t);
    a = plus(a, t);
}

Complex8 forwardTail(Complex8 x, const LaneTwiddles& w) noexcept
{
    x = times({sumAndDifference<4>(x.re), sumAndDifference<4>(x.im)}, w.re4, w.im4);
    x = times({sumAndDifference<2>(x.re), sumAndDifference<2>(x.im)}, w.re2, w.im2);
    return {sumAndDifference<1>(x.re), sumAndDifference<1>(x.im)};
}

Complex8 inverseHead(Complex8 x, const LaneTwiddles& w) noexcept
{
    x = {sumAndDifference<1>(x.re), sumAndDifference<1>(x.im)};
    x = timesConjugate(x, w.re2, w.im2);
    x = {sumAndDifference<2>(x.re), sumAndDifference<2>(x.im)};
    x = timesConjugate(x, w.re4, w.im4);
    return {sumAndDifference<4>(x.re), sumAndDifference<4>(x.im)};
}

// Two stages per pass over the data (half-spans 2s and s), the same butterflies as one stage at a time.
// Stages with half-spans of 32 and more run this way; the last pass does 16, 8 and the in-register stages on
// 32 points at a time, so the whole transform reads and writes the data three times for 512 points.
constexpr int kLastPassPoints = 32;
} // namespace

void fftForwardPointsAvx2(const FftTables& t, float* re, float* im) noexcept
{
    const int points = t.points;
    const float* wr = t.stageRe;
    const float* wi = t.stageIm;
    int span = points / 2;
    // An odd number of stages above the last pass: one of them alone.
    int stagesAbove = 0;
    for (int s = span; s >= kLastPassPoints; s /= 2)
        ++stagesAbove;
    if (stagesAbove % 2 == 1)
    {
        for (int group = 0; group < points; group += 2 * span)
            for (int j = 0; j < span; j += 8)
            {
                float* r = re + group + j;
                float* i = im + group + j;
                Complex8 a = load(r, i), b = load(r + span, i + span);
                forwardButterfly(a, b, wr + span - 1 + j, wi + span - 1 + j);
                store(a, r, i);
                store(b, r + span, i + span);
            }
        span /= 2;
    }
    for (; span >= 2 * kLastPassPoints; span /= 4)
    {
        const int inner = span / 2;
        for (int group = 0; group < points; group += 2 * span)
            for (int j = 0; j < inner; j += 8)
            {
                float* r = re + group + j;
                float* i = im + group + j;
                Complex8 x0 = load(r, i), x1 = load(r + inner, i + inner);
                Complex8 x2 = load(r + span, i + span), x3 = load(r + span + inner, i + span + inner);
                forwardButterfly(x0, x2, wr + span - 1 + j, wi + span - 1 + j);
                forwardButterfly(x1, x3, wr + span - 1 + inner + j, wi + span - 1 + inner + j);
                forwardButterfly(x0, x1, wr + inner - 1 + j, wi + inner - 1 + j);
                forwardButterfly(x2, x3, wr + inner - 1 + j, wi + inner - 1 + j);
                store(x0, r, i);
                store(x1, r + inner, i + inner);
                store(x2, r + span, i + span);
                store(x3, r + span + inner, i + span + inner);
            }
    }
    const LaneTwiddles w = laneTwiddles(t);
    for (int g = 0; g < points; g += kLastPassPoints)
    {
        float* r = re + g;
        float* i = im + g;
        Complex8 x0 = load(r, i), x1 = load(r + 8, i + 8), x2 = load(r + 16, i + 16),
                 x3 = load(r + 24, i + 24);
        forwardButterfly(x0, x2, wr + 15, wi + 15);
        forwardButterfly(x1, x3, wr + 23, wi + 23);
        forwardButterfly(x0, x1, wr + 7, wi + 7);
        forwardButterfly(x2, x3, wr + 7, wi + 7);
        store(forwardTail(x0, w), r, i);
        store(forwardTail(x1, w), r + 8, i + 8);
        store(forwardTail(x2, w), r + 16, i + 16);
        store(forwardTail(x3, w), r + 24, i + 24);
    }
}

void fftInversePointsAvx2(const FftTables& t, float* re, float* im) noexcept
{
    const int points = t.points;
    const float* wr = t.stageRe;
    const float* wi = t.stageIm;
    const LaneTwiddles w = laneTwiddles(t);
    for (int g = 0; g < points; g += kLastPassPoints)
    {
        float* r = re + g;
        float* i = im + g;
        Complex8 x0 = inverseHead(load(r, i), w), x1 = inverseHead(load(r + 8, i + 8), w);
        Complex8 x2 = inverseHead(load(r + 16, i + 16), w), x3 = inverseHead(load(r + 24, i + 24), w);
        inverseButterfly(x0, x1, wr + 7, wi + 7);
        inverseButterfly(x2, x3, wr + 7, wi + 7);
        inverseButterfly(x0, x2, wr + 15, wi + 15);
        inverseButterfly(x1, x3, wr + 23, wi + 23);
        store(x0, r, i);
        store(x1, r + 8, i + 8);
        store(x2, r + 16, i + 16);
        store(x3, r + 24, i + 24);
    }
    int inner = kLastPassPoints;
    for (; 4 * inner <= points; inner *= 4)
    {
        const int span = 2 * inner;
        for (int group = 0; group < points; group += 2 * span)
            for (int j = 0; j < inner; j += 8)
            {
                float* r = re + group + j;
                float* i = im + group + j;
                Complex8 x0 = load(r, i), x1 = load(r + inner, i + inner);
                Complex8 x2 = load(r + span, i + span), x3 = load(r + span + inner, i + span + inner);
                inverseButterfly(x0, x1, wr + inner - 1 + j, wi + inner - 1 + j);
                inverseButterfly(x2, x3, wr + inner - 1 + j, wi + inner - 1 + j);
                inverseButterfly(x0, x2, wr + span - 1 + j, wi + span - 1 + j);
                inverseButterfly(x1, x3, wr + span - 1 + inner + j, wi + span - 1 + inner + j);
                store(x0, r, i);
                store(x1, r + inner, i + inner);
                store(x2, r + span, i + span);
                store(x3, r + span + inner, i + span + inner);
            }
    }
    if (inner < points)
    {
        // An odd number of stages above the first pass: the last one alone.
        const int span = inner;
        for (int group = 0; group < points; group += 2 * span)
            for (int j = 0; j < span; j += 8)
            {
                float* r = re + group + j;
                float* i = im + group + j;
                Complex8 a = load(r, i), b = load(r + span, i + span);
                inverseButterfly(a, b, wr + span - 1 + j, wi + span - 1 + j);
                store(a, r, i);
                store(b, r + span, i + span);
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
