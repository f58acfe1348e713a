// What the audio thread publishes for the editor: pitch, band states, peaks, two analyser rings and the
// inputs the editor needs to draw the same band curves the audio uses. Single writer (the audio thread);
// readers on the message thread never block it and never read a value while it is being written.
#pragma once

#include "dsp/Constants.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <atomic>

// Everything the editor shows besides parameter values, as read in one call per editor tick.
struct TelemetrySnapshot
{
    float pitchHz = 0.0f; // smoothed pitch a x1 band sits on; 0 without a pitch
    bool pitchLost = true;
    std::array<float, vivera::dsp::kNumBands> bandFrequency{};       // Hz; 0 for an inactive band
    std::array<float, vivera::dsp::kNumBands> bandDynamicAmount{};   // 0..1
    std::array<float, vivera::dsp::kNumBands> bandDetectorLevelDb{}; // -120 when the dynamics did not run
    std::array<float, vivera::dsp::kNumBands> frozenPitchHz{};       // where a frozen band sits
    std::array<float, 2> inputPeak{};                                // linear, since the previous read
    std::array<float, 2> outputPeak{};
    bool sidechainConnected = false;
    float autoGainDb = 0.0f;
    float detectorLevelDb = -120.0f;
    double sampleRate = 44100.0;
};

struct Telemetry
{
    static constexpr int kNumBands = vivera::dsp::kNumBands;
    static constexpr int kScopeSize = 4096;
    using Ring = std::array<std::atomic<float>, kScopeSize>;

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
    // Elements are atomics (relaxed: a plain store and load on common hardware), so the editor may copy a
    // ring while the audio thread writes it; at worst it sees a few samples of the next block.
    Ring inputScope{};
    Ring outputScope{};
    std::atomic<int> scopeWriteIndex{0};

    // Design inputs the editor's curves share with the audio thread.
    std::atomic<double> sampleRate{44100.0};
    std::array<std::atomic<float>, kNumBands> frozenPitch{};

    Telemetry();

    // Writer side (audio thread). meterInput remembers where the block starts in the rings; meterOutput
    // writes the output ring and then publishes both with one store of the write index.
    void meterInput(const juce::AudioBuffer<float>& buffer, int channelCount, int& scopeBlockStart) noexcept;
    void meterOutput(const juce::AudioBuffer<float>& buffer, int channelCount, int scopeBlockStart) noexcept;
    void publishBypassedBands() noexcept;

    // Reader side (message thread). Each peak is the largest sample since the previous call.
    float takeInputPeak(int channel) noexcept
    {
        return inputPeak[static_cast<size_t>(channel & 1)].exchange(0.0f);
    }
    float takeOutputPeak(int channel) noexcept
    {
        return outputPeak[static_cast<size_t>(channel & 1)].exchange(0.0f);
    }

    // Reads every published scalar and takes the four peaks.
    void read(TelemetrySnapshot& snapshot) noexcept;

    // Copies both rings, oldest sample first, as of one write index. Either destination may be null.
    void copyScopes(float* inputDestination, float* outputDestination) const noexcept;
};

// Raises an atomic to at least `value`; never lowers it, so no peak between two readings is lost.
void raiseAtomicMaximum(std::atomic<float>& target, float value) noexcept;

static_assert(std::atomic<float>::is_always_lock_free && std::atomic<double>::is_always_lock_free,
              "published values must never take a lock");
