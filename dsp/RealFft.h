// Radix-2 real FFT in double precision with tables computed once in prepare: no allocation, no framework.
#pragma once

namespace vivera::dsp
{

struct RealFft
{
    static constexpr int kMaxSize = 1024;

    int size = 0; // N, a power of two in [4, kMaxSize]; 0 before prepare
    // e^(-2 pi i k / N) for k < N/2: the twiddles of the half-size complex transform (every other entry) and
    // of the split into the real spectrum.
    double twiddleRe[kMaxSize / 2] = {};
    double twiddleIm[kMaxSize / 2] = {};
    int bitReversed[kMaxSize / 2] = {};

    // Sets the size (clamped to [4, kMaxSize] and rounded down to a power of two) and computes the tables.
    void prepare(int n) noexcept;

    // Spectrum of N real samples: bins 0..N/2 as interleaved (re, im) pairs, N + 2 doubles, unscaled.
    // spectrum may not alias input.
    void forward(const double* input, double* spectrum) const noexcept;

    // Inverse of forward, scaled by 1/N so that inverse(forward(x)) == x. Overwrites spectrum.
    void inverse(double* spectrum, double* output) const noexcept;

private:
    // In-place complex transform of N/2 interleaved points; inverse uses conjugated twiddles, unscaled.
    void transformHalf(double* data, bool inverseDirection) const noexcept;
};

} // namespace vivera::dsp
