// The audio thread's work on one block: metering, transport, lookahead delay, pitch tracking, band
// dynamics and designs per sub-block, the output stage and publishing for the editor. Owned by the
// processor; reads parameters only through their handles and writes only the telemetry.
#pragma once

#include "engine/parameters/EngineParameters.h"
#include "engine/pipeline/LookaheadDelay.h"
#include "engine/telemetry/Telemetry.h"

#include "dsp/AutoGain.h"
#include "dsp/BandBank.h"
#include "dsp/BandDetector.h"
#include "dsp/PitchFollower.h"
#include "dsp/PitchTracker.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

// Where the main and sidechain channels of one block are in the host's buffer.
struct BlockChannels
{
    int mainCount = 0;      // 0..2
    int sidechainFirst = 0; // buffer index of the first sidechain channel
    int sidechainCount = 0; // 0..2; 0 when the sidechain bus is off
};

class BlockPipeline
{
public:
    BlockPipeline(const EngineParameters& parameters, Telemetry& telemetry);

    // Sizes every buffer and resets every state; afterwards latencySamples() is the latency to report.
    void prepare(double sampleRate, int maximumBlockSize);

    void process(juce::AudioBuffer<float>& buffer, const BlockChannels& channels,
                 const TransportState& transport) noexcept;

    // The latency the audio currently has: the lookahead while it is on, else 0.
    int latencySamples() const noexcept { return latency; }

private:
    // The audio thread's auto-gain estimate, recomputed only when one of its inputs changed.
    struct AutoGainCache
    {
        std::array<vivera::dsp::AutoGainBand, vivera::dsp::kNumBands> lastBands{};
        float lastPitchHz = 0.0f;
        double lastSampleRate = 0.0;
        float lastResultDb = 0.0f;
        bool valid = false;
        vivera::dsp::AutoGainGrid grid; // of the last sample rate

        float estimate(const std::array<vivera::dsp::AutoGainBand, vivera::dsp::kNumBands>& bandSettings,
                       float pitchHz, double rate) noexcept;
    };

    // What one sub-block's band updates and output stage share.
    struct SubBlock
    {
        int offset = 0;
        int length = 0;
        bool pitchAvailable = false;
        bool lock = false;
    };

    struct BlockSignals
    {
        float* main[2] = {};
        int mainCount = 0;
        float* sidechain[2] = {};
        int sidechainCount = 0;
    };

    struct OutputSettings
    {
        bool softClip = false;
        bool delta = false;
        int monitorChannel = 0;
    };

    void resetRamps();
    void resetBands() noexcept;
    void publishFrozenPitches() noexcept;
    void updateBands(const SubBlock& sub, const BlockSignals& signals,
                     vivera::dsp::BandBankRouting& routing) noexcept;
    void renderSubBlock(const SubBlock& sub, const BlockSignals& signals,
                        const vivera::dsp::BandBankRouting& routing, const OutputSettings& output) noexcept;

    const EngineParameters& parameters;
    Telemetry& telemetry;

    double sampleRate = 44100.0;
    int latency = 0;
    int scopeBlockStart = 0;

    // Pitch tracking
    vivera::dsp::PitchTracker tracker;
    vivera::dsp::PitchFollower follower;
    vivera::dsp::PitchAligner aligner; // the band pitch lined up with the delayed audio

    // Bands: cascades, channel states and active flags, and one level detector each.
    vivera::dsp::BandBank bands;
    std::array<vivera::dsp::BandDesignCache, vivera::dsp::kNumBands> designCache{}; // of bands.cascades
    std::array<vivera::dsp::BandDetector, vivera::dsp::kNumBands> detectors{};
    // One sub-block's detector settings and jobs: kept here so they are not constructed anew every
    // sub-block.
    struct DetectorRun
    {
        std::array<vivera::dsp::DetectorSettings, vivera::dsp::kNumBands> settings{};
        std::array<vivera::dsp::DetectorJob, vivera::dsp::kNumBands> jobs{};
    } detectorRun;
    std::array<float, vivera::dsp::kNumBands> lastBandFrequency{};
    std::array<float, vivera::dsp::kNumBands> blockAmount{};
    std::array<float, vivera::dsp::kNumBands> blockLevel{};
    AutoGainCache autoGainCache;

    // Ramps of the parameter-driven gains (20 ms, makeup gain 400 ms).
    juce::LinearSmoothedValue<float> mixRamp;
    juce::LinearSmoothedValue<float> outputGainRamp;
    juce::LinearSmoothedValue<float> bypassRamp;
    juce::LinearSmoothedValue<float> autoGainRamp{1.0f};

    LookaheadDelay delay;
    juce::AudioBuffer<float> detectorCopy; // undelayed detector signal of the current block
};
