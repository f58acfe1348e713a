// Real FFT in single precision with tables computed once in prepare: no allocation, no framework.
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
        alignas(32) float re[kMaxPoints] = {};
        alignas(32) float im[kMaxPoints] = {};
    };

    int size = 0; // N, a power of two in [4, kMaxSize]; 0 before prepare
    // Per butterfly stage with half-span L (L = 1, 2, 4, ... N/4), e^(-2 pi i j / (2L)) for j < L, stored
    // contiguously from offset L - 1 so that each stage streams its own table.
    alignas(32) float stageRe[kMaxPoints] = {};
    alignas(32) float stageIm[kMaxPoints] = {};
    // e^(-2 pi i k / N) for the bin k held at each slot of a packed spectrum: the twiddles of the split into
    // the real spectrum, in slot order so that the split streams them.
    alignas(32) float slotTwiddleRe[kMaxPoints] = {};
    alignas(32) float slotTwiddleIm[kMaxPoints] = {};
    int bitReversed[kMaxPoints] = {};

    // Sets the size (clamped to [4, kMaxSize] and rounded down to a power of two) and computes the tables.
    void prepare(int n) noexcept;

    // Spectrum of N real samples: bins 0..N/2 as interleaved (re, im) pairs, N + 2 values, unscaled.
    // spectrum may not alias input.
    void forward(const float* input, float* spectrum) const noexcept;

    // Inverse of forward, scaled by 1/N so that inverse(forward(x)) == x. Overwrites spectrum.
    void inverse(float* spectrum, float* output) const noexcept;

    // The same transforms on packed spectra (see PackedSpectrum). inversePacked overwrites its spectrum.
    void forwardPacked(const float* input, PackedSpectrum& spectrum) const noexcept;
    void inversePacked(PackedSpectrum& spectrum, float* output) const noexcept;

    // b = conj(a) b bin by bin: the spectrum of the cross-correlation sum_k a[k] b[k + m] (circular).
    void multiplyConjugate(const PackedSpectrum& a, PackedSpectrum& b) const noexcept;
};

namespace kernels
{
// The passes of RealFft, on separate real and imaginary arrays of `points` complex values. Forward points:
// natural order in, bit-reversed out (decimation in frequency); inverse points: bit-reversed in, natural out,
// conjugate twiddles, unscaled (decimation in time). The splits turn the transform of the even samples (as
// real parts) and odd samples (as imaginary parts) into the real spectrum and back, slot by slot except the
// shared DC/Nyquist slot 0, for the slots below endSlot. The 256-bit versions need points >= 32.
struct FftTables
{
    int points;
    const float* stageRe;
    const float* stageIm;
    const float* slotTwiddleRe;
    const float* slotTwiddleIm;
};
void fftForwardPointsScalar(const FftTables& t, float* re, float* im) noexcept;
void fftInversePointsScalar(const FftTables& t, float* re, float* im) noexcept;
void fftSplitForwardScalar(const FftTables& t, float* re, float* im, int endSlot) noexcept;
void fftSplitInverseScalar(const FftTables& t, float* re, float* im, int endSlot) noexcept;
void fftForwardPointsAvx2(const FftTables& t, float* re, float* im) noexcept;
void fftInversePointsAvx2(const FftTables& t, float* re, float* im) noexcept;
void fftSplitForwardAvx2(const FftTables& t, float* re, float* im) noexcept; // slots 16 and up
void fftSplitInverseAvx2(const FftTables& t, float* re, float* im) noexcept; // slots 16 and up
} // namespace kernels

} // namespace vivera::dsp
