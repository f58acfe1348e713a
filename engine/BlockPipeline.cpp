// The audio thread's block callback: metering, transport, lookahead delay, pitch tracking, band dynamics
// and designs per 32-sample sub-block, the output stage and publishing for the editor.
#include "PluginProcessor.h"

#include "dsp/SoftClip.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int kSubBlock = 32;

float load(const std::atomic<float>* value) noexcept
{
    return value->load(std::memory_order_relaxed);
}
bool isOn(const std::atomic<float>* value) noexcept
{
    return load(value) > 0.5f;
}

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

void VezovevaDirADAudioProcessor::resetBands() noexcept
{
    vivera::dsp::resetBandBank(bands);
    for (auto& detector : detectors)
        vivera::dsp::resetDetector(detector);
}

void VezovevaDirADAudioProcessor::runLookaheadDelay(float* const* channels, const int* delayIndices,
                                                    int count, int n) noexcept
{
    float* ring[4] = {};
    for (int c = 0; c < count; ++c)
        ring[c] = delayBuffer.getWritePointer(delayIndices[c]);

    const float mixTarget = latencySamples > 0 ? 1.0f : 0.0f;
    for (int i = 0; i < n; ++i)
    {
        if (lookaheadMix < mixTarget)
            lookaheadMix = std::min(mixTarget, lookaheadMix + lookaheadMixStep);
        else if (lookaheadMix > mixTarget)
            lookaheadMix = std::max(mixTarget, lookaheadMix - lookaheadMixStep);

        if (delayFadeOutPending)
        {
            delayFade -= delayFadeStep;
            if (delayFade <= 0.0f)
            {
                // Cleared through the channel pointers: the buffer's own clear() may skip a buffer it
                // believes is still silent.
                for (int d = 0; d < delayBuffer.getNumChannels(); ++d)
                    juce::FloatVectorOperations::clear(delayBuffer.getWritePointer(d),
                                                       delayBuffer.getNumSamples());
                delayFade = 0.0f;
                delayFadeOutPending = false;
            }
        }
        else if (delayFade < 1.0f)
        {
            delayFade = std::min(1.0f, delayFade + delayFadeStep);
        }

        for (int c = 0; c < count; ++c)
        {
            const float old = ring[c][delayWritePos];
            const float x = channels[c][i];
            ring[c][delayWritePos] = x;
            channels[c][i] = x + lookaheadMix * (old * delayFade - x);
        }
        delayWritePos = (delayWritePos + 1) % lookaheadSamples;
    }
}

void VezovevaDirADAudioProcessor::followTransport(int n) noexcept
{
    auto* playHead = getPlayHead();
    if (playHead == nullptr)
        return;
    const auto position = playHead->getPosition();
    if (!position.hasValue())
        return;

    const bool playing = position->getIsPlaying();
    const auto time = position->getTimeInSamples();
    const bool jumped = playing && wasPlaying && time.hasValue() && expectedNextSample >= 0 &&
                        std::abs(*time - expectedNextSample) > n;
    if (playing && !wasPlaying)
    {
        for (int d = 0; d < delayBuffer.getNumChannels(); ++d)
            juce::FloatVectorOperations::clear(delayBuffer.getWritePointer(d), delayBuffer.getNumSamples());
        delayFade = 0.0f;
        delayFadeOutPending = false;
    }
    else if (playing != wasPlaying || jumped)
    {
        delayFadeOutPending = true;
    }
    wasPlaying = playing;
    expectedNextSample = (playing && time.hasValue()) ? *time + n : -1;
}

void VezovevaDirADAudioProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;

    const int n = buffer.getNumSamples();
    const int bufferChannels = buffer.getNumChannels();
    const int mainCount = std::min({2, getMainBusNumInputChannels(), bufferChannels});

    int scCount = 0;
    int scFirst = 0;
    if (getBusCount(true) > 1)
    {
        auto* sidechainBus = getBus(true, 1);
        if (sidechainBus != nullptr && sidechainBus->isEnabled() && sidechainBus->getNumberOfChannels() > 0)
        {
            scFirst = getChannelIndexInProcessBlockBuffer(true, 1, 0);
            scCount =
                std::clamp(std::min(2, sidechainBus->getNumberOfChannels()), 0, bufferChannels - scFirst);
        }
    }

    float* mainChannels[2] = {};
    float* sidechainChannels[2] = {};
    for (int c = 0; c < mainCount; ++c)
    {
        mainChannels[c] = buffer.getWritePointer(c);
        replaceNonFiniteWithSilence(mainChannels[c], n);
    }
    for (int c = 0; c < scCount; ++c)
    {
        sidechainChannels[c] = buffer.getWritePointer(scFirst + c);
        replaceNonFiniteWithSilence(sidechainChannels[c], n);
    }
    telemetry.meterInput(buffer, mainCount, scopeBlockStart);
    if (mainCount == 0) // no layout we accept has this, but a host could still hand over an empty buffer
    {
        telemetry.meterOutput(buffer, 0, scopeBlockStart);
        return;
    }
    followTransport(n);

    const int targetLatency = isOn(global.lookahead) ? lookaheadSamples : 0;
    if (targetLatency != latencySamples)
    {
        latencySamples = targetLatency;
        if (getLatencySamples() != targetLatency)
            setLatencySamples(targetLatency);
    }

    const bool lock = isOn(global.lock);
    const bool bypassOn = isOn(global.bypass);
    const bool autoBypass = vivera::dsp::isAutoBypassed(follower, isOn(global.autoByp), lock, sampleRate);
    bypassRamp.setTargetValue(bypassOn || autoBypass ? 1.0f : 0.0f);

    // Delay ring channels: 0-1 hold the main bus, 2-3 the sidechain.
    static constexpr int kMainDelayIndices[2] = {0, 1};
    static constexpr int kSidechainDelayIndices[2] = {2, 3};

    if (bypassOn && !bypassRamp.isSmoothing())
    {
        if (lookaheadSamples > 0)
            runLookaheadDelay(mainChannels, kMainDelayIndices, mainCount, n);
        resetBands();
        telemetry.publishBypassedBands();
        telemetry.meterOutput(buffer, mainCount, scopeBlockStart);
        return;
    }

    const float manualFrequency = load(global.freq);
    const bool softClipOn = isOn(global.softClip);
    const bool deltaMonitoring = isOn(global.monSig);
    const int monitorChannel = std::clamp(static_cast<int>(load(global.monCh)), 0, 2);
    tracker.applySettings(load(global.sens), load(global.gate), load(global.trkHp), load(global.trkLp));

    mixRamp.setTargetValue(load(global.mix) / 100.0f);
    outputGainRamp.setTargetValue(gainFromDecibels(load(global.out)));

    vivera::dsp::BandBankRouting routing;
    routing.mono = mainCount < 2;
    for (size_t k = 0; k < static_cast<size_t>(kNumBands); ++k)
        routing.solo[k] = isOn(band.solo[k]) && isOn(band.add[k]) && isOn(band.on[k]);
    routing.listenMode = vivera::dsp::anyBandSoloed(routing);

    telemetry.sidechainConnected.store(scCount > 0);

    // The pitch comes from the sidechain when asked for and connected, else from the main input.
    const bool pitchFromSidechain = isOn(global.sc) && scCount > 0;
    const float* detectorChannels[2] = {};
    int detectorCount = pitchFromSidechain ? scCount : mainCount;
    for (int c = 0; c < detectorCount; ++c)
        detectorChannels[c] = pitchFromSidechain ? sidechainChannels[c] : mainChannels[c];

    if (lookaheadSamples > 0)
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
        float* delayed[4] = {};
        int delayIndices[4] = {};
        int delayedCount = 0;
        for (int c = 0; c < mainCount; ++c, ++delayedCount)
        {
            delayed[delayedCount] = mainChannels[c];
            delayIndices[delayedCount] = kMainDelayIndices[c];
        }
        for (int c = 0; c < scCount; ++c, ++delayedCount)
        {
            delayed[delayedCount] = sidechainChannels[c];
            delayIndices[delayedCount] = kSidechainDelayIndices[c];
        }
        runLookaheadDelay(delayed, delayIndices, delayedCount, n);
    }

    float autoGainDb = 0.0f;
    if (isOn(global.autoGain) && vivera::dsp::isPitchAvailable(follower, lock))
        autoGainDb =
            autoGainCache.estimate(autoGainBands(), vivera::dsp::smoothedPitchHz(follower), sampleRate);
    autoGainRamp.setTargetValue(gainFromDecibels(autoGainDb));
    telemetry.autoGainDb.store(autoGainDb);

    std::array<float, kNumBands> blockAmount{};
    std::array<float, kNumBands> blockLevel;
    blockLevel.fill(-120.0f);

    for (int offset = 0; offset < n; offset += kSubBlock)
    {
        const int m = std::min(kSubBlock, n - offset);

        float reading = 0.0f;
        if (detectorCount > 0)
        {
            for (int j = 0; j < m; ++j)
            {
                const float mono =
                    detectorCount > 1
                        ? (detectorChannels[0][offset + j] + detectorChannels[1][offset + j]) / 2.0f
                        : detectorChannels[0][offset + j];
                tracker.pushSample(mono);
            }
            reading = tracker.pitchHz;
        }
        vivera::dsp::PitchFollowerInput followerInput;
        followerInput.lock = lock;
        followerInput.manualFrequencyHz = manualFrequency;
        followerInput.trackerPitchHz = reading;
        followerInput.hasDetectorInput = detectorCount > 0;
        vivera::dsp::updatePitch(follower, followerInput, m, sampleRate);
        const bool available = vivera::dsp::isPitchAvailable(follower, lock);
        routing.pitchAvailable = available;

        for (int k = 0; k < kNumBands; ++k)
            updateBand(k, available, lock, offset, m, mainChannels, mainCount, sidechainChannels, scCount,
                       blockAmount, blockLevel, routing);

        renderSubBlock(mainChannels, mainCount, offset, m, available, routing, softClipOn, deltaMonitoring,
                       monitorChannel);
    }

    telemetry.publishedPitch.store(vivera::dsp::publishedPitchHz(follower, lock));
    telemetry.pitchLost.store(vivera::dsp::isPitchLost(follower, lock, sampleRate));
    for (size_t k = 0; k < static_cast<size_t>(kNumBands); ++k)
    {
        telemetry.publishedBandFrequency[k].store(lastBandFrequency[k]);
        telemetry.bandDynamicAmount[k].store(blockAmount[k]);
        telemetry.bandDetectorLevel[k].store(blockLevel[k]);
    }
    telemetry.detectorLevelDb.store(tracker.levelDb);
    telemetry.meterOutput(buffer, mainCount, scopeBlockStart);
}

void VezovevaDirADAudioProcessor::updateBand(int k, bool available, bool lock, int offset, int m,
                                             float* const* mainChannels, int mainCount,
                                             float* const* sidechainChannels, int scCount,
                                             std::array<float, kNumBands>& blockAmount,
                                             std::array<float, kNumBands>& blockLevel,
                                             vivera::dsp::BandBankRouting& routing) noexcept
{
    const auto index = static_cast<size_t>(k);
    auto& detector = detectors[index];
    const bool added = isOn(band.add[index]);
    const bool enabled = isOn(band.on[index]);
    routing.chan[index] = std::clamp(static_cast<int>(load(band.chan[index])), 0, 2);

    vivera::dsp::BandPitchInput pitchInput;
    pitchInput.added = added;
    pitchInput.enabled = enabled;
    pitchInput.freeze = isOn(band.freeze[index]);
    pitchInput.multiplier = load(band.mult[index]);
    // Also latches freeze (capturing the pitch only while the band is in use).
    const float frequency = vivera::dsp::bandFrequency(follower, k, pitchInput, lock, sampleRate);
    lastBandFrequency[index] = frequency;

    bool active = false;
    if (!available || !added || !enabled)
    {
        vivera::dsp::resetDetector(detector);
    }
    else
    {
        const auto dynamics = bandDynamicsParameters(k);
        const bool dynamicNeeded = vivera::dsp::isDynamicBand(dynamics);
        double amount = 1.0;
        if (frequency <= 0.0f)
        {
            if (!dynamicNeeded)
                vivera::dsp::resetDetector(detector);
        }
        else if (dynamicNeeded)
        {
            const bool external = isOn(band.detsc[index]) && scCount >= 1;
            float* const* source = external ? sidechainChannels : mainChannels;
            const int sourceCount = external ? scCount : mainCount;
            const float* in0 = source[0] + offset;
            const float* in1 = (sourceCount > 1 ? source[1] : source[0]) + offset;
            amount = vivera::dsp::runDetector(detector, vivera::dsp::detectorSettingsForBand(dynamics), in0,
                                              in1, m, vivera::dsp::sidechainFrequencyHz(dynamics, frequency),
                                              sampleRate);
            blockAmount[index] = static_cast<float>(amount);
            blockLevel[index] = static_cast<float>(detector.levelDb);
        }
        else
        {
            vivera::dsp::resetDetector(detector);
        }
        active = vivera::dsp::designBand(bandFilterSettings(k), sampleRate, frequency, isOn(band.solo[index]),
                                         amount, bands.cascades[index]);
    }
    vivera::dsp::setBandActive(bands, k, active);
}

void VezovevaDirADAudioProcessor::renderSubBlock(float* const* mainChannels, int mainCount, int offset, int m,
                                                 bool available, const vivera::dsp::BandBankRouting& routing,
                                                 bool softClipOn, bool deltaMonitoring,
                                                 int monitorChannel) noexcept
{
    float* left = mainChannels[0] + offset;
    float* right = mainCount > 1 ? mainChannels[1] + offset : nullptr;

    std::array<double, kSubBlock> dryL{}, dryR{}, wetL{}, wetR{};
    for (int j = 0; j < m; ++j)
    {
        dryL[static_cast<size_t>(j)] = left[j];
        dryR[static_cast<size_t>(j)] = right != nullptr ? right[j] : left[j];
    }
    wetL = dryL;
    wetR = dryR;
    if (available)
        vivera::dsp::processBandBank(bands, routing, wetL.data(), wetR.data(), m);

    for (int j = 0; j < m; ++j)
    {
        const auto s = static_cast<size_t>(j);
        const double mix = mixRamp.getNextValue();
        const double outputGain = outputGainRamp.getNextValue();
        const double bypass = bypassRamp.getNextValue();
        const double autoGain = autoGainRamp.getNextValue();

        // Output and makeup gain act on the wet part only.
        const double w = autoGain * outputGain * mix;
        double outL = (1.0 - mix) * dryL[s] + w * wetL[s];
        double outR = (1.0 - mix) * dryR[s] + w * wetR[s];
        if (softClipOn)
        {
            outL = vivera::dsp::softClip(outL);
            if (right != nullptr)
                outR = vivera::dsp::softClip(outR);
        }
        if (deltaMonitoring)
        {
            outL -= dryL[s];
            outR -= dryR[s];
        }
        if (monitorChannel == 1)
            outL = outR = (outL + outR) / 2.0;
        else if (monitorChannel == 2)
            outL = outR = (outL - outR) / 2.0;

        left[j] = static_cast<float>((1.0 - bypass) * outL + bypass * dryL[s]);
        if (right != nullptr)
            right[j] = static_cast<float>((1.0 - bypass) * outR + bypass * dryR[s]);
    }
}
