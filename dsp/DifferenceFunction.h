// The difference function of the pitch analysis, computed as energies minus twice a cross-correlation that
// is taken through a real FFT: O(N log N) instead of one multiply-add per lag and sample.
#pragma once

#include "dsp/RealFft.h"

namespace vivera::dsp
{

struct DifferenceFunction
{
    static constexpr int kFrameSize = RealFft::kMaxSize;

    RealFft fft;
    alignas(32) float samples[kFrameSize] = {}; // the frame, zero-padded in front
    alignas(32) float newest[kFrameSize] = {};  // the newest windowLength samples, zero-padded after
    RealFft::PackedSpectrum spectrum;           // spectrum of samples, then the cross-spectrum
    RealFft::PackedSpectrum newestSpectrum;     // spectrum of newest
    alignas(32) float correlation[kFrameSize] = {};

    // Computes the transform's tables; the only set-up, done before the first compute.
    void prepare() noexcept;

    // For lag tau = 1..maxLag: d[tau] = sum over the newest windowLength samples n of the frame of
    // (frame[n] - frame[n - tau])^2, so every lag reads the most recent audio; d[0] = 0. The frame holds
    // kFrameSize samples in time order; only the last windowLength + maxLag are read (clamped to the frame).
    // Never negative. The energies are summed in double; the correlation goes through the transform in single
    // precision, so each value carries an error of a few millionths of the window's energy: at the period of
    // a periodic frame the normalised difference stays within about 1e-5 of zero, far under the strictest
    // threshold (0.02), and the refined period moves by well under a thousandth of a cent.
    void compute(const float* frame, int windowLength, int maxLag, double* d) noexcept;
};

} // namespace vivera::dsp
