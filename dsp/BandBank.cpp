// Band bank: the per-sample reference and the band-major block form.
#include "dsp/BandBank.h"

#include <algorithm>

namespace vivera::dsp
{
namespace
{
int channelOf(const BandBankRouting& routing, int band) noexcept
{
    const int chan = routing.chan[static_cast<size_t>(band)];
    return chan == kBandMid || chan == kBandSide ? chan : kBandStereo;
}
} // namespace

void resetBandBank(BandBank& bank) noexcept
{
    for (int band = 0; band < kBandCount; ++band)
        clearBandState(bank, band);
    bank.active.fill(false);
}

void clearBandState(BandBank& bank, int band) noexcept
{
    for (BandChannelState& st : bank.states[static_cast<size_t>(band)])
        st = BandChannelState{};
}

void setBandActive(BandBank& bank, int band, bool active) noexcept
{
    bool& flag = bank.active[static_cast<size_t>(band)];
    if (flag && !active)
        clearBandState(bank, band);
    flag = active;
}

bool anyBandSoloed(const BandBankRouting& routing) noexcept
{
    return std::any_of(routing.solo.begin(), routing.solo.end(), [](bool s) { return s; });
}

void processBandBankSample(BandBank& bank, const BandBankRouting& routing, double& left,
                           double& right) noexcept
{
    if (routing.mono)
        right = left;
    if (!routing.pitchAvailable)
        return;
    const double inL = left, inR = right;
    double outL = 0.0, outR = 0.0;
    double L = left, R = right;
    for (int band = 0; band < kBandCount; ++band)
    {
        const size_t k = static_cast<size_t>(band);
        if (!bank.active[k])
            continue;
        const BandCascade& cascade = bank.cascades[k];
        BandChannelState& st0 = bank.states[k][0];
        BandChannelState& st1 = bank.states[k][1];
        const int chan = channelOf(routing, band);
        if (routing.listenMode)
        {
            if (!routing.solo[k])
                continue;
            if (chan == kBandStereo)
            {
                const double b0 = processCascade(cascade, st0, inL);
                outL += b0;
                outR += routing.mono ? b0 : processCascade(cascade, st1, inR);
            }
            else if (chan == kBandMid)
            {
                const double b = processCascade(cascade, st0, (inL + inR) / 2.0);
                outL += b;
                outR += b;
            }
            else
            {
                const double b = processCascade(cascade, st0, (inL - inR) / 2.0);
                outL += b;
                outR -= b;
            }
            continue;
        }
        if (chan == kBandStereo)
        {
            L = processCascade(cascade, st0, L);
            R = routing.mono ? L : processCascade(cascade, st1, R);
        }
        else if (chan == kBandMid)
        {
            const double m = (L + R) / 2.0;
            const double w = processCascade(cascade, st0, m) - m;
            L = L + w;
            R = R + w;
        }
        else
        {
            const double d = (L - R) / 2.0;
            const double w = processCascade(cascade, st0, d) - d;
            L = L + w;
            R = R - w;
        }
    }
    left = routing.listenMode ? outL : L;
    right = routing.listenMode ? outR : R;
}

void processBandBank(BandBank& bank, const BandBankRouting& routing, double* left, double* right,
                     int numSamples) noexcept
{
    for (int i = 0; i < numSamples; ++i)
        processBandBankSample(bank, routing, left[i], right[i]);
}

} // namespace vivera::dsp
