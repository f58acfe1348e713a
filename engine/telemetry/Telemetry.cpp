#include "engine/telemetry/Telemetry.h"

#include <algorithm>
#include <cmath>

namespace
{
float blockPeak(const juce::AudioBuffer<float>& buffer, int channel) noexcept
{
    if (buffer.hasBeenCleared())
        return 0.0f;
    const float* samples = buffer.getReadPointer(channel);
    const int n = buffer.getNumSamples();
    // Eight running maxima that the compiler can keep in vector registers; the maximum is exact in any
    // order, and a NaN is skipped by every comparison as by a single running one.
    constexpr int kLanes = 8;
    float lanes[kLanes] = {};
    int i = 0;
    for (; i + kLanes <= n; i += kLanes)
        for (int l = 0; l < kLanes; ++l)
            lanes[l] = std::max(lanes[l], std::abs(samples[i + l]));
    float peak = 0.0f;
    for (int l = 0; l < kLanes; ++l)
        peak = std::max(peak, lanes[l]);
    for (; i < n; ++i)
        peak = std::max(peak, std::abs(samples[i]));
    return peak;
}

void writeMonoToRing(const juce::AudioBuffer<float>& buffer, int channelCount, int start,
                     Telemetry::Ring& ring) noexcept
{
    const int n = buffer.getNumSamples();
    const float* first = channelCount > 0 ? buffer.getReadPointer(0) : nullptr;
    const float* second = channelCount > 1 ? buffer.getReadPointer(1) : nullptr;
    int position = ((start % Telemetry::kScopeSize) + Telemetry::kScopeSize) % Telemetry::kScopeSize;
    for (int j = 0; j < n; ++j)
    {
        // The mean as a running sum from zero, as the scope has always shown it.
        float value = 0.0f;
        if (second != nullptr)
            value = (0.0f + first[j] + second[j]) / 2.0f;
        else if (first != nullptr)
            value = 0.0f + first[j];
        ring[static_cast<size_t>(position)].store(value, std::memory_order_relaxed);
        if (++position == Telemetry::kScopeSize)
            position = 0;
    }
}
} // namespace

void raiseAtomicMaximum(std::atomic<float>& target, float value) noexcept
{
    float stored = target.load();
    while (value > stored && !target.compare_exchange_weak(stored, value))
    {
    }
}

Telemetry::Telemetry()
{
    for (auto& level : bandDetectorLevel)
        level.store(-120.0f);
}

void Telemetry::meterInput(const juce::AudioBuffer<float>& buffer, int channelCount,
                           int& scopeBlockStart) noexcept
{
    scopeBlockStart = scopeWriteIndex.load();
    for (int c = 0; c < std::min(channelCount, 2); ++c)
        raiseAtomicMaximum(inputPeak[static_cast<size_t>(c)], blockPeak(buffer, c));
    writeMonoToRing(buffer, std::min(channelCount, 2), scopeBlockStart, inputScope);
}

void Telemetry::meterOutput(const juce::AudioBuffer<float>& buffer, int channelCount,
                            int scopeBlockStart) noexcept
{
    for (int c = 0; c < std::min(channelCount, 2); ++c)
        raiseAtomicMaximum(outputPeak[static_cast<size_t>(c)], blockPeak(buffer, c));
    writeMonoToRing(buffer, std::min(channelCount, 2), scopeBlockStart, outputScope);
    // Release: a reader that loads this index also sees every ring sample written before it.
    scopeWriteIndex.store((scopeBlockStart + buffer.getNumSamples()) % kScopeSize, std::memory_order_release);
}

void Telemetry::publishBypassedBands() noexcept
{
    for (size_t k = 0; k < kNumBands; ++k)
    {
        publishedBandFrequency[k].store(0.0f);
        bandDynamicAmount[k].store(0.0f);
        bandDetectorLevel[k].store(-120.0f);
    }
}

void Telemetry::read(TelemetrySnapshot& snapshot) noexcept
{
    snapshot.pitchHz = publishedPitch.load();
    snapshot.pitchLost = pitchLost.load();
    for (size_t k = 0; k < kNumBands; ++k)
    {
        snapshot.bandFrequency[k] = publishedBandFrequency[k].load();
        snapshot.bandDynamicAmount[k] = bandDynamicAmount[k].load();
        snapshot.bandDetectorLevelDb[k] = bandDetectorLevel[k].load();
        snapshot.frozenPitchHz[k] = frozenPitch[k].load();
    }
    for (int c = 0; c < 2; ++c)
    {
        snapshot.inputPeak[static_cast<size_t>(c)] = takeInputPeak(c);
        snapshot.outputPeak[static_cast<size_t>(c)] = takeOutputPeak(c);
    }
    snapshot.sidechainConnected = sidechainConnected.load();
    snapshot.autoGainDb = autoGainDb.load();
    snapshot.detectorLevelDb = detectorLevelDb.load();
    snapshot.sampleRate = sampleRate.load();
}

void Telemetry::copyScopes(float* inputDestination, float* outputDestination) const noexcept
{
    const int start = scopeWriteIndex.load(std::memory_order_acquire);
    for (int i = 0; i < kScopeSize; ++i)
    {
        const auto position = static_cast<size_t>((start + i) % kScopeSize);
        if (inputDestination != nullptr)
            inputDestination[i] = inputScope[position].load(std::memory_order_relaxed);
        if (outputDestination != nullptr)
            outputDestination[i] = outputScope[position].load(std::memory_order_relaxed);
    }
}
