// Real FFT through a complex transform of half the size: the even samples as real parts and the odd ones as
// imaginary parts, then a split step that separates the two spectra. The complex transform works on separate
// real and imaginary arrays with one contiguous twiddle table per stage, so its inner loops vectorise, and
// the pair of decimation-in-frequency and decimation-in-time passes needs no bit-reversal pass.
//
// In bit-reversed slot order the bins k and N/2 - k that the split pairs sit in the same octave of slots
// [2^j, 2^(j+1)), mirrored: slot p pairs with slot 3 * 2^j - 1 - p. So the split streams through each octave
// from both ends, which vector registers can do with one lane reversal.
#include "dsp/RealFft.h"
#include "dsp/SimdBuild.h"
#include "dsp/SimdLevel.h"

#include <algorithm>
#include <cmath>

namespace vivera::dsp
{

namespace kernels
{
void fftForwardPointsScalar(const FftTables& t, float* re, float* im) noexcept
{
    const int points = t.points;
    for (int span = points / 2; span >= 1; span /= 2)
    {
        const float* wr = t.stageRe + span - 1;
        const float* wi = t.stageIm + span - 1;
        for (int group = 0; group < points; group += 2 * span)
        {
            float* ar = re + group;
            float* ai = im + group;
            float* br = ar + span;
            float* bi = ai + span;
            for (int j = 0; j < span; ++j)
            {
                const float sr = ar[j] + br[j], si = ai[j] + bi[j];
                const float dr = ar[j] - br[j], di = ai[j] - bi[j];
                ar[j] = sr;
                ai[j] = si;
                br[j] = dr * wr[j] - di * wi[j];
                bi[j] = dr * wi[j] + di * wr[j];
            }
        }
    }
}

void fftInversePointsScalar(const FftTables& t, float* re, float* im) noexcept
{
    const int points = t.points;
    for (int span = 1; span < points; span *= 2)
    {
        const float* wr = t.stageRe + span - 1;
        const float* wi = t.stageIm + span - 1;
        for (int group = 0; group < points; group += 2 * span)
        {
            float* ar = re + group;
            float* ai = im + group;
            float* br = ar + span;
            float* bi = ai + span;
            for (int j = 0; j < span; ++j)
            {
                // b times the conjugate twiddle.
                const float tr = br[j] * wr[j] + bi[j] * wi[j];
                const float ti = bi[j] * wr[j] - br[j] * wi[j];
                const float xr = ar[j], xi = ai[j];
                ar[j] = xr + tr;
                ai[j] = xi + ti;
                br[j] = xr - tr;
                bi[j] = xi - ti;
            }
        }
    }
}

// Z = FFT(even + i odd) at slot p (bin k) and at its partner slot (bin N/2 - k): E = (Z[k] + conj Z[h-k]) /
// 2, O = (Z[k] - conj Z[h-k]) / 2i, X[k] = E + W^k O.
void fftSplitForwardScalar(const FftTables& t, float* re, float* im, int endSlot) noexcept
{
    for (int octave = 1; octave < endSlot; octave *= 2)
    {
        const int pairs = std::max(1, octave / 2);
        for (int n = 0; n < pairs; ++n)
        {
            const int p = octave + n, q = 3 * octave - 1 - p;
            const float ar = re[p], ai = im[p], br = re[q], bi = im[q];
            const auto slot = [&](int s, float xr, float xi, float yr, float yi, float* outR, float* outI)
            {
                const float er = 0.5f * (xr + yr), ei = 0.5f * (xi - yi);
                const float or_ = 0.5f * (xi + yi), oi = -0.5f * (xr - yr);
                const float wr = t.slotTwiddleRe[s], wi = t.slotTwiddleIm[s];
                *outR = er + (wr * or_ - wi * oi);
                *outI = ei + (wr * oi + wi * or_);
            };
            slot(p, ar, ai, br, bi, &re[p], &im[p]);
            if (q != p)
                slot(q, br, bi, ar, ai, &re[q], &im[q]);
        }
    }
}

// The reverse: E = (X[k] + conj X[h-k]) / 2, O = (X[k] - conj X[h-k]) / 2 conj(W^k), Z[k] = E + i O.
void fftSplitInverseScalar(const FftTables& t, float* re, float* im, int endSlot) noexcept
{
    for (int octave = 1; octave < endSlot; octave *= 2)
    {
        const int pairs = std::max(1, octave / 2);
        for (int n = 0; n < pairs; ++n)
        {
            const int p = octave + n, q = 3 * octave - 1 - p;
            const float ar = re[p], ai = im[p], br = re[q], bi = im[q];
            const auto slot = [&](int s, float xr, float xi, float yr, float yi, float* outR, float* outI)
            {
                const float er = 0.5f * (xr + yr), ei = 0.5f * (xi - yi);
                const float dr = 0.5f * (xr - yr), di = 0.5f * (xi + yi);
                const float wr = t.slotTwiddleRe[s], wi = -t.slotTwiddleIm[s];
                const float or_ = dr * wr - di * wi, oi = dr * wi + di * wr;
                *outR = er - oi;
                *outI = ei + or_;
            };
            slot(p, ar, ai, br, bi, &re[p], &im[p]);
            if (q != p)
                slot(q, br, bi, ar, ai, &re[q], &im[q]);
        }
    }
}
} // namespace kernels

namespace
{
#if VIVERA_SIMD_AVX2
constexpr int kVectorSlots = 16;  // the 256-bit split handles the octaves from slot 16 on
constexpr int kVectorPoints = 32; // and the 256-bit transform needs at least this many points
#endif

// The complex transform and the split, forward, on the widest path available.
void transformAndSplit(const kernels::FftTables& t, float* re, float* im) noexcept
{
#if VIVERA_SIMD_AVX2
    if (t.points >= kVectorPoints && activeSimdLevel() == SimdLevel::avx2)
    {
        kernels::fftForwardPointsAvx2(t, re, im);
        kernels::fftSplitForwardAvx2(t, re, im);
        kernels::fftSplitForwardScalar(t, re, im, kVectorSlots);
        return;
    }
#endif
    kernels::fftForwardPointsScalar(t, re, im);
    kernels::fftSplitForwardScalar(t, re, im, t.points);
}

// The reverse: the split back, then the inverse complex transform.
void unsplitAndTransform(const kernels::FftTables& t, float* re, float* im) noexcept
{
#if VIVERA_SIMD_AVX2
    if (t.points >= kVectorPoints && activeSimdLevel() == SimdLevel::avx2)
    {
        kernels::fftSplitInverseAvx2(t, re, im);
        kernels::fftSplitInverseScalar(t, re, im, kVectorSlots);
        kernels::fftInversePointsAvx2(t, re, im);
        return;
    }
#endif
    kernels::fftSplitInverseScalar(t, re, im, t.points);
    kernels::fftInversePointsScalar(t, re, im);
}

kernels::FftTables tablesOf(const RealFft& fft) noexcept
{
    return {fft.size / 2, fft.stageRe, fft.stageIm, fft.slotTwiddleRe, fft.slotTwiddleIm};
}
} // namespace

void RealFft::prepare(int n) noexcept
{
    n = std::clamp(n, 4, kMaxSize);
    int powerOfTwo = 4;
    while (powerOfTwo * 2 <= n)
        powerOfTwo *= 2;
    size = powerOfTwo;

    constexpr double kTwoPi = 6.283185307179586476925;
    const int points = size / 2;
    for (int span = 1; span < points; span *= 2)
        for (int j = 0; j < span; ++j)
        {
            const double angle = -kTwoPi * j / (2 * span);
            stageRe[span - 1 + j] = static_cast<float>(std::cos(angle));
            stageIm[span - 1 + j] = static_cast<float>(std::sin(angle));
        }
    int bits = 0;
    while ((1 << bits) < points)
        ++bits;
    for (int k = 0; k < points; ++k)
    {
        int reversed = 0;
        for (int b = 0; b < bits; ++b)
            reversed |= ((k >> b) & 1) << (bits - 1 - b);
        bitReversed[k] = reversed;
        const double angle = -kTwoPi * k / size;
        slotTwiddleRe[reversed] = static_cast<float>(std::cos(angle));
        slotTwiddleIm[reversed] = static_cast<float>(std::sin(angle));
    }
}

void RealFft::forwardPacked(const float* input, PackedSpectrum& s) const noexcept
{
    const int points = size / 2;
    for (int j = 0; j < points; ++j)
    {
        s.re[j] = input[2 * j];
        s.im[j] = input[2 * j + 1];
    }
    transformAndSplit(tablesOf(*this), s.re, s.im);
    const float z0r = s.re[0], z0i = s.im[0];
    s.re[0] = z0r + z0i; // DC
    s.im[0] = z0r - z0i; // Nyquist
}

void RealFft::inversePacked(PackedSpectrum& s, float* output) const noexcept
{
    const int points = size / 2;
    const float dc = s.re[0], nyquist = s.im[0];
    s.re[0] = 0.5f * (dc + nyquist);
    s.im[0] = 0.5f * (dc - nyquist);
    unsplitAndTransform(tablesOf(*this), s.re, s.im);
    const float scale = 1.0f / static_cast<float>(points);
    for (int j = 0; j < points; ++j)
    {
        output[2 * j] = s.re[j] * scale;
        output[2 * j + 1] = s.im[j] * scale;
    }
}

void RealFft::multiplyConjugate(const PackedSpectrum& a, PackedSpectrum& b) const noexcept
{
    const int points = size / 2;
    // Slot 0 holds two real bins (DC and Nyquist), multiplied separately.
    const float dc = a.re[0] * b.re[0], nyquist = a.im[0] * b.im[0];
    for (int j = 0; j < points; ++j)
    {
        const float ar = a.re[j], ai = a.im[j], br = b.re[j], bi = b.im[j];
        b.re[j] = ar * br + ai * bi;
        b.im[j] = ar * bi - ai * br;
    }
    b.re[0] = dc;
    b.im[0] = nyquist;
}

void RealFft::forward(const float* input, float* spectrum) const noexcept
{
    PackedSpectrum packed;
    forwardPacked(input, packed);
    const int points = size / 2;
    spectrum[0] = packed.re[0];
    spectrum[1] = 0.0f;
    spectrum[size] = packed.im[0];
    spectrum[size + 1] = 0.0f;
    for (int k = 1; k < points; ++k)
    {
        spectrum[2 * k] = packed.re[bitReversed[k]];
        spectrum[2 * k + 1] = packed.im[bitReversed[k]];
    }
}

void RealFft::inverse(float* spectrum, float* output) const noexcept
{
    PackedSpectrum packed;
    const int points = size / 2;
    packed.re[0] = spectrum[0];
    packed.im[0] = spectrum[size];
    for (int k = 1; k < points; ++k)
    {
        packed.re[bitReversed[k]] = spectrum[2 * k];
        packed.im[bitReversed[k]] = spectrum[2 * k + 1];
    }
    inversePacked(packed, output);
}

} // namespace vivera::dsp
