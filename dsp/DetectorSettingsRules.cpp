// Detector settings per band type: ordinary types follow `dynmode` and `det`, the level-dependent types
// fix the sense and the measure.
#include "dsp/DetectorSettingsRules.h"

#include <algorithm>

namespace vivera::dsp
{

namespace
{
bool isOn(float value) noexcept
{
    return value > 0.5f;
}
} // namespace

int bandTypeCode(const BandDynamicsParameters& p) noexcept
{
    return choiceIndex(p.type, kBandTypeCount);
}

bool isDynamicBand(const BandDynamicsParameters& p) noexcept
{
    return isOn(p.dyn) || bandTypeCode(p) >= kBandTransient;
}

DetectorSettings detectorSettingsForBand(const BandDynamicsParameters& p) noexcept
{
    DetectorSettings s;
    s.thresholdDb = p.thresh;
    s.ratio = p.ratio;
    s.attackMs = p.attack;
    s.releaseMs = p.release;
    s.kneeDb = p.knee;
    s.rangeDb = p.range;
    s.scQ = p.detq;
    s.rms = choiceIndex(p.det, 2) == 1;
    s.channelMode = choiceIndex(p.chan, kChannelCount);
    s.scShape = choiceIndex(p.scshape, 3);

    switch (bandTypeCode(p))
    {
    case kBandTransient:
        s.above = true;
        s.transientDetector = true;
        s.sibilance = false;
        break;
    case kBandSibilance:
        s.above = true;
        s.transientDetector = false;
        s.sibilance = true;
        break;
    case kBandBackground:
        s.above = false;
        s.transientDetector = false;
        s.sibilance = false;
        break;
    case kBandSustain:
        s.above = false;
        s.transientDetector = true;
        s.sibilance = false;
        break;
    default:
        s.above = choiceIndex(p.dynmode, 2) == 0;
        s.transientDetector = false;
        s.sibilance = false;
        break;
    }
    return s;
}

double sidechainFrequencyHz(const BandDynamicsParameters& p, double bandFrequencyHz) noexcept
{
    return static_cast<double>(p.detfreq) * bandFrequencyHz;
}

} // namespace vivera::dsp
