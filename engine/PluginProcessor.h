// The audio processor: buses, latency, the host's entry points and the one door through which the editor
// reaches the engine (parameter handles, the telemetry snapshot, band curves, state operations).
#pragma once

#include "engine/LatencyReporter.h"
#include "engine/TeardownLock.h"
#include "engine/parameters/EngineParameters.h"
#include "engine/parameters/ParameterIds.h"
#include "engine/state/PluginState.h"
#include "engine/telemetry/Telemetry.h"

#include "dsp/BandCascade.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

class BlockPipeline;

class VezovevaDirADAudioProcessor : public juce::AudioProcessor
{
    // First, so it is released last: the destructor takes it before any member goes (see TeardownLock).
    TeardownLock teardownLock;

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

    juce::UndoManager undoManager;
    juce::AudioProcessorValueTreeState parameters;

    // Every parameter as a typed handle: band slot k (0..15, clamped) and the global set.
    const EngineParameters& engineParameters() const noexcept { return handles; }
    const BandParameters& bandParameters(int bandIndex) const noexcept { return handles.band(bandIndex); }
    const GlobalParameters& globalParameters() const noexcept { return handles.global; }

    // Written by the audio thread only. The editor reads it through readTelemetry and copyScopes.
    Telemetry telemetry;

    // One editor tick's read of everything the engine publishes; takes the peaks.
    void readTelemetry(TelemetrySnapshot& snapshot) noexcept { telemetry.read(snapshot); }
    // The analyser rings (4096 samples each, oldest first); either destination may be null.
    void copyScopes(float* input, float* output) const noexcept { telemetry.copyScopes(input, output); }

    // Band k's cascade as the audio designs it, from the parameters and the published sample rate; safe on
    // the message thread. Returns false for an inactive band (frequency 0 or out of range).
    bool designBand(int bandIndex, double frequencyHz, bool solo, double amount,
                    vivera::dsp::BandCascade& cascade) const noexcept;
    // The auto-gain estimate for a pitch, from the parameters and the published frozen pitches.
    float estimateAutoGain(float pitchHz) const noexcept;

    // Saved state, presets and A/B (message thread only).
    // The host's restore, telling whether the data was a state of ours (false: nothing changed).
    bool restoreState(const void* data, int sizeInBytes) { return state.readStateBlob(data, sizeInBytes); }
    juce::ValueTree completeState(juce::ValueTree tree) const { return state.completeState(std::move(tree)); }
    static juce::File presetFolder() { return PluginState::presetFolder(); }
    bool savePresetFile(const juce::File& file) { return state.savePresetFile(file); }
    bool loadPresetFile(const juce::File& file) { return state.loadPresetFile(file); }
    bool loadPresetData(const void* data, size_t size, const juce::String& presetName)
    {
        return state.loadPresetData(data, size, presetName);
    }
    bool loadPresetXml(const juce::XmlElement& xml, const juce::String& presetName)
    {
        return state.loadPresetXml(xml, presetName);
    }
    static const std::vector<FactoryPreset>& factoryPresets() { return PluginState::factoryPresets(); }
    void loadFactoryPreset(int index) { state.loadFactoryPreset(index); }
    void copyToOtherSlot() { state.copyToOtherSlot(); }
    void switchSlot() { state.switchSlot(); }
    int getActiveSlot() const noexcept { return state.getActiveSlot(); }
    juce::String getPresetName() const { return state.getPresetName(); }
    void beginNewUndoStep() { state.beginNewUndoStep(); }
    bool getTooltipsEnabled() const { return state.getTooltipsEnabled(); }
    void setTooltipsEnabled(bool on) { state.setTooltipsEnabled(on); }

private:
    EngineParameters handles;
    PluginState state;
    std::unique_ptr<BlockPipeline> pipeline;
    // Last, so its timer stops before anything it reports on goes away.
    LatencyReporter latencyReporter{*this};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(VezovevaDirADAudioProcessor)
};
