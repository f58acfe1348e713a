// Real FFT through a complex transform of half the size: the even samples as real parts and the odd ones as
// imaginary parts, then a split step that separates the two spectra.
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

    const int half = size / 2;
    for (int k = 0; k < half; ++k)
    {
        const double angle = -2.0 * 3.14159265358979323846 * k / size;
        twiddleRe[k] = std::cos(angle);
        twiddleIm[k] = std::sin(angle);
    }
    int bits = 0;
    while ((1 << bits) < half)
        ++bits;
    for (int k = 0; k < half; ++k)
    {
        int reversed = 0;
        for (int b = 0; b < bits; ++b)
            reversed |= ((k >> b) & 1) << (bits - 1 - b);
        bitReversed[k] = reversed;
    }
}

void RealFft::transformHalf(double* data, bool inverseDirection) const noexcept
{
    const int points = size / 2;
    for (int k = 0; k < points; ++k)
    {
        const int r = bitReversed[k];
        if (r > k)
        {
            std::swap(data[2 * k], data[2 * r]);
            std::swap(data[2 * k + 1], data[2 * r + 1]);
        }
    }
    const double sign = inverseDirection ? -1.0 : 1.0;

    // First two stages have trivial twiddles (1 and -i): done as one radix-4 pass.
    if (points >= 4)
    {
        for (int i = 0; i < points; i += 4)
        {
            double* p = data + 2 * i;
            const double r0 = p[0] + p[2], i0 = p[1] + p[3];
            const double r1 = p[0] - p[2], i1 = p[1] - p[3];
            const double r2 = p[4] + p[6], i2 = p[5] + p[7];
            const double r3 = p[4] - p[6], i3 = p[5] - p[7];
            // r3 + i i3 times -i (forward) or +i (inverse).
            const double t3r = sign * i3, t3i = -sign * r3;
            p[0] = r0 + r2;
            p[1] = i0 + i2;
            p[4] = r0 - r2;
            p[5] = i0 - i2;
            p[2] = r1 + t3r;
            p[3] = i1 + t3i;
            p[6] = r1 - t3r;
            p[7] = i1 - t3i;
        }
    }
    else
    {
        for (int i = 0; i < points; i += 2)
        {
            double* p = data + 2 * i;
            const double r0 = p[0], i0 = p[1];
            p[0] = r0 + p[2];
            p[1] = i0 + p[3];
            p[2] = r0 - p[2];
            p[3] = i0 - p[3];
        }
    }

    for (int length = 8; length <= points; length *= 2)
    {
        const int halfLength = length / 2;
        const int stride = size / length; // twiddle index step in the size-N table
        for (int i = 0; i < points; i += length)
        {
            double* lower = data + 2 * i;
            double* upper = lower + 2 * halfLength;
            for (int j = 0; j < halfLength; ++j)
            {
                const double wr = twiddleRe[j * stride];
                const double wi = sign * twiddleIm[j * stride];
                const double ur = upper[2 * j], ui = upper[2 * j + 1];
                const double vr = ur * wr - ui * wi;
                const double vi = ur * wi + ui * wr;
                const double lr = lower[2 * j], li = lower[2 * j + 1];
                lower[2 * j] = lr + vr;
                lower[2 * j + 1] = li + vi;
                upper[2 * j] = lr - vr;
                upper[2 * j + 1] = li - vi;
            }
        }
    }
}

void RealFft::forward(const double* input, double* spectrum) const noexcept
{
    const int half = size / 2;
    std::copy(input, input + size, spectrum);
    transformHalf(spectrum, false);

    // Z = FFT(even + i odd): E = (Z[k] + conj Z[h-k]) / 2, O = (Z[k] - conj Z[h-k]) / 2i,
    // X[k] = E + W^k O and X[h-k] = conj(E - W^k O).
    const double z0r = spectrum[0], z0i = spectrum[1];
    spectrum[0] = z0r + z0i;
    spectrum[1] = 0.0;
    spectrum[size] = z0r - z0i;
    spectrum[size + 1] = 0.0;
    for (int k = 1; k <= half / 2; ++k)
    {
        const int m = half - k;
        const double ar = spectrum[2 * k], ai = spectrum[2 * k + 1];
        const double br = spectrum[2 * m], bi = spectrum[2 * m + 1];
        const double er = 0.5 * (ar + br), ei = 0.5 * (ai - bi);
        const double or_ = 0.5 * (ai + bi), oi = -0.5 * (ar - br);
        const double wr = twiddleRe[k], wi = twiddleIm[k];
        const double tr = wr * or_ - wi * oi, ti = wr * oi + wi * or_;
        spectrum[2 * k] = er + tr;
        spectrum[2 * k + 1] = ei + ti;
        spectrum[2 * m] = er - tr;
        spectrum[2 * m + 1] = -(ei - ti);
    }
}

void RealFft::inverse(double* spectrum, double* output) const noexcept
{
    const int half = size / 2;
    // Z[k] = E + i O with E = (X[k] + conj X[h-k]) / 2 and O = (X[k] - conj X[h-k]) / 2 conj(W^k);
    // Z[h-k] = conj E + i conj O.
    const double x0 = spectrum[0], xh = spectrum[size];
    spectrum[0] = 0.5 * (x0 + xh);
    spectrum[1] = 0.5 * (x0 - xh);
    for (int k = 1; k <= half / 2; ++k)
    {
        const int m = half - k;
        const double ar = spectrum[2 * k], ai = spectrum[2 * k + 1];
        const double br = spectrum[2 * m], bi = spectrum[2 * m + 1];
        const double er = 0.5 * (ar + br), ei = 0.5 * (ai - bi);
        const double dr = 0.5 * (ar - br), di = 0.5 * (ai + bi);
        const double wr = twiddleRe[k], wi = -twiddleIm[k];
        const double or_ = dr * wr - di * wi, oi = dr * wi + di * wr;
        // i O = (-oi, or)
        spectrum[2 * k] = er - oi;
        spectrum[2 * k + 1] = ei + or_;
        // conj E + i conj O = (er, -ei) + (oi, or)
        spectrum[2 * m] = er + oi;
        spectrum[2 * m + 1] = -ei + or_;
    }
    transformHalf(spectrum, true);
    const double scale = 1.0 / half;
    for (int i = 0; i < size; ++i)
        output[i] = spectrum[i] * scale;
}

} // namespace vivera::dsp
