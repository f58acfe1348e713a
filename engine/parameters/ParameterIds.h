// The parameter IDs: stored in host projects, state blobs and preset files, so they never change.
#pragma once

#include "dsp/Constants.h"

#include <juce_core/juce_core.h>

namespace ParamIds
{
// Global parameters, in host order.
inline constexpr const char* bypass = "bypass";
inline constexpr const char* sens = "sens";
inline constexpr const char* gate = "gate";
inline constexpr const char* trkHp = "trk_hp";
inline constexpr const char* trkLp = "trk_lp";
inline constexpr const char* lock = "lock";
inline constexpr const char* freq = "freq";
inline constexpr const char* scale = "scale";
inline constexpr const char* out = "out";
inline constexpr const char* mix = "mix";
inline constexpr const char* sc = "sc";
inline constexpr const char* autoGain = "auto_gain";
inline constexpr const char* softClip = "soft_clip";
inline constexpr const char* autoByp = "auto_byp";
inline constexpr const char* freeMove = "free_move";
inline constexpr const char* scFree = "sc_free";
inline constexpr const char* lookahead = "lookahead";
inline constexpr const char* monSig = "mon_sig";
inline constexpr const char* monCh = "mon_ch";

inline constexpr int kNumGlobalParameters = 19;
} // namespace ParamIds

// Short names of the per-band parameters; the full ID comes from bandParameterId.
namespace BandParam
{
inline constexpr const char* add = "add";
inline constexpr const char* on = "on";
inline constexpr const char* type = "type";
inline constexpr const char* slope = "slope";
inline constexpr const char* chan = "chan";
inline constexpr const char* mult = "mult";
inline constexpr const char* gain = "gain";
inline constexpr const char* q = "q";
inline constexpr const char* solo = "solo";
inline constexpr const char* freeze = "freeze";
inline constexpr const char* dyn = "dyn";
inline constexpr const char* dynmode = "dynmode";
inline constexpr const char* thresh = "thresh";
inline constexpr const char* ratio = "ratio";
inline constexpr const char* attack = "attack";
inline constexpr const char* release = "release";
inline constexpr const char* knee = "knee";
inline constexpr const char* range = "range";
inline constexpr const char* det = "det";
inline constexpr const char* scshape = "scshape";
inline constexpr const char* detfreq = "detfreq";
inline constexpr const char* detq = "detq";
inline constexpr const char* detsc = "detsc";

inline constexpr int kNumBandParameters = 23;
} // namespace BandParam

using vivera::dsp::kNumBands;
inline constexpr int kNumParameters =
    ParamIds::kNumGlobalParameters + kNumBands * BandParam::kNumBandParameters;

// "b" + band number (1..16) + "_" + short name, e.g. b3_gain.
inline juce::String bandParameterId(int bandNumber, const juce::String& shortName)
{
    return "b" + juce::String(bandNumber) + "_" + shortName;
}
