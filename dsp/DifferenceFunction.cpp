// d(tau) = E(newest) + E(newest shifted by tau) - 2 r(tau): the energies by a running sum, r by one
// correlation through the FFT.
#include "dsp/DifferenceFunction.h"

#include <algorithm>

namespace vivera::dsp
{

void DifferenceFunction::prepare() noexcept
{
    fft.prepare(kFrameSize);
}

void DifferenceFunction::compute(const float* frame, int windowLength, int maxLag, double* d) noexcept
{
    if (fft.size != kFrameSize)
        prepare();
    maxLag = std::clamp(maxLag, 0, kFrameSize - 1);
    windowLength = std::clamp(windowLength, 0, kFrameSize - maxLag);
    const int used = windowLength + maxLag;
    const int first = kFrameSize - used; // samples[first + n] is the n-th sample read

    std::fill(samples, samples + first, 0.0);
    for (int i = first; i < kFrameSize; ++i)
        samples[i] = frame[i];
    const double* newestStart = samples + kFrameSize - windowLength;
    std::copy(newestStart, newestStart + windowLength, newest);
    std::fill(newest + windowLength, newest + kFrameSize, 0.0);

    // c(m) = sum_k newest[k] samples[k + m] without wrap-around, since k + m < kFrameSize for m <= used -
    // windowLength; the lag-tau correlation is c(kFrameSize - windowLength - tau).
    fft.forward(samples, spectrum);
    fft.forward(newest, newestSpectrum);
    for (int k = 0; k <= kFrameSize / 2; ++k)
    {
        const double ar = newestSpectrum[2 * k], ai = newestSpectrum[2 * k + 1];
        const double br = spectrum[2 * k], bi = spectrum[2 * k + 1];
        spectrum[2 * k] = ar * br + ai * bi; // conj(A) B
        spectrum[2 * k + 1] = ar * bi - ai * br;
    }
    fft.inverse(spectrum, correlation);

    double newestEnergy = 0.0;
    for (int k = 0; k < windowLength; ++k)
        newestEnergy += newest[k] * newest[k];
    const int newestOffset = kFrameSize - windowLength;
    double shiftedEnergy = newestEnergy; // energy of the window moved tau samples into the past
    d[0] = 0.0;
    for (int tau = 1; tau <= maxLag; ++tau)
    {
        const double entering = samples[newestOffset - tau];
        const double leaving = samples[kFrameSize - tau];
        shiftedEnergy += entering * entering - leaving * leaving;
        const double value = newestEnergy + shiftedEnergy - 2.0 * correlation[newestOffset - tau];
        d[tau] = std::max(value, 0.0);
    }
}

} // namespace vivera::dsp
