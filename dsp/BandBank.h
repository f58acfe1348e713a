// The 16 band filters applied to a stereo (or mono) signal: in series in Stereo, Mid or Side, or in
// listen mode as the sum of the soloed bands' band-passes. Runs band by band over a sub-block.
#pragma once

#include "dsp/BandCascade.h"
#include "dsp/Constants.h"

#include <array>

namespace vivera::dsp
{

// How the bands are routed for one sub-block.
struct BandBankRouting
{
    std::array<int, kNumBands> chan{};  // ChannelCode per band; other values count as Stereo
    std::array<bool, kNumBands> solo{}; // band added, enabled and soloed
    bool listenMode = false;            // any band added, enabled and soloed
    bool mono = false;                  // mono bus: R is L, only channel-0 states run Stereo bands
    bool pitchAvailable = false;        // without a pitch the bank passes its input unchanged
};

// Where the block form gathers a run of neighbouring Stereo bands into one chain: rewritten from the bands'
// own cascades and states before every use, and kept with the bank only so that it is not built anew for
// every sub-block.
struct JoinedBandsScratch
{
    BandCascade cascade;
    BandChannelState left, right;
};

// The running filters: one cascade, two channel states and an active flag per band.
struct BandBank
{
    std::array<BandCascade, kNumBands> cascades{};
    std::array<std::array<BandChannelState, 2>, kNumBands> states{};
    std::array<bool, kNumBands> active{};
    JoinedBandsScratch joined{};
};

// Clears every state and active flag (prepare, full bypass).
void resetBandBank(BandBank& bank) noexcept;

// Zeroes both channel states of one band, so it restarts from silence.
void clearBandState(BandBank& bank, int band) noexcept;

// Records the band's activity after its design; a band that just went inactive is cleared.
void setBandActive(BandBank& bank, int band, bool active) noexcept;

// True when any band is soloed in the routing.
bool anyBandSoloed(const BandBankRouting& routing) noexcept;

// Reference form: one sample through the bank, bands in index order. On a mono bus right's input is
// ignored (taken as left).
void processBandBankSample(BandBank& bank, const BandBankRouting& routing, double& left,
                           double& right) noexcept;

// Block form, in place: band by band over the samples (in sub-blocks of kSubBlockSize), bit-identical to
// calling processBandBankSample for each sample. Coefficients must not change within the call. On a mono
// bus the input in right is ignored (taken as left), as in the per-sample form.
void processBandBank(BandBank& bank, const BandBankRouting& routing, double* left, double* right,
                     int numSamples) noexcept;

} // namespace vivera::dsp
