#include "editor/GraphAnalyser.h"

#include <algorithm>
#include <cmath>

namespace graph_analyser
{
float magnitudeToLevel(float magnitude) noexcept
{
    // The window's sum equals the transform size, so a sine of amplitude A gives |X| = 2048·A at its bin;
    // dividing by 2048 puts a full-scale sine at 0 on the dBFS scale beside the plot.
    const float m = magnitude / 2048.0f;
    if (!(m > 0.0f))
        return kSilenceDb;
    return std::max(kSilenceDb, 20.0f * std::log10(m));
}

void smoothSpectrum(const float* magnitudes, float* spectrum) noexcept
{
    for (int k = 0; k <= kLastBin; ++k)
    {
        const float level = magnitudeToLevel(magnitudes[k]);
        float& shown = spectrum[k];
        shown += (level - shown) * (level > shown ? 0.6f : 0.12f);
    }
}

float analyserLevel(const float* spectrum, double lowHz, double highHz, double sampleRate) noexcept
{
    const double rate = sampleRate > 0.0 ? sampleRate : 44100.0;
    const double lowBin = lowHz * kTransformSize / rate;
    const double highBin = highHz * kTransformSize / rate;
    if (highBin - lowBin < 1.0)
    {
        const double centre = 0.5 * (lowBin + highBin);
        const int i = std::clamp((int)std::floor(centre), 0, kLastBin - 1);
        const double t = std::clamp(centre - i, 0.0, 1.0);
        return (float)(spectrum[i] + (spectrum[i + 1] - spectrum[i]) * t);
    }
    const int lo = std::clamp((int)std::floor(lowBin), 0, kLastBin);
    const int hi = std::clamp((int)std::ceil(highBin), 0, kLastBin);
    if (hi < lo)
        return -200.0f;
    return *std::max_element(spectrum + lo, spectrum + hi + 1);
}
} // namespace graph_analyser
