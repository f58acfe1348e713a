// The whole state of an instance: the host's state blob, preset files, the Init reset and factory presets,
// and the A/B slots, each load one undo step. Message thread only.
#pragma once

#include "engine/state/EditHistory.h"
#include "engine/state/StringHash.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <unordered_map>
#include <utility>
#include <vector>

struct FactoryPreset
{
    juce::String spanishName;
    juce::String englishName;
    std::vector<std::pair<juce::String, float>> values; // parameter ID, plain value
};

class PluginState
{
public:
    PluginState(juce::AudioProcessor& processor, juce::AudioProcessorValueTreeState& parameters,
                juce::UndoManager& undoManager);

    void writeStateBlob(juce::MemoryBlock& destination);
    // False, with nothing changed, for data that is not a state of ours.
    bool readStateBlob(const void* data, int sizeInBytes);

    // Repairs a stored tree: known parameters snapped into range or defaulted, missing ones added.
    juce::ValueTree completeState(juce::ValueTree tree) const;

    static juce::File presetFolder();
    bool savePresetFile(const juce::File& file);
    bool loadPresetFile(const juce::File& file);
    bool loadPresetData(const void* data, size_t size, const juce::String& presetName);
    bool loadPresetXml(const juce::XmlElement& xml, const juce::String& presetName);

    static const std::vector<FactoryPreset>& factoryPresets();
    void loadFactoryPreset(int index); // an index outside the list loads Init

    void copyToOtherSlot();
    void switchSlot();
    int getActiveSlot() const noexcept { return activeSlot; }

    juce::String getPresetName() const;

    // Starts the next undo step of the user's own edits. Parameter changes reach the undo history only
    // when the framework flushes them into the tree (on its timer, up to half a second later), so they
    // are flushed first: otherwise two quick clicks would land in one step.
    void beginNewUndoStep();

    // Help tooltips on or off, saved with the instance (true when never set).
    bool getTooltipsEnabled() const;
    void setTooltipsEnabled(bool on);

private:
    juce::ValueTree copyCurrentState();
    void replaceWholeState(const juce::ValueTree& tree);
    void setPresetName(const juce::String& name);
    void setParameterFromPlainValue(juce::RangedAudioParameter& parameter, float plainValue);
    static bool isKeptAcrossPresetLoads(const juce::String& parameterId);

    using ParametersById = std::unordered_map<juce::String, juce::RangedAudioParameter*, StringHash>;

    juce::AudioProcessor& processor;
    juce::AudioProcessorValueTreeState& parameters;
    juce::UndoManager& undoManager;
    EditHistory history;
    ParametersById parametersById; // every parameter, for the readers' lookups

    // A/B settings: the parameter state of the slot not currently shown.
    juce::ValueTree otherSlotState;
    int activeSlot = 0;
};
