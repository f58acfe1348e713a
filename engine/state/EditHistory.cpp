#include "engine/state/EditHistory.h"

#include <algorithm>

// The parameter edits of one transaction: for each parameter its value before the first edit and after the
// last one, in the order the parameters were first touched.
class EditHistory::ParameterEdits : public juce::UndoableAction
{
public:
    struct Edit
    {
        int index;
        float before, after;
    };

    ParameterEdits(EditHistory& owner, std::vector<Edit> editsToKeep)
        : history(owner), edits(std::move(editsToKeep)), sizeInUnits(10 * static_cast<int>(edits.size()))
    {
    }

    bool perform() override
    {
        // Recorded after the fact, so the first perform finds every value already in place; a redo sets them.
        for (const auto& edit : edits)
            history.apply(edit.index, edit.after);
        return true;
    }

    bool undo() override
    {
        for (auto edit = edits.rbegin(); edit != edits.rend(); ++edit)
            history.apply(edit->index, edit->before);
        return true;
    }

    // Fixed at construction: the undo manager asks for it after a merge has moved the edits out.
    int getSizeInUnits() override { return sizeInUnits; }

    juce::UndoableAction* createCoalescedAction(juce::UndoableAction* next) override
    {
        auto* later = dynamic_cast<ParameterEdits*>(next);
        if (later == nullptr || &later->history != &history)
            return nullptr;
        // The undo manager drops this action once it is merged, so its edits move into the merged one: a
        // load of every parameter stays linear instead of copying the growing list on every change.
        auto merged = std::move(edits);
        for (const auto& edit : later->edits)
        {
            const auto same = std::find_if(merged.begin(), merged.end(),
                                           [&](const Edit& e) { return e.index == edit.index; });
            if (same != merged.end())
                same->after = edit.after;
            else
                merged.push_back(edit);
        }
        return new ParameterEdits(history, std::move(merged));
    }

private:
    EditHistory& history;
    std::vector<Edit> edits;
    const int sizeInUnits;
};

EditHistory::EditHistory(juce::AudioProcessor& owner, juce::UndoManager& undo)
    : processor(owner), undoManager(undo)
{
    for (auto* parameter : processor.getParameters())
        parameters.push_back(parameter);
    lastValues = std::make_unique<std::atomic<float>[]>(parameters.size());
    for (size_t i = 0; i < parameters.size(); ++i)
        lastValues[i].store(parameters[i]->getValue());
    processor.addListener(this);
}

EditHistory::~EditHistory()
{
    processor.removeListener(this);
}

void EditHistory::audioProcessorParameterChanged(juce::AudioProcessor*, int index, float)
{
    // Any thread, the audio thread included: nothing but atomics until the message-thread check.
    if (index < 0 || static_cast<size_t>(index) >= parameters.size())
        return;
    const auto i = static_cast<size_t>(index);
    const float after = parameters[i]->getValue();
    const float before = lastValues[i].exchange(after);
    if (before == after || !juce::MessageManager::existsAndIsCurrentThread() || suspended || applying)
        return;
    undoManager.perform(new ParameterEdits(*this, {{index, before, after}}));
}

void EditHistory::apply(int index, float normalisedValue)
{
    auto* parameter = parameters[static_cast<size_t>(index)];
    if (parameter->getValue() == normalisedValue)
        return;
    const juce::ScopedValueSetter<bool> notRecording(applying, true);
    parameter->setValueNotifyingHost(normalisedValue);
}
