// Band bank: the per-sample reference and the band-major block form.
#include "dsp/BandBank.h"

#include "dsp/CascadeBlock.h"

#include <algorithm>
#include <utility>

namespace vivera::dsp
{
namespace
{
int channelOf(const BandBankRouting& routing, int band) noexcept
{
    const int chan = routing.chan[static_cast<size_t>(band)];
    return chan == kChannelMid || chan == kChannelSide ? chan : kChannelStereo;
}

// Half sum (Mid) or half difference (Side) of the pair, the signal a Mid or Side band filters.
void takeComponent(int chan, const double* left, const double* right, double* out, int n) noexcept
{
    for (int i = 0; i < n; ++i)
        out[i] = chan == kChannelMid ? (left[i] + right[i]) / 2.0 : (left[i] - right[i]) / 2.0;
}

// A band whose sections can join its Stereo neighbours' into one chain: no dry/wet blend after it.
bool joinsChain(const BandBank& bank, const BandBankRouting& routing, int band) noexcept
{
    return channelOf(routing, band) == kChannelStereo &&
           !(bank.cascades[static_cast<size_t>(band)].wet < 1.0);
}

// Consecutive active Stereo bands without a blend, from `first`, whose sections fit one cascade, run as one
// chain: every section still filters the whole sub-block in band and section order (bit for bit the same),
// but short bands no longer wait on their own recursion alone; the pipelined kernel overlaps them. Returns
// the band after the last one taken.
int runJoinedStereoBands(BandBank& bank, const BandBankRouting& routing, int first, double* left,
                         double* right, int n) noexcept
{
    BandCascade& joined = bank.joined.cascade;
    BandChannelState& joinedL = bank.joined.left;
    BandChannelState& joinedR = bank.joined.right;
    joined.sectionCount = 0;
    joined.wet = 1.0; // only bands without a blend join
    int owner[kMaxSections], ownerSlot[kMaxSections];
    int next = first;
    for (; next < kNumBands; ++next)
    {
        const size_t k = static_cast<size_t>(next);
        if (!bank.active[k])
            continue;
        const BandCascade& cascade = bank.cascades[k];
        if (!joinsChain(bank, routing, next) || joined.sectionCount + cascade.sectionCount > kMaxSections)
            break;
        for (int i = 0; i < cascade.sectionCount; ++i)
        {
            const size_t from = static_cast<size_t>(i), to = static_cast<size_t>(joined.sectionCount);
            joined.sections[to] = cascade.sections[from];
            for (auto [state, joinedState] :
                 {std::pair{&bank.states[k][0], &joinedL}, std::pair{&bank.states[k][1], &joinedR}})
            {
                joinedState->ic1[to] = state->ic1[from];
                joinedState->ic2[to] = state->ic2[from];
                joinedState->s[to] = state->s[from];
            }
            owner[to] = next;
            ownerSlot[to] = i;
            ++joined.sectionCount;
        }
    }
    if (routing.mono)
    {
        runCascadeBlock(joined, joinedL, left, n);
        std::copy(left, left + n, right);
    }
    else
        runCascadeBlockStereo(joined, joinedL, joinedR, left, right, n);
    for (int i = 0; i < joined.sectionCount; ++i)
    {
        const size_t from = static_cast<size_t>(i), to = static_cast<size_t>(ownerSlot[i]);
        auto& states = bank.states[static_cast<size_t>(owner[i])];
        for (auto [state, joinedState] : {std::pair{&states[0], &joinedL}, std::pair{&states[1], &joinedR}})
        {
            state->ic1[to] = joinedState->ic1[from];
            state->ic2[to] = joinedState->ic2[from];
            state->s[to] = joinedState->s[from];
        }
    }
    return next;
}

// Normal mode: bands in series, each over the whole sub-block before the next.
void runSerialBands(BandBank& bank, const BandBankRouting& routing, double* left, double* right,
                    int n) noexcept
{
    double filtered[kSubBlockSize], component[kSubBlockSize];
    for (int band = 0; band < kNumBands;)
    {
        const size_t k = static_cast<size_t>(band);
        if (!bank.active[k])
        {
            ++band;
            continue;
        }
        const BandCascade& cascade = bank.cascades[k];
        const int chan = channelOf(routing, band);
        if (joinsChain(bank, routing, band) && band + 1 < kNumBands)
        {
            band = runJoinedStereoBands(bank, routing, band, left, right, n);
            continue;
        }
        ++band;
        if (chan == kChannelStereo && routing.mono)
        {
            runCascadeBlock(cascade, bank.states[k][0], left, n);
            std::copy(left, left + n, right);
        }
        else if (chan == kChannelStereo)
            runCascadeBlockStereo(cascade, bank.states[k][0], bank.states[k][1], left, right, n);
        else
        {
            // The band adds its change of the component back to both channels, leaving the other one alone.
            takeComponent(chan, left, right, component, n);
            std::copy(component, component + n, filtered);
            runCascadeBlock(cascade, bank.states[k][0], filtered, n);
            for (int i = 0; i < n; ++i)
            {
                const double w = filtered[i] - component[i];
                left[i] = left[i] + w;
                right[i] = chan == kChannelMid ? right[i] + w : right[i] - w;
            }
        }
    }
}

// Listen mode: the soloed bands in parallel on the dry input, summed in band order.
void runListenBands(BandBank& bank, const BandBankRouting& routing, double* left, double* right,
                    int n) noexcept
{
    double dryL[kSubBlockSize], dryR[kSubBlockSize], bandL[kSubBlockSize], bandR[kSubBlockSize];
    std::copy(left, left + n, dryL);
    std::copy(right, right + n, dryR);
    std::fill(left, left + n, 0.0);
    std::fill(right, right + n, 0.0);
    for (int band = 0; band < kNumBands; ++band)
    {
        const size_t k = static_cast<size_t>(band);
        if (!bank.active[k] || !routing.solo[k])
            continue;
        const BandCascade& cascade = bank.cascades[k];
        const int chan = channelOf(routing, band);
        if (chan == kChannelStereo)
        {
            std::copy(dryL, dryL + n, bandL);
            if (routing.mono)
            {
                runCascadeBlock(cascade, bank.states[k][0], bandL, n);
                std::copy(bandL, bandL + n, bandR);
            }
            else
            {
                std::copy(dryR, dryR + n, bandR);
                runCascadeBlockStereo(cascade, bank.states[k][0], bank.states[k][1], bandL, bandR, n);
            }
            for (int i = 0; i < n; ++i)
            {
                left[i] += bandL[i];
                right[i] += bandR[i];
            }
        }
        else
        {
            takeComponent(chan, dryL, dryR, bandL, n);
            runCascadeBlock(cascade, bank.states[k][0], bandL, n);
            for (int i = 0; i < n; ++i)
            {
                left[i] += bandL[i];
                right[i] = chan == kChannelMid ? right[i] + bandL[i] : right[i] - bandL[i];
            }
        }
    }
}

// One sub-block, band by band. Every sample still meets the bands in index order with the same
// arithmetic, so the result equals the per-sample form bit for bit.
void processBandBankSubBlock(BandBank& bank, const BandBankRouting& routing, double* left, double* right,
                             int n) noexcept
{
    if (routing.mono)
        std::copy(left, left + n, right);
    if (!routing.pitchAvailable)
        return;
    if (routing.listenMode)
        runListenBands(bank, routing, left, right, n);
    else
        runSerialBands(bank, routing, left, right, n);
}
} // namespace

void resetBandBank(BandBank& bank) noexcept
{
    for (int band = 0; band < kNumBands; ++band)
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
    for (int band = 0; band < kNumBands; ++band)
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
            if (chan == kChannelStereo)
            {
                const double b0 = processCascade(cascade, st0, inL);
                outL += b0;
                outR += routing.mono ? b0 : processCascade(cascade, st1, inR);
            }
            else if (chan == kChannelMid)
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
        if (chan == kChannelStereo)
        {
            L = processCascade(cascade, st0, L);
            R = routing.mono ? L : processCascade(cascade, st1, R);
        }
        else if (chan == kChannelMid)
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
    for (int offset = 0; offset < numSamples; offset += kSubBlockSize)
        processBandBankSubBlock(bank, routing, left + offset, right + offset,
                                std::min(kSubBlockSize, numSamples - offset));
}

} // namespace vivera::dsp
