#include "engine/pipeline/BlockPipeline.h"

#include "engine/parameters/BandSettings.h"

#include "dsp/SoftClip.h"

#include <algorithm>
#include <cmath>

namespace
{
using vivera::dsp::kNumBands;
using vivera::dsp::kSubBlockSize;

constexpr double kGainRampSeconds = 0.02;
constexpr double kAutoGainRampSeconds = 0.4;
constexpr int kMinimumDetectorCopySize = 4096;

float gainFromDecibels(float decibels) noexcept
{
    return decibels <= -100.0f ? 0.0f : std::pow(10.0f, decibels / 20.0f);
}

// A non-finite sample would poison every recursive state it reaches (filters, tracker, detectors) until
// the plug-in is reloaded, so it is replaced by silence on the way in.
void replaceNonFiniteWithSilence(float* samples, int n) noexcept
{
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(samples[i]))
            samples[i] = 0.0f;
}
} // namespace

float BlockPipeline::AutoGainCache::estimate(
    const std::array<vivera::dsp::AutoGainBand, kNumBands>& bandSettings, float pitchHz, double rate) noexcept
{
    // The estimate is a pure function of these inputs: on a held note with unchanged settings the last
    // value is exact, and the cost of 16 designs and 768 cascade responses per block is saved.
    if (!valid || pitchHz != lastPitchHz || rate != lastSampleRate || bandSettings != lastBands)
    {
        lastBands = bandSettings;
        lastPitchHz = pitchHz;
        lastSampleRate = rate;
        if (grid.sampleRate != rate)
            grid = vivera::dsp::autoGainGrid(rate);
        lastResultDb = vivera::dsp::estimateAutoGain(bandSettings, pitchHz, grid);
        valid = true;
    }
    return lastResultDb;
}

BlockPipeline::BlockPipeline(const EngineParameters& parametersToRead, Telemetry& telemetryToWrite)
    : parameters(parametersToRead), telemetry(telemetryToWrite)
{
}

void BlockPipeline::prepare(double newSampleRate, int maximumBlockSize)
{
    sampleRate = newSampleRate;
    tracker.prepare(sampleRate);

    const bool lookaheadOn = parameters.global.lookahead.isOn();
    delay.prepare(sampleRate, lookaheadOn);
    latency = lookaheadOn ? delay.lookaheadSamples() : 0;

    const int copyLength = std::max(maximumBlockSize, kMinimumDetectorCopySize);
    if (detectorCopy.getNumChannels() != 2 || detectorCopy.getNumSamples() != copyLength)
        detectorCopy.setSize(2, copyLength);

    vivera::dsp::resetFollower(follower);
    vivera::dsp::prepareAligner(aligner, sampleRate);
    resetBands();
    resetRamps();
    autoGainCache.valid = false;
    telemetry.autoGainDb.store(0.0f);
    telemetry.sampleRate.store(sampleRate);
    publishFrozenPitches();
}

void BlockPipeline::resetRamps()
{
    const auto& global = parameters.global;
    const int gainRampLength = static_cast<int>(std::floor(kGainRampSeconds * sampleRate));
    mixRamp.reset(gainRampLength);
    outputGainRamp.reset(gainRampLength);
    bypassRamp.reset(gainRampLength);
    mixRamp.setCurrentAndTargetValue(global.mix.get() / 100.0f);
    outputGainRamp.setCurrentAndTargetValue(gainFromDecibels(global.out.get()));
    bypassRamp.setCurrentAndTargetValue(global.bypass.isOn() ? 1.0f : 0.0f);

    autoGainRamp.reset(static_cast<int>(std::floor(kAutoGainRampSeconds * sampleRate)));
    autoGainRamp.setCurrentAndTargetValue(1.0f);
}

void BlockPipeline::resetBands() noexcept
{
    vivera::dsp::resetBandBank(bands);
    for (auto& cache : designCache)
        cache.valid = false;
    for (auto& detector : detectors)
        vivera::dsp::resetDetector(detector);
}

void BlockPipeline::publishFrozenPitches() noexcept
{
    for (size_t k = 0; k < static_cast<size_t>(kNumBands); ++k)
        telemetry.frozenPitch[k].store(follower.frozenPitch[k]);
}

void BlockPipeline::process(juce::AudioBuffer<float>& buffer, const BlockChannels& layout,
                            const TransportState& transport) noexcept
{
    const auto& global = parameters.global;
    const int n = buffer.getNumSamples();

    BlockSignals signals;
    signals.mainCount = layout.mainCount;
    signals.sidechainCount = layout.sidechainCount;
    for (int c = 0; c < signals.mainCount; ++c)
    {
        signals.main[c] = buffer.getWritePointer(c);
        replaceNonFiniteWithSilence(signals.main[c], n);
    }
    for (int c = 0; c < signals.sidechainCount; ++c)
    {
        signals.sidechain[c] = buffer.getWritePointer(layout.sidechainFirst + c);
        replaceNonFiniteWithSilence(signals.sidechain[c], n);
    }
    telemetry.meterInput(buffer, signals.mainCount, scopeBlockStart);
    if (signals.mainCount ==
        0) // no layout we accept has this, but a host could still hand over an empty buffer
    {
        telemetry.meterOutput(buffer, 0, scopeBlockStart);
        return;
    }
    delay.followTransport(transport, n);

    latency = global.lookahead.isOn() ? delay.lookaheadSamples() : 0;

    const bool lock = global.lock.isOn();
    const bool bypassOn = global.bypass.isOn();
    const bool autoBypass = vivera::dsp::isAutoBypassed(follower, global.autoByp.isOn(), lock, sampleRate);
    bypassRamp.setTargetValue(bypassOn || autoBypass ? 1.0f : 0.0f);

    // The main channels, then the sidechain channels, each with its own ring.
    static constexpr int kMainRings[2] = {LookaheadDelay::kMainRing, LookaheadDelay::kMainRing + 1};
    static constexpr int kSidechainRings[2] = {LookaheadDelay::kSidechainRing,
                                               LookaheadDelay::kSidechainRing + 1};
    float* delayed[4] = {};
    int rings[4] = {};
    int delayedCount = 0;
    for (int c = 0; c < signals.mainCount; ++c, ++delayedCount)
    {
        delayed[delayedCount] = signals.main[c];
        rings[delayedCount] = kMainRings[c];
    }
    for (int c = 0; c < signals.sidechainCount; ++c, ++delayedCount)
    {
        delayed[delayedCount] = signals.sidechain[c];
        rings[delayedCount] = kSidechainRings[c];
    }

    if (bypassOn && !bypassRamp.isSmoothing())
    {
        // The sidechain rings run on too, so band detectors never hear stale sidechain when bypass is
        // released.
        delay.process(delayed, rings, delayedCount, n, latency > 0);
        resetBands();
        telemetry.publishBypassedBands();
        telemetry.meterOutput(buffer, signals.mainCount, scopeBlockStart);
        return;
    }

    OutputSettings output;
    output.softClip = global.softClip.isOn();
    output.delta = global.monSig.get() > 0.5f;
    output.monitorChannel = std::clamp(static_cast<int>(global.monCh.get()), 0, 2);
    tracker.applySettings(global.sens.get(), global.gate.get(), global.trkHp.get(), global.trkLp.get());

    mixRamp.setTargetValue(global.mix.get() / 100.0f);
    outputGainRamp.setTargetValue(gainFromDecibels(global.out.get()));

    vivera::dsp::BandBankRouting routing;
    routing.mono = signals.mainCount < 2;
    for (size_t k = 0; k < static_cast<size_t>(kNumBands); ++k)
        routing.solo[k] = parameters.bands[k].solo.isOn() && parameters.bands[k].isProcessed();
    routing.listenMode = vivera::dsp::anyBandSoloed(routing);

    telemetry.sidechainConnected.store(signals.sidechainCount > 0);

    // The pitch comes from the sidechain when asked for and connected, else from the main input.
    const bool pitchFromSidechain = global.sc.isOn() && signals.sidechainCount > 0;
    const float* detectorChannels[2] = {};
    const int detectorCount = pitchFromSidechain ? signals.sidechainCount : signals.mainCount;
    for (int c = 0; c < detectorCount; ++c)
        detectorChannels[c] = pitchFromSidechain ? signals.sidechain[c] : signals.main[c];

    if (delay.lookaheadSamples() > 0)
    {
        // The tracker must see the audio before the delay: keep an undelayed copy. Growing it allocates,
        // which only a host that breaks its announced block size can cause.
        if (detectorCopy.getNumSamples() < n)
            detectorCopy.setSize(2, n, false, false, true);
        for (int c = 0; c < detectorCount; ++c)
        {
            juce::FloatVectorOperations::copy(detectorCopy.getWritePointer(c), detectorChannels[c], n);
            detectorChannels[c] = detectorCopy.getReadPointer(c);
        }
        delay.process(delayed, rings, delayedCount, n, latency > 0);
    }

    float autoGainDb = 0.0f;
    if (global.autoGain.isOn() && vivera::dsp::isPitchAvailable(follower, lock))
    {
        std::array<float, kNumBands> frozen{};
        std::copy(std::begin(follower.frozenPitch), std::end(follower.frozenPitch), frozen.begin());
        autoGainDb = autoGainCache.estimate(readAutoGainBands(parameters, frozen),
                                            vivera::dsp::smoothedPitchHz(follower), sampleRate);
    }
    autoGainRamp.setTargetValue(gainFromDecibels(autoGainDb));
    telemetry.autoGainDb.store(autoGainDb);

    blockAmount.fill(0.0f);
    blockLevel.fill(-120.0f);

    const float manualFrequency = global.freq.get();
    for (int offset = 0; offset < n; offset += kSubBlockSize)
    {
        SubBlock sub;
        sub.offset = offset;
        sub.length = std::min(kSubBlockSize, n - offset);
        sub.lock = lock;

        float reading = 0.0f;
        if (detectorCount > 0)
        {
            if (detectorCount > 1)
            {
                float mono[kSubBlockSize];
                for (int j = 0; j < sub.length; ++j)
                    mono[j] = (detectorChannels[0][offset + j] + detectorChannels[1][offset + j]) / 2.0f;
                tracker.pushBlock(mono, sub.length);
            }
            else
                tracker.pushBlock(detectorChannels[0] + offset, sub.length);
            reading = tracker.pitchHz;
        }
        vivera::dsp::PitchFollowerInput followerInput;
        followerInput.lock = lock;
        followerInput.manualFrequencyHz = manualFrequency;
        followerInput.trackerPitchHz = reading;
        followerInput.hasDetectorInput = detectorCount > 0;
        vivera::dsp::updatePitch(follower, followerInput, sub.length, sampleRate);
        // While the audio is delayed, the bands take the pitch of the audio they filter now.
        vivera::dsp::pushAlignerReading(aligner, followerInput.hasDetectorInput ? reading : 0.0f, sub.length);
        vivera::dsp::followAlignedPitch(follower, aligner, latency > 0 && !lock, sub.length, sampleRate);
        sub.pitchAvailable = vivera::dsp::isPitchAvailable(follower, lock);
        routing.pitchAvailable = sub.pitchAvailable;

        updateBands(sub, signals, routing);

        renderSubBlock(sub, signals, routing, output);
    }

    telemetry.publishedPitch.store(vivera::dsp::publishedPitchHz(follower, lock));
    telemetry.pitchLost.store(vivera::dsp::isPitchLost(follower, lock, sampleRate));
    for (size_t k = 0; k < static_cast<size_t>(kNumBands); ++k)
    {
        telemetry.publishedBandFrequency[k].store(lastBandFrequency[k]);
        telemetry.bandDynamicAmount[k].store(blockAmount[k]);
        telemetry.bandDetectorLevel[k].store(blockLevel[k]);
    }
    publishFrozenPitches();
    telemetry.detectorLevelDb.store(tracker.levelDb);
    telemetry.meterOutput(buffer, signals.mainCount, scopeBlockStart);
}

void BlockPipeline::updateBands(const SubBlock& sub, const BlockSignals& signals,
                                vivera::dsp::BandBankRouting& routing) noexcept
{
    // First every band's frequency and detector decision, then all detectors of the sub-block in one run
    // (their sidechain filters share vector registers), then the designs. A band's detector depends only on
    // its own inputs and its design only on its own amount, so the order across bands changes nothing.
    // Every entry read below is written first in this sub-block; none needs clearing.
    auto& detectorSettings = detectorRun.settings;
    auto& jobs = detectorRun.jobs;
    std::array<int, kNumBands> jobBand;
    std::array<double, kNumBands> amount;
    std::array<bool, kNumBands> considered;
    int jobCount = 0;

    for (int k = 0; k < kNumBands; ++k)
    {
        const auto index = static_cast<size_t>(k);
        const auto& band = parameters.bands[index];
        auto& detector = detectors[index];
        const bool added = band.add.isOn();
        const bool enabled = band.on.isOn();
        routing.chan[index] = std::clamp(static_cast<int>(band.chan.get()), 0, 2);

        vivera::dsp::BandPitchInput pitchInput;
        pitchInput.added = added;
        pitchInput.enabled = enabled;
        pitchInput.freeze = band.freeze.isOn();
        pitchInput.multiplier = band.mult.get();
        // Also latches freeze (capturing the pitch only while the band is in use).
        const float frequency = vivera::dsp::bandFrequency(follower, k, pitchInput, sub.lock, sampleRate);
        lastBandFrequency[index] = frequency;
        amount[index] = 1.0;
        considered[index] = sub.pitchAvailable && added && enabled;
        if (!considered[index])
        {
            vivera::dsp::resetDetector(detector);
            continue;
        }
        const auto dynamics = readDynamicsParameters(band);
        const bool dynamicNeeded = vivera::dsp::isDynamicBand(dynamics);
        if (frequency > 0.0f && dynamicNeeded)
        {
            const bool external = band.detsc.isOn() && signals.sidechainCount >= 1;
            const float* const* source = external ? signals.sidechain : signals.main;
            const int sourceCount = external ? signals.sidechainCount : signals.mainCount;
            detectorSettings[index] = vivera::dsp::detectorSettingsForBand(dynamics);
            auto& job = jobs[static_cast<size_t>(jobCount)];
            job.detector = &detector;
            job.settings = &detectorSettings[index];
            job.ch0 = source[0] + sub.offset;
            job.ch1 = (sourceCount > 1 ? source[1] : source[0]) + sub.offset;
            job.scFrequencyHz = vivera::dsp::sidechainFrequencyHz(dynamics, frequency);
            jobBand[static_cast<size_t>(jobCount)] = k;
            ++jobCount;
        }
        else if (!dynamicNeeded)
        {
            // A dynamic band whose frequency is out of range keeps its detector state.
            vivera::dsp::resetDetector(detector);
        }
    }

    vivera::dsp::runDetectors(jobs.data(), jobCount, sub.length, sampleRate);
    for (size_t j = 0; j < static_cast<size_t>(jobCount); ++j)
    {
        const auto index = static_cast<size_t>(jobBand[j]);
        amount[index] = jobs[j].amount;
        blockAmount[index] = static_cast<float>(jobs[j].amount);
        blockLevel[index] = static_cast<float>(detectors[index].levelDb);
    }

    for (int k = 0; k < kNumBands; ++k)
    {
        const auto index = static_cast<size_t>(k);
        bool active = false;
        if (considered[index])
        {
            const auto& band = parameters.bands[index];
            active = vivera::dsp::designBandCached(
                designCache[index], readFilterSettings(band, parameters.global), sampleRate,
                lastBandFrequency[index], band.solo.isOn(), amount[index], bands.cascades[index]);
        }
        vivera::dsp::setBandActive(bands, k, active);
    }
}

void BlockPipeline::renderSubBlock(const SubBlock& sub, const BlockSignals& signals,
                                   const vivera::dsp::BandBankRouting& routing,
                                   const OutputSettings& output) noexcept
{
    float* left = signals.main[0] + sub.offset;
    float* right = signals.mainCount > 1 ? signals.main[1] + sub.offset : nullptr;
    const int m = sub.length;

    // Only the first m samples are written and read: no need to clear the rest each sub-block.
    std::array<double, kSubBlockSize> dryL, dryR, wetL, wetR;
    for (int j = 0; j < m; ++j)
    {
        dryL[static_cast<size_t>(j)] = left[j];
        dryR[static_cast<size_t>(j)] = right != nullptr ? right[j] : left[j];
    }
    std::copy(dryL.begin(), dryL.begin() + m, wetL.begin());
    std::copy(dryR.begin(), dryR.begin() + m, wetR.begin());
    if (sub.pitchAvailable)
        vivera::dsp::processBandBank(bands, routing, wetL.data(), wetR.data(), m);

    // The output arithmetic of one sample, given its four ramp values.
    auto outputSample = [&](int j, double mix, double outputGain, double bypass, double autoGain) noexcept
    {
        const auto s = static_cast<size_t>(j);
        // Output and makeup gain act on the wet part only.
        const double w = autoGain * outputGain * mix;
        double outL = (1.0 - mix) * dryL[s] + w * wetL[s];
        double outR = (1.0 - mix) * dryR[s] + w * wetR[s];
        if (output.softClip)
        {
            outL = vivera::dsp::softClip(outL);
            if (right != nullptr)
                outR = vivera::dsp::softClip(outR);
        }
        if (output.delta)
        {
            outL -= dryL[s];
            outR -= dryR[s];
        }
        if (output.monitorChannel == vivera::dsp::kChannelMid)
            outL = outR = (outL + outR) / 2.0;
        else if (output.monitorChannel == vivera::dsp::kChannelSide)
            outL = outR = (outL - outR) / 2.0;

        left[j] = static_cast<float>((1.0 - bypass) * outL + bypass * dryL[s]);
        if (right != nullptr)
            right[j] = static_cast<float>((1.0 - bypass) * outR + bypass * dryR[s]);
    };

    const bool rampsSteady = !mixRamp.isSmoothing() && !outputGainRamp.isSmoothing() &&
                             !bypassRamp.isSmoothing() && !autoGainRamp.isSmoothing();
    if (rampsSteady)
    {
        // A ramp at rest returns its target for every sample: the same values, read once.
        const double mix = mixRamp.getTargetValue();
        const double outputGain = outputGainRamp.getTargetValue();
        const double bypass = bypassRamp.getTargetValue();
        const double autoGain = autoGainRamp.getTargetValue();
        for (int j = 0; j < m; ++j)
            outputSample(j, mix, outputGain, bypass, autoGain);
        return;
    }
    for (int j = 0; j < m; ++j)
    {
        const double mix = mixRamp.getNextValue();
        const double outputGain = outputGainRamp.getNextValue();
        const double bypass = bypassRamp.getNextValue();
        const double autoGain = autoGainRamp.getNextValue();
        outputSample(j, mix, outputGain, bypass, autoGain);
    }
}
