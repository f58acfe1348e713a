// Real FFT in double precision with tables computed once in prepare: no allocation, no framework.
#pragma once

namespace vivera::dsp
{

struct RealFft
{
    static constexpr int kMaxSize = 1024;
    static constexpr int kMaxPoints = kMaxSize / 2; // complex points of the half-size transform

    // A spectrum in the transform's own bin order: bit-reversed, with the real DC and Nyquist bins packed
    // into slot 0 (re = DC, im = Nyquist). Producing it skips the reordering passes; it is all a product of
    // two spectra (a correlation or convolution) needs.
    struct PackedSpectrum
    {
        double re[kMaxPoints] = {};
        double im[kMaxPoints] = {};
    };

    int size = 0; // N, a power of two in [4, kMaxSize]; 0 before prepare
    // e^(-2 pi i k / N) for k < N/2: the twiddles of the split into the real spectrum.
    double twiddleRe[kMaxPoints] = {};
    double twiddleIm[kMaxPoints] = {};
    // Per butterfly stage with half-span L (L = 1, 2, 4, ... N/4), e^(-2 pi i j / (2L)) for j < L, stored
    // contiguously from offset L - 1 so that each stage streams its own table.
    double stageRe[kMaxPoints] = {};
    double stageIm[kMaxPoints] = {};
    int bitReversed[kMaxPoints] = {};

    // Sets the size (clamped to [4, kMaxSize] and rounded down to a power of two) and computes the tables.
    void prepare(int n) noexcept;

    // Spectrum of N real samples: bins 0..N/2 as interleaved (re, im) pairs, N + 2 doubles, unscaled.
    // spectrum may not alias input.
    void forward(const double* input, double* spectrum) const noexcept;

    // Inverse of forward, scaled by 1/N so that inverse(forward(x)) == x. Overwrites spectrum.
    void inverse(double* spectrum, double* output) const noexcept;

    // The same transforms on packed spectra (see PackedSpectrum). inversePacked overwrites its spectrum.
    void forwardPacked(const double* input, PackedSpectrum& spectrum) const noexcept;
    void inversePacked(PackedSpectrum& spectrum, double* output) const noexcept;

    // b = conj(a) b bin by bin: the spectrum of the cross-correlation sum_k a[k] b[k + m] (circular).
    void multiplyConjugate(const PackedSpectrum& a, PackedSpectrum& b) const noexcept;

private:
    // Complex transform of N/2 points held as separate real and imaginary arrays. Forward: natural order in,
    // bit-reversed out (decimation in frequency). Inverse: bit-reversed in, natural out, conjugate twiddles,
    // unscaled (decimation in time).
    void forwardPoints(double* re, double* im) const noexcept;
    void inversePoints(double* re, double* im) const noexcept;
};

} // namespace vivera::dsp
