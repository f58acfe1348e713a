// One band slot's strip: multiplier, type, enable/solo/lock/dynamics switches, gain and Q knobs and a line
// with the band's frequency. Its controls are attached to the slot's parameters; the editor's timer calls
// refresh(), which repaints only what changed.
#pragma once

#include "editor/controls/StripButtons.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class VezovevaDirADAudioProcessor;

class BandStrip : public juce::Component
{
public:
    BandStrip(int slot, VezovevaDirADAudioProcessor& processor);
    ~BandStrip() override;

    std::function<void(int slot)> onSelect;
    std::function<void(int slot)> onRemove;
    std::function<void(int slot, juce::Component& anchor)> onMenu;

    int getSlot() const noexcept { return slot; }
    bool isSelected() const noexcept { return selected; }
    void setSelected(bool shouldBeSelected);
    float getActivity() const noexcept { return activity; }

    // Opens the multiplier's text entry, as a double-click on it does.
    void editMultiplier();

    // The editor's per-tick refresh, for visible and hidden strips alike.
    void refresh();

    void paint(juce::Graphics& g) override;
    void resized() override;
    void mouseDown(const juce::MouseEvent& event) override;

    // The children, for tests and tools.
    struct Widgets;
    Widgets widgets();

private:
    // Where the dynamic activity bar grows, left to right, at full action.
    juce::Rectangle<float> activityTrack() const;
    using ButtonAttachment = juce::AudioProcessorValueTreeState::ButtonAttachment;
    using SliderAttachment = juce::AudioProcessorValueTreeState::SliderAttachment;

    void multiplierTyped();
    void showMultiplier(float multiplier);
    void showInfo(float hz, bool frozen);
    void writeParameter(const juce::String& shortName, float plainValue);

    juce::Label multiplierLabel;
    bool selected = false;
    int slot = 0;
    VezovevaDirADAudioProcessor& processor;
    juce::TextButton onButton{"ON"};
    juce::TextButton typeButton{"..."};
    juce::TextButton soloButton{"SOLO"};
    juce::TextButton dynButton{"DYN"};
    juce::TextButton removeButton{"x"};
    PadlockButton lockButton;
    float activity = 0.0f;
    juce::Slider gainKnob, qKnob;
    juce::Label gainCaption, qCaption, infoLabel;
    std::unique_ptr<ButtonAttachment> onAttachment, soloAttachment, freezeAttachment, dynAttachment;
    std::unique_ptr<SliderAttachment> gainAttachment, qAttachment;

    // What the texts last showed, so a tick that changes nothing formats and repaints nothing.
    float shownMultiplier = -1.0f;
    float shownFrequency = -1.0f;
    int shownFrozen = -1;  // -1: nothing shown yet
    int shownEnglish = -1; // the info line's prefix follows the language
    int shownType = -1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(BandStrip)
};

struct BandStrip::Widgets
{
    juce::Label& multiplier;
    juce::TextButton &on, &type, &solo, &dyn, &remove;
    PadlockButton& lock;
    juce::Slider &gain, &q;
    juce::Label &gainCaption, &qCaption, &info;
};
