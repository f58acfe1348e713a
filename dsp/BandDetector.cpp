// Band detector: sidechain filter, envelope, gain computer with knee and slope, attack/release ballistics.
#include "dsp/BandDetector.h"

#include "dsp/SvfSection.h"

#include <algorithm>
#include <cmath>

namespace vivera::dsp
{

namespace
{
constexpr double kAmplitudeFloor = 1e-9;
constexpr double kEnergyFloor = 1e-12;

SvfCoefficients designSidechainFilter(const DetectorSettings& s, double frequencyHz, double sampleRate)
{
    switch (s.scShape)
    {
    case kSidechainHigh:
        return designSvfSection(kSvfHighPass, frequencyHz, kButterworthQ, 0.0, sampleRate);
    case kSidechainLow:
        return designSvfSection(kSvfLowPass, frequencyHz, kButterworthQ, 0.0, sampleRate);
    default:
        return designSvfSection(kSvfBandPass, frequencyHz, s.scQ, 0.0, sampleRate);
    }
}

// Soft knee of width w around the threshold; a knee under 0.01 dB is hard.
double kneeExcess(double over, double w) noexcept
{
    if (w < 0.01)
        return std::max(over, 0.0);
    if (over < -0.5 * w)
        return 0.0;
    if (over > 0.5 * w)
        return over;
    const double x = over + 0.5 * w;
    return x * x / (2.0 * w);
}

bool isFinite(const BandDetector& d) noexcept
{
    return std::isfinite(d.ic1L + d.ic1R + d.ic2L + d.ic2R + d.envelope + d.meanSquare + d.reductionDb +
                         d.fastMeanSquare + d.slowMeanSquare + d.fullBandMeanSquare);
}
} // namespace

void resetDetector(BandDetector& detector) noexcept
{
    detector = BandDetector{};
}

double runDetector(BandDetector& detector, const DetectorSettings& settings, const float* ch0,
                   const float* ch1, int n, double scFrequencyHz, double sampleRate) noexcept
{
    const SvfCoefficients filter = designSidechainFilter(settings, scFrequencyHz, sampleRate);

    const double attackCoeff = std::exp(-1.0 / (std::max(settings.attackMs, 0.05) * 0.001 * sampleRate));
    const double releaseCoeff = std::exp(-1.0 / (std::max(settings.releaseMs, 1.0) * 0.001 * sampleRate));
    const double follow10ms = 1.0 - std::exp(-1.0 / (0.01 * sampleRate));
    const double peakDecay = std::exp(-1.0 / (0.005 * sampleRate));
    const double followFast = 1.0 - std::exp(-1.0 / (0.003 * sampleRate));
    const double followSlow = 1.0 - std::exp(-1.0 / (0.04 * sampleRate));
    const double slope = 1.0 - 1.0 / std::max(settings.ratio, 1.0);
    const double kneeWidth = std::max(settings.kneeDb, 0.0);
    const double transientThresholdDb = 0.2 * settings.thresholdDb + 12.0;
    const bool stereo = settings.channelMode != kChannelMid && settings.channelMode != kChannelSide;

    BandDetector& d = detector;
    for (int i = 0; i < n; ++i)
    {
        double a, b = 0.0;
        if (stereo)
        {
            a = ch0[i];
            b = ch1[i];
        }
        else if (settings.channelMode == kChannelMid)
            a = 0.5 * (static_cast<double>(ch0[i]) + ch1[i]);
        else
            a = 0.5 * (static_cast<double>(ch0[i]) - ch1[i]);

        if (settings.sibilance)
        {
            const double q = stereo ? 0.5 * (a * a + b * b) : a * a;
            d.fullBandMeanSquare += (q - d.fullBandMeanSquare) * follow10ms;
        }

        const double ya = processSvfSection(filter, d.ic1L, d.ic2L, a);
        const double yb = stereo ? processSvfSection(filter, d.ic1R, d.ic2R, b) : 0.0;
        const double energy = stereo ? 0.5 * (ya * ya + yb * yb) : ya * ya;

        double over;
        if (settings.transientDetector)
        {
            d.fastMeanSquare += (energy - d.fastMeanSquare) * followFast;
            d.slowMeanSquare += (energy - d.slowMeanSquare) * followSlow;
            d.envelope = std::sqrt(d.fastMeanSquare);
            // How far the 3 ms energy rises above the 40 ms energy.
            d.levelDb =
                10.0 * std::log10((d.fastMeanSquare + kEnergyFloor) / (d.slowMeanSquare + kEnergyFloor));
            over = settings.above ? d.levelDb - transientThresholdDb : transientThresholdDb - d.levelDb;
        }
        else
        {
            if (settings.rms)
            {
                d.meanSquare += (energy - d.meanSquare) * follow10ms;
                d.envelope = std::sqrt(d.meanSquare);
            }
            else
            {
                const double peak = stereo ? std::max(std::abs(ya), std::abs(yb)) : std::abs(ya);
                d.envelope = std::max(peakDecay * d.envelope, peak);
            }
            d.levelDb = 20.0 * std::log10(d.envelope + kAmplitudeFloor);
            if (settings.sibilance)
                d.levelDb -= 10.0 * std::log10(d.fullBandMeanSquare + kEnergyFloor);
            over = settings.above ? d.levelDb - settings.thresholdDb : settings.thresholdDb - d.levelDb;
        }

        const double wantedDb = kneeExcess(over, kneeWidth) * slope;
        const double c = wantedDb > d.reductionDb ? attackCoeff : releaseCoeff;
        d.reductionDb = (1.0 - c) * wantedDb + c * d.reductionDb;
    }

    // A non-finite input or setting would otherwise stick in the states until the band is reset.
    if (!isFinite(d))
    {
        resetDetector(d);
        return 0.0;
    }
    const double amount = d.reductionDb / std::max(settings.rangeDb, 0.1);
    return amount > 0.0 ? std::min(amount, 1.0) : 0.0;
}

} // namespace vivera::dsp
