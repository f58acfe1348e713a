// What the audio thread publishes for the editor: pitch, band states, peaks and two analyser rings.
// Single writer (the audio thread); readers on the message thread never block it.
#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <atomic>

struct Telemetry
{
    static constexpr int kNumBands = 16;
    static constexpr int kScopeSize = 4096;

    std::atomic<float> publishedPitch{0.0f};
    std::atomic<bool> pitchLost{true};
    std::array<std::atomic<float>, kNumBands> publishedBandFrequency{};
    std::array<std::atomic<float>, kNumBands> bandDynamicAmount{};
    std::array<std::atomic<float>, kNumBands> bandDetectorLevel{};
    std::array<std::atomic<float>, 2> inputPeak{};
    std::array<std::atomic<float>, 2> outputPeak{};
    std::atomic<bool> sidechainConnected{false};
    std::atomic<float> autoGainDb{0.0f};
    std::atomic<float> detectorLevelDb{-120.0f};
    std::array<float, kScopeSize> inputScope{};
    std::array<float, kScopeSize> outputScope{};
    std::atomic<int> scopeWriteIndex{0};

    Telemetry();

    // Writer side (audio thread). meterInput remembers where the block starts in the rings; meterOutput
    // writes the output ring and then publishes both with one store of the write index.
    void meterInput(const juce::AudioBuffer<float>& buffer, int channelCount, int& scopeBlockStart) noexcept;
    void meterOutput(const juce::AudioBuffer<float>& buffer, int channelCount, int scopeBlockStart) noexcept;
    void publishBypassedBands() noexcept;

    // Reader side (message thread): the largest sample since the previous call.
    float takeInputPeak(int channel) noexcept
    {
        return inputPeak[static_cast<size_t>(channel)].exchange(0.0f);
    }
    float takeOutputPeak(int channel) noexcept
    {
        return outputPeak[static_cast<size_t>(channel)].exchange(0.0f);
    }

    // Copies a ring oldest sample first.
    void copyScope(const std::array<float, kScopeSize>& ring, float* destination) const noexcept;
};

// Raises an atomic to at least `value`; never lowers it, so no peak between two readings is lost.
void raiseAtomicMaximum(std::atomic<float>& target, float value) noexcept;
