// A row of segments showing one choice parameter; a click picks a segment. Segments the owner refuses
// (canSelect) are drawn faint and ignore clicks.
#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class SegmentedChoice : public juce::Component, public juce::SettableTooltipClient
{
public:
    SegmentedChoice(juce::AudioProcessorValueTreeState& state, juce::StringArray items, juce::Colour accent);

    // Whether a segment may be chosen now; empty means every one.
    std::function<bool(int)> canSelect;

    void setParameterId(const juce::String& id);
    const juce::String& getParameterId() const noexcept { return paramId; }
    // -1 without a parameter, else its value rounded to the nearest segment.
    int getSelectedIndex() const;
    const juce::StringArray& getItems() const noexcept { return items; }

    // Repaints when the selection, the enabled state or a segment's availability changed since the last
    // paint, so the editor can call it every tick for the cost of a few reads.
    void refresh();

    void mouseDown(const juce::MouseEvent& event) override;
    void paint(juce::Graphics& g) override;

private:
    bool isSelectable(int index) const { return !canSelect || canSelect(index); }
    // The selection and the enabled state in the low byte, one bit per refused segment above it.
    int lookKey() const;

    juce::AudioProcessorValueTreeState& state;
    const juce::StringArray items;
    const juce::Colour accent;
    juce::String paramId;
    int paintedKey = -1;
};
