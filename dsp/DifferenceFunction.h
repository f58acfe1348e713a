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
    double samples[kFrameSize] = {};      // the frame widened to double, zero-padded in front
    double newest[kFrameSize] = {};       // the newest windowLength samples, zero-padded after
    double spectrum[kFrameSize + 2] = {}; // spectrum of samples, then the cross-spectrum
    double newestSpectrum[kFrameSize + 2] = {};
    double correlation[kFrameSize] = {};

    // Computes the transform's tables; the only set-up, done before the first compute.
    void prepare() noexcept;

    // For lag tau = 1..maxLag: d[tau] = sum over the newest windowLength samples n of the frame of
    // (frame[n] - frame[n - tau])^2, so every lag reads the most recent audio; d[0] = 0. The frame holds
    // kFrameSize samples in time order; only the last windowLength + maxLag are read (clamped to the frame).
    // Equals the direct sums up to rounding; never negative.
    void compute(const float* frame, int windowLength, int maxLag, double* d) noexcept;
};

} // namespace vivera::dsp
