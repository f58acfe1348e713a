// Builds a band's detector settings from its plain parameter values, with the fixed modes of the
// level-dependent band types (Transient, Sibilance, Background, Sustain).
#pragma once

#include "dsp/BandDetector.h"

namespace vivera::dsp
{

// A band's parameter values as the parameter tree holds them (floats; bools and choices as 0/1/index).
struct BandDynamicsParameters
{
    float type = 0.0f;
    float dyn = 0.0f;
    float dynmode = 0.0f; // 0 "Above", 1 "Below"
    float thresh = -30.0f;
    float ratio = 4.0f;
    float attack = 10.0f;
    float release = 150.0f;
    float knee = 6.0f;
    float range = 12.0f;
    float det = 1.0f; // 0 "Peak", 1 "RMS"
    float chan = 0.0f;
    float scshape = 0.0f;
    float detfreq = 1.0f;
    float detq = 2.0f;
};

// The band type code 0..9.
int bandTypeCode(const BandDynamicsParameters& p) noexcept;

// The detector runs when `dyn` is on or the type is level-dependent.
bool isDynamicBand(const BandDynamicsParameters& p) noexcept;

DetectorSettings detectorSettingsForBand(const BandDynamicsParameters& p) noexcept;

// The sidechain filter frequency: `detfreq` times the band's current frequency, applied as given.
double sidechainFrequencyHz(const BandDynamicsParameters& p, double bandFrequencyHz) noexcept;

} // namespace vivera::dsp
