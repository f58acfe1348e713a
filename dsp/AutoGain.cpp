// Auto-gain estimate over the same cascades and response the audio path uses.
#include "dsp/AutoGain.h"
#include "dsp/Constants.h"

#include <algorithm>
#include <cmath>

namespace vivera::dsp
{
AutoGainGrid autoGainGrid(double sampleRate) noexcept
{
    AutoGainGrid grid;
    grid.sampleRate = sampleRate;
    const double fTop = std::min(0.45 * sampleRate, 20000.0);
    for (int j = 0; j < kAutoGainPoints; ++j)
        grid.points[static_cast<size_t>(j)] = UnitCirclePoint::at(
            2.0 * kPi * (20.0 * std::pow(fTop / 20.0, j / double(kAutoGainPoints - 1))) / sampleRate);
    return grid;
}

float estimateAutoGain(const std::array<AutoGainBand, kNumBands>& bands, float pitchHz,
                       double sampleRate) noexcept
{
    return estimateAutoGain(bands, pitchHz, autoGainGrid(sampleRate));
}

float estimateAutoGain(const std::array<AutoGainBand, kNumBands>& bands, float pitchHz,
                       const AutoGainGrid& grid) noexcept
{
    const double sampleRate = grid.sampleRate;

    std::array<double, kAutoGainPoints> sumDb{};
    bool anyUsed = false;
    for (const AutoGainBand& band : bands)
    {
        if (!band.used)
            continue;
        const double base =
            band.frozen ? static_cast<double>(band.frozenPitch) : static_cast<double>(pitchHz);
        const double f = base * static_cast<double>(band.mult);
        if (!(f >= 20.0 && f <= 0.49 * sampleRate))
            continue;
        BandCascade cascade;
        if (!designBand(band.filter, sampleRate, f, false, 1.0, cascade))
            continue;
        anyUsed = true;
        const double weight = (band.chan == 1 || band.chan == 2) ? 0.5 : 1.0;
        std::array<double, kAutoGainPoints> magnitudes;
        cascadeMagnitudes(cascade, grid.points.data(), kAutoGainPoints, magnitudes.data());
        for (size_t j = 0; j < magnitudes.size(); ++j)
            sumDb[j] += weight * 20.0 * std::log10(std::max(magnitudes[j], 1e-9));
    }
    if (!anyUsed)
        return 0.0f;

    double meanPower = 0.0;
    for (double db : sumDb)
        meanPower += std::pow(10.0, db / 10.0);
    meanPower /= kAutoGainPoints;
    const double gainDb = 10.0 * std::log10(meanPower);
    // 0 - x rather than -x: a net cut reports +0 dB, not -0.
    return static_cast<float>(0.0 - std::min(std::max(gainDb, 0.0), static_cast<double>(kAutoGainMaxCutDb)));
}

} // namespace vivera::dsp
