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

std::array<vivera::dsp::AutoGainBand, kNumBands> VezovevaDirADAudioProcessor::autoGainBands() const noexcept
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
    return bands;
}

float VezovevaDirADAudioProcessor::estimateAutoGain(float pitchHz) const noexcept
{
    return vivera::dsp::estimateAutoGain(autoGainBands(), pitchHz, sampleRate);
}

namespace
{
bool sameFilter(const vivera::dsp::BandFilterSettings& a, const vivera::dsp::BandFilterSettings& b) noexcept
{
    return a.type == b.type && a.slope == b.slope && a.gainDb == b.gainDb && a.q == b.q &&
           a.scalePercent == b.scalePercent;
}

bool sameBand(const vivera::dsp::AutoGainBand& a, const vivera::dsp::AutoGainBand& b) noexcept
{
    return a.used == b.used && a.frozen == b.frozen && a.frozenPitch == b.frozenPitch && a.mult == b.mult &&
           a.chan == b.chan && sameFilter(a.filter, b.filter);
}
} // namespace

float VezovevaDirADAudioProcessor::AutoGainCache::estimate(
    const std::array<vivera::dsp::AutoGainBand, kNumBands>& bands, float pitchHz, double rate) noexcept
{
    // The estimate is a pure function of these inputs: on a held note with unchanged settings the last
    // value is exact, and the cost of 16 designs and 768 cascade responses per block is saved.
    bool same = valid && pitchHz == lastPitchHz && rate == lastSampleRate;
    for (size_t k = 0; same && k < bands.size(); ++k)
        same = sameBand(bands[k], lastBands[k]);
    if (!same)
    {
        lastBands = bands;
        lastPitchHz = pitchHz;
        lastSampleRate = rate;
        lastResultDb = vivera::dsp::estimateAutoGain(bands, pitchHz, rate);
        valid = true;
    }
    return lastResultDb;
}
