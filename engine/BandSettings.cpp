// Reads a band's parameters into the plain settings the DSP functions take. Usable from the audio thread
// (no allocation, no lock) and from the editor, which draws its curves from the same designs.
#include "PluginProcessor.h"

namespace
{
float load(const std::atomic<float>* value) noexcept
{
    return value->load(std::memory_order_relaxed);
}
} // namespace

vivera::dsp::BandFilterSettings VezovevaDirADAudioProcessor::bandFilterSettings(int bandIndex) const noexcept
{
    const auto k = static_cast<size_t>(bandIndex);
    vivera::dsp::BandFilterSettings settings;
    settings.type = load(band.type[k]);
    settings.slope = load(band.slope[k]);
    settings.gainDb = load(band.gain[k]);
    settings.q = load(band.q[k]);
    settings.scalePercent = load(global.scale);
    return settings;
}

vivera::dsp::BandDynamicsParameters
VezovevaDirADAudioProcessor::bandDynamicsParameters(int bandIndex) const noexcept
{
    const auto k = static_cast<size_t>(bandIndex);
    vivera::dsp::BandDynamicsParameters p;
    p.type = load(band.type[k]);
    p.dyn = load(band.dyn[k]);
    p.dynmode = load(band.dynmode[k]);
    p.thresh = load(band.thresh[k]);
    p.ratio = load(band.ratio[k]);
    p.attack = load(band.attack[k]);
    p.release = load(band.release[k]);
    p.knee = load(band.knee[k]);
    p.range = load(band.range[k]);
    p.det = load(band.det[k]);
    p.chan = load(band.chan[k]);
    p.scshape = load(band.scshape[k]);
    p.detfreq = load(band.detfreq[k]);
    p.detq = load(band.detq[k]);
    return p;
}

bool VezovevaDirADAudioProcessor::designBand(int bandIndex, double frequencyHz, bool solo, double amount,
                                             vivera::dsp::BandCascade& cascade) const noexcept
{
    if (bandIndex < 0 || bandIndex >= kNumBands)
        return false;
    return vivera::dsp::designBand(bandFilterSettings(bandIndex), sampleRate, frequencyHz, solo, amount,
                                   cascade);
}

float VezovevaDirADAudioProcessor::estimateAutoGain(float pitchHz) const noexcept
{
    std::array<vivera::dsp::AutoGainBand, kNumBands> bands;
    for (size_t k = 0; k < bands.size(); ++k)
    {
        auto& b = bands[k];
        b.used = load(band.add[k]) > 0.5f && load(band.on[k]) > 0.5f;
        b.frozen = load(band.freeze[k]) > 0.5f;
        b.frozenPitch = follower.frozenPitch[k];
        b.mult = load(band.mult[k]);
        b.chan = static_cast<int>(load(band.chan[k]));
        b.filter = bandFilterSettings(static_cast<int>(k));
    }
    return vivera::dsp::estimateAutoGain(bands, pitchHz, sampleRate);
}
