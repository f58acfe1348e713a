#include "engine/parameters/BandSettings.h"

vivera::dsp::BandFilterSettings readFilterSettings(const BandParameters& band,
                                                   const GlobalParameters& global) noexcept
{
    vivera::dsp::BandFilterSettings settings;
    settings.type = band.type.get();
    settings.slope = band.slope.get();
    settings.gainDb = band.gain.get();
    settings.q = band.q.get();
    settings.scalePercent = global.scale.get();
    return settings;
}

vivera::dsp::BandDynamicsParameters readDynamicsParameters(const BandParameters& band) noexcept
{
    vivera::dsp::BandDynamicsParameters p;
    p.type = band.type.get();
    p.dyn = band.dyn.get();
    p.dynmode = band.dynmode.get();
    p.thresh = band.thresh.get();
    p.ratio = band.ratio.get();
    p.attack = band.attack.get();
    p.release = band.release.get();
    p.knee = band.knee.get();
    p.range = band.range.get();
    p.det = band.det.get();
    p.chan = band.chan.get();
    p.scshape = band.scshape.get();
    p.detfreq = band.detfreq.get();
    p.detq = band.detq.get();
    return p;
}

std::array<vivera::dsp::AutoGainBand, vivera::dsp::kNumBands>
readAutoGainBands(const EngineParameters& parameters,
                  const std::array<float, vivera::dsp::kNumBands>& frozenPitch) noexcept
{
    std::array<vivera::dsp::AutoGainBand, vivera::dsp::kNumBands> bands;
    for (size_t k = 0; k < bands.size(); ++k)
    {
        const auto& band = parameters.bands[k];
        auto& b = bands[k];
        b.used = band.isProcessed();
        b.frozen = band.freeze.isOn();
        b.frozenPitch = frozenPitch[k];
        b.mult = band.mult.get();
        b.chan = static_cast<int>(band.chan.get());
        b.filter = readFilterSettings(band, parameters.global);
    }
    return bands;
}
