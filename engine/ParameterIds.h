// The parameter IDs: stored in host projects, state blobs and preset files, so they never change.
#pragma once

#include <juce_core/juce_core.h>

namespace ParamIds
{
// Global parameters, in host order.
inline const juce::String bypass{"bypass"};
inline const juce::String sens{"sens"};
inline const juce::String gate{"gate"};
inline const juce::String trkHp{"trk_hp"};
inline const juce::String trkLp{"trk_lp"};
inline const juce::String lock{"lock"};
inline const juce::String freq{"freq"};
inline const juce::String scale{"scale"};
inline const juce::String out{"out"};
inline const juce::String mix{"mix"};
inline const juce::String sc{"sc"};
inline const juce::String autoGain{"auto_gain"};
inline const juce::String softClip{"soft_clip"};
inline const juce::String autoByp{"auto_byp"};
inline const juce::String freeMove{"free_move"};
inline const juce::String scFree{"sc_free"};
inline const juce::String lookahead{"lookahead"};
inline const juce::String monSig{"mon_sig"};
inline const juce::String monCh{"mon_ch"};

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

inline constexpr int kNumBands = 16;
inline constexpr int kNumParameters =
    ParamIds::kNumGlobalParameters + kNumBands * BandParam::kNumBandParameters;

// "b" + band number (1..16) + "_" + short name, e.g. b3_gain.
inline juce::String bandParameterId(int bandNumber, const juce::String& shortName)
{
    return "b" + juce::String(bandNumber) + "_" + shortName;
}
