// Real FFT through a complex transform of half the size: the even samples as real parts and the odd ones as
// imaginary parts, then a split step that separates the two spectra. The complex transform works on separate
// real and imaginary arrays with one contiguous twiddle table per stage, so its inner loops vectorise, and
// the pair of decimation-in-frequency and decimation-in-time passes needs no bit-reversal pass.
#include "dsp/RealFft.h"

#include <algorithm>
#include <cmath>

namespace vivera::dsp
{

void RealFft::prepare(int n) noexcept
{
    n = std::clamp(n, 4, kMaxSize);
    int powerOfTwo = 4;
    while (powerOfTwo * 2 <= n)
        powerOfTwo *= 2;
    size = powerOfTwo;

    constexpr double kTwoPi = 6.283185307179586476925;
    const int points = size / 2;
    for (int k = 0; k < points; ++k)
    {
        const double angle = -kTwoPi * k / size;
        twiddleRe[k] = std::cos(angle);
        twiddleIm[k] = std::sin(angle);
    }
    for (int span = 1; span < points; span *= 2)
        for (int j = 0; j < span; ++j)
        {
            const double angle = -kTwoPi * j / (2 * span);
            stageRe[span - 1 + j] = std::cos(angle);
            stageIm[span - 1 + j] = std::sin(angle);
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
    }
}

void RealFft::forwardPoints(double* re, double* im) const noexcept
{
    const int points = size / 2;
    const int lastGeneralSpan = points >= 4 ? 4 : 1;
    for (int span = points / 2; span >= lastGeneralSpan; span /= 2)
    {
        const double* wr = stageRe + span - 1;
        const double* wi = stageIm + span - 1;
        for (int group = 0; group < points; group += 2 * span)
        {
            double* ar = re + group;
            double* ai = im + group;
            double* br = ar + span;
            double* bi = ai + span;
            for (int j = 0; j < span; ++j)
            {
                const double sr = ar[j] + br[j], si = ai[j] + bi[j];
                const double dr = ar[j] - br[j], di = ai[j] - bi[j];
                ar[j] = sr;
                ai[j] = si;
                br[j] = dr * wr[j] - di * wi[j];
                bi[j] = dr * wi[j] + di * wr[j];
            }
        }
    }
    if (points < 4)
        return;
    // Spans 2 and 1 together: their twiddles are 1 and -i, so no multiplications and no short loops.
    for (int g = 0; g < points; g += 4)
    {
        double* r = re + g;
        double* i = im + g;
        const double a0r = r[0] + r[2], a0i = i[0] + i[2];
        const double a2r = r[0] - r[2], a2i = i[0] - i[2];
        const double a1r = r[1] + r[3], a1i = i[1] + i[3];
        const double a3r = i[1] - i[3], a3i = r[3] - r[1]; // (x1 - x3) times -i
        r[0] = a0r + a1r;
        i[0] = a0i + a1i;
        r[1] = a0r - a1r;
        i[1] = a0i - a1i;
        r[2] = a2r + a3r;
        i[2] = a2i + a3i;
        r[3] = a2r - a3r;
        i[3] = a2i - a3i;
    }
}

void RealFft::inversePoints(double* re, double* im) const noexcept
{
    const int points = size / 2;
    int firstGeneralSpan = 1;
    if (points >= 4)
    {
        // Spans 1 and 2 together: their conjugate twiddles are 1 and +i.
        for (int g = 0; g < points; g += 4)
        {
            double* r = re + g;
            double* i = im + g;
            const double b0r = r[0] + r[1], b0i = i[0] + i[1];
            const double b1r = r[0] - r[1], b1i = i[0] - i[1];
            const double b2r = r[2] + r[3], b2i = i[2] + i[3];
            const double tr = i[3] - i[2], ti = r[2] - r[3]; // (x2 - x3) times +i
            r[0] = b0r + b2r;
            i[0] = b0i + b2i;
            r[2] = b0r - b2r;
            i[2] = b0i - b2i;
            r[1] = b1r + tr;
            i[1] = b1i + ti;
            r[3] = b1r - tr;
            i[3] = b1i - ti;
        }
        firstGeneralSpan = 4;
    }
    for (int span = firstGeneralSpan; span < points; span *= 2)
    {
        const double* wr = stageRe + span - 1;
        const double* wi = stageIm + span - 1;
        for (int group = 0; group < points; group += 2 * span)
        {
            double* ar = re + group;
            double* ai = im + group;
            double* br = ar + span;
            double* bi = ai + span;
            for (int j = 0; j < span; ++j)
            {
                // b times the conjugate twiddle.
                const double tr = br[j] * wr[j] + bi[j] * wi[j];
                const double ti = bi[j] * wr[j] - br[j] * wi[j];
                const double xr = ar[j], xi = ai[j];
                ar[j] = xr + tr;
                ai[j] = xi + ti;
                br[j] = xr - tr;
                bi[j] = xi - ti;
            }
        }
    }
}

void RealFft::forwardPacked(const double* input, PackedSpectrum& s) const noexcept
{
    const int points = size / 2;
    for (int j = 0; j < points; ++j)
    {
        s.re[j] = input[2 * j];
        s.im[j] = input[2 * j + 1];
    }
    forwardPoints(s.re, s.im);

    // Z = FFT(even + i odd): E = (Z[k] + conj Z[h-k]) / 2, O = (Z[k] - conj Z[h-k]) / 2i,
    // X[k] = E + W^k O and X[h-k] = conj(E - W^k O). Bin k of Z sits at slot bitReversed[k].
    const double z0r = s.re[0], z0i = s.im[0];
    s.re[0] = z0r + z0i; // DC
    s.im[0] = z0r - z0i; // Nyquist
    for (int k = 1; k <= points / 2; ++k)
    {
        const int p = bitReversed[k], q = bitReversed[points - k];
        const double ar = s.re[p], ai = s.im[p];
        const double br = s.re[q], bi = s.im[q];
        const double er = 0.5 * (ar + br), ei = 0.5 * (ai - bi);
        const double or_ = 0.5 * (ai + bi), oi = -0.5 * (ar - br);
        const double wr = twiddleRe[k], wi = twiddleIm[k];
        const double tr = wr * or_ - wi * oi, ti = wr * oi + wi * or_;
        s.re[p] = er + tr;
        s.im[p] = ei + ti;
        s.re[q] = er - tr;
        s.im[q] = -(ei - ti);
    }
}

void RealFft::inversePacked(PackedSpectrum& s, double* output) const noexcept
{
    const int points = size / 2;
    // Z[k] = E + i O with E = (X[k] + conj X[h-k]) / 2 and O = (X[k] - conj X[h-k]) / 2 conj(W^k);
    // Z[h-k] = conj E + i conj O.
    const double dc = s.re[0], nyquist = s.im[0];
    s.re[0] = 0.5 * (dc + nyquist);
    s.im[0] = 0.5 * (dc - nyquist);
    for (int k = 1; k <= points / 2; ++k)
    {
        const int p = bitReversed[k], q = bitReversed[points - k];
        const double ar = s.re[p], ai = s.im[p];
        const double br = s.re[q], bi = s.im[q];
        const double er = 0.5 * (ar + br), ei = 0.5 * (ai - bi);
        const double dr = 0.5 * (ar - br), di = 0.5 * (ai + bi);
        const double wr = twiddleRe[k], wi = -twiddleIm[k];
        const double or_ = dr * wr - di * wi, oi = dr * wi + di * wr;
        s.re[p] = er - oi; // E + i O
        s.im[p] = ei + or_;
        s.re[q] = er + oi; // conj E + i conj O
        s.im[q] = -ei + or_;
    }
    inversePoints(s.re, s.im);
    const double scale = 1.0 / points;
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
    const double dc = a.re[0] * b.re[0], nyquist = a.im[0] * b.im[0];
    for (int j = 0; j < points; ++j)
    {
        const double ar = a.re[j], ai = a.im[j], br = b.re[j], bi = b.im[j];
        b.re[j] = ar * br + ai * bi;
        b.im[j] = ar * bi - ai * br;
    }
    b.re[0] = dc;
    b.im[0] = nyquist;
}

void RealFft::forward(const double* input, double* spectrum) const noexcept
{
    PackedSpectrum packed;
    forwardPacked(input, packed);
    const int points = size / 2;
    spectrum[0] = packed.re[0];
    spectrum[1] = 0.0;
    spectrum[size] = packed.im[0];
    spectrum[size + 1] = 0.0;
    for (int k = 1; k < points; ++k)
    {
        spectrum[2 * k] = packed.re[bitReversed[k]];
        spectrum[2 * k + 1] = packed.im[bitReversed[k]];
    }
}

void RealFft::inverse(double* spectrum, double* output) const noexcept
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
