// Puts the user's own edits into the undo history, and nothing else. An edit is a parameter change made on
// the message thread: an editor gesture, a preset or Init load, a host's own control panel. Automation,
// which hosts deliver with the audio, changes parameters without an undo record, so one Undo reverts the
// user's last edit and never the host's automation. Within one transaction the edits of each parameter
// coalesce, so no transaction grows past one entry per parameter however long anything runs.
#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <memory>
#include <vector>

class EditHistory : private juce::AudioProcessorListener
{
public:
    EditHistory(juce::AudioProcessor& processor, juce::UndoManager& undoManager);
    ~EditHistory() override;

    // Replaces every parameter at once (a host state or an A/B switch) without recording, then clears the
    // history: what came before belongs to another state.
    template <typename Replace> void replaceWholeState(Replace&& replace)
    {
        {
            const juce::ScopedValueSetter<bool> notRecording(suspended, true);
            replace();
        }
        undoManager.clearUndoHistory();
    }

private:
    class ParameterEdits;

    void audioProcessorParameterChanged(juce::AudioProcessor*, int index, float) override;
    void audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails&) override {}
    void apply(int index, float normalisedValue);

    juce::AudioProcessor& processor;
    juce::UndoManager& undoManager;
    std::vector<juce::AudioProcessorParameter*> parameters;
    // Every parameter's value after its last change from any thread: the "before" of the next edit.
    std::unique_ptr<std::atomic<float>[]> lastValues;
    bool suspended = false; // message thread only
    bool applying = false;  // message thread only: an undo or redo is setting values
};
