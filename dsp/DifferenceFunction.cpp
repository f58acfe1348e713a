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

    std::fill(samples, samples + first, 0.0f);
    std::copy(frame + first, frame + kFrameSize, samples + first);
    const float* newestStart = samples + kFrameSize - windowLength;
    std::copy(newestStart, newestStart + windowLength, newest);
    std::fill(newest + windowLength, newest + kFrameSize, 0.0f);

    // c(m) = sum_k newest[k] samples[k + m] without wrap-around, since k + m < kFrameSize for m <= used -
    // windowLength; the lag-tau correlation is c(kFrameSize - windowLength - tau).
    fft.forwardPacked(samples, spectrum);
    fft.forwardPacked(newest, newestSpectrum);
    fft.multiplyConjugate(newestSpectrum, spectrum);
    fft.inversePacked(spectrum, correlation);

    // A float squared is exact in double; four partial sums keep the additions from waiting on each other.
    double partial[4] = {};
    int k = 0;
    for (; k + 4 <= windowLength; k += 4)
        for (int lane = 0; lane < 4; ++lane)
        {
            const double v = newest[k + lane];
            partial[lane] += v * v;
        }
    for (; k < windowLength; ++k)
        partial[0] += static_cast<double>(newest[k]) * newest[k];
    const double newestEnergy = (partial[0] + partial[1]) + (partial[2] + partial[3]);

    // The energy of the window moved tau samples into the past is the newest energy plus a running sum of
    // (entering^2 - leaving^2). The running sum is taken in four stretches side by side, then joined, so the
    // additions do not wait on each other one lag at a time.
    const int newestOffset = kFrameSize - windowLength;
    d[0] = 0.0;
    const int stretch = (maxLag + 3) / 4;
    double partialRun[4] = {};
    for (int step = 0; step < stretch; ++step)
        for (int part = 0; part < 4; ++part)
        {
            const int tau = 1 + part * stretch + step;
            if (tau > maxLag)
                continue;
            const double entering = samples[newestOffset - tau];
            const double leaving = samples[kFrameSize - tau];
            partialRun[part] += entering * entering - leaving * leaving;
            d[tau] = partialRun[part];
        }
    double offset = newestEnergy;
    for (int part = 0; part < 4; ++part)
    {
        const int last = std::min(maxLag, (part + 1) * stretch);
        for (int tau = 1 + part * stretch; tau <= last; ++tau)
        {
            const double shiftedEnergy = offset + d[tau];
            const double value =
                newestEnergy + shiftedEnergy - 2.0 * static_cast<double>(correlation[newestOffset - tau]);
            d[tau] = std::max(value, 0.0);
        }
        offset += partialRun[part];
    }
}

} // namespace vivera::dsp
