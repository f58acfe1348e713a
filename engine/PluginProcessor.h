// The audio processor: buses, parameters, latency and the members the block pipeline works on.
#pragma once

#include "ParameterIds.h"
#include "Telemetry.h"

#include "dsp/AutoGain.h"
#include "dsp/BandBank.h"
#include "dsp/BandDesign.h"
#include "dsp/BandDetector.h"
#include "dsp/DetectorSettingsRules.h"
#include "dsp/PitchFollower.h"
#include "dsp/PitchTracker.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>
#include <utility>
#include <vector>

class VezovevaDirADAudioProcessor : public juce::AudioProcessor
{
public:
    VezovevaDirADAudioProcessor();
    ~VezovevaDirADAudioProcessor() override;

    const juce::String getName() const override;

    void prepareToPlay(double newSampleRate, int maximumBlockSize) override;
    void releaseResources() override;
    bool isBusesLayoutSupported(const BusesLayout& layouts) const override;

    using juce::AudioProcessor::processBlock;
    using juce::AudioProcessor::processBlockBypassed;
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    void processBlockBypassed(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool supportsMPE() const override;
    bool isMidiEffect() const override;
    juce::AudioProcessorParameter* getBypassParameter() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram(int index) override;
    const juce::String getProgramName(int index) override;
    void changeProgramName(int index, const juce::String& newName) override;

    void getStateInformation(juce::MemoryBlock& destData) override;
    void setStateInformation(const void* data, int sizeInBytes) override;

    // Raw atomic values of every parameter the engine reads, bound once so the audio thread never looks
    // parameters up by ID. Band arrays are indexed by band index k = band number - 1.
    struct BandValues
    {
        using Pointers = std::array<const std::atomic<float>*, kNumBands>;
        Pointers add{}, on{}, type{}, slope{}, chan{}, mult{}, gain{}, q{}, solo{}, freeze{}, dyn{},
            dynmode{}, thresh{}, ratio{}, attack{}, release{}, knee{}, range{}, det{}, detq{}, detsc{},
            detfreq{}, scshape{};
    };

    struct GlobalValues
    {
        const std::atomic<float>*lock{}, *freq{}, *bypass{}, *sens{}, *gate{}, *trkHp{}, *trkLp{}, *scale{},
            *out{}, *mix{}, *sc{}, *monSig{}, *monCh{}, *autoGain{}, *softClip{}, *autoByp{}, *lookahead{};
    };

    juce::UndoManager undoManager;
    juce::AudioProcessorValueTreeState parameters;

    const BandValues& bandValues() const noexcept { return band; }
    const GlobalValues& globalValues() const noexcept { return global; }

    int getActiveSlot() const noexcept { return activeSlot; }

    // Saved state, presets and A/B (message thread only).
    struct FactoryPreset
    {
        juce::String spanishName;
        juce::String englishName;
        std::vector<std::pair<juce::String, float>> values; // parameter ID, plain value
    };

    juce::ValueTree completeState(juce::ValueTree tree) const;
    static juce::File presetFolder();
    bool savePresetFile(const juce::File& file);
    bool loadPresetFile(const juce::File& file);
    bool loadPresetData(const void* data, size_t size, const juce::String& presetName);
    bool loadPresetXml(const juce::XmlElement& xml, const juce::String& presetName);
    static const std::vector<FactoryPreset>& factoryPresets();
    void loadFactoryPreset(int index);
    void copyToOtherSlot();
    void switchSlot();
    juce::String getPresetName() const;

    // Band designs as the audio path makes them, for the auto-gain estimate and the editor's curves.
    bool designBand(int bandIndex, double frequencyHz, bool solo, double amount,
                    vivera::dsp::BandCascade& cascade) const noexcept;
    float estimateAutoGain(float pitchHz) const noexcept;

    // Written by the audio thread, read by the editor.
    Telemetry telemetry;

private:
    void cacheParameterPointers();
    void resetRamps();

    vivera::dsp::BandFilterSettings bandFilterSettings(int bandIndex) const noexcept;
    vivera::dsp::BandDynamicsParameters bandDynamicsParameters(int bandIndex) const noexcept;
    std::array<vivera::dsp::AutoGainBand, kNumBands> autoGainBands() const noexcept;

    // The audio thread's auto-gain estimate, recomputed only when one of its inputs changed.
    struct AutoGainCache
    {
        std::array<vivera::dsp::AutoGainBand, kNumBands> lastBands{};
        float lastPitchHz = 0.0f;
        double lastSampleRate = 0.0;
        float lastResultDb = 0.0f;
        bool valid = false;

        float estimate(const std::array<vivera::dsp::AutoGainBand, kNumBands>& bands, float pitchHz,
                       double rate) noexcept;
    };
    AutoGainCache autoGainCache;

    void resetBands() noexcept;
    void followTransport(int n) noexcept;
    void runLookaheadDelay(float* const* channels, const int* delayIndices, int count, int n) noexcept;
    void updateBand(int k, bool available, bool lock, int offset, int m, float* const* mainChannels,
                    int mainCount, float* const* sidechainChannels, int scCount,
                    std::array<float, kNumBands>& blockAmount, std::array<float, kNumBands>& blockLevel,
                    vivera::dsp::BandBankRouting& routing) noexcept;
    void renderSubBlock(float* const* mainChannels, int mainCount, int offset, int m, bool available,
                        const vivera::dsp::BandBankRouting& routing, bool softClipOn, bool deltaMonitoring,
                        int monitorChannel) noexcept;

    juce::ValueTree copyCurrentState();
    void setPresetName(const juce::String& name);
    void setParameterFromPlainValue(juce::RangedAudioParameter& parameter, float plainValue);
    static bool isKeptAcrossPresetLoads(const juce::String& parameterId);

    // Pitch tracking
    double sampleRate = 44100.0;
    vivera::dsp::PitchTracker tracker;
    vivera::dsp::PitchFollower follower; // logPitch, hasPitch, samplesSinceLoss, frozen pitches

    // Bands: cascades, channel states and active flags, and one level detector each.
    vivera::dsp::BandBank bands;
    std::array<vivera::dsp::BandDetector, kNumBands> detectors{};
    std::array<float, kNumBands> lastBandFrequency{};

    // Ramps of the parameter-driven gains (20 ms, makeup gain 400 ms).
    juce::LinearSmoothedValue<float> mixRamp;
    juce::LinearSmoothedValue<float> outputGainRamp;
    juce::LinearSmoothedValue<float> bypassRamp;
    juce::LinearSmoothedValue<float> autoGainRamp{1.0f};

    // Lookahead
    int lookaheadSamples = 0;
    int latencySamples = -1;
    int delayWritePos = 0;
    float lookaheadMix = 1.0f;
    float lookaheadMixStep = 0.0f;
    float delayFade = 1.0f;
    float delayFadeStep = 0.0f;
    bool delayFadeOutPending = false;
    bool wasPlaying = false;
    juce::int64 expectedNextSample = -1;
    juce::AudioBuffer<float> delayBuffer;  // channels 0-1 main bus, 2-3 sidechain
    juce::AudioBuffer<float> detectorCopy; // undelayed detector signal of the current block

    // A/B settings: the parameter state of the slot not currently shown.
    juce::ValueTree otherSlotState;
    int activeSlot = 0;
    int scopeBlockStart = 0;

    BandValues band;
    GlobalValues global;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(VezovevaDirADAudioProcessor)
};
