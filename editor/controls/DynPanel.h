// The selected band's dynamics: eight knobs, four segmented switches, the FREE switch of the sidechain
// frequency steps, and two live rows (detector level against the threshold, and the gain applied). The
// editor slides it over the graph while the selected band is dynamic and refreshes it every tick.
#pragma once

#include "editor/controls/SegmentedChoice.h"
#include "editor/controls/SnapSlider.h"
#include "engine/telemetry/Telemetry.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>

class VezovevaDirADAudioProcessor;

class DynPanel : public juce::Component
{
    VezovevaDirADAudioProcessor& processor;
    int band = 0; // the slot shown

public:
    explicit DynPanel(VezovevaDirADAudioProcessor& processor);
    ~DynPanel() override;

    // Rebinds every control to slot 0..15 (clamped).
    void setBand(int slot);
    int getBand() const noexcept { return band; }

    // One editor tick: enables what the band's type allows, follows its captions and tooltips, and
    // repaints the live rows when what they show changed.
    void refresh(const TelemetrySnapshot& telemetry);

    // What one live row shows. marker < 0: no threshold marker.
    struct Row
    {
        juce::String title, value;
        float fill = 0.0f, marker = -1.0f;
        bool operator==(const Row& other) const
        {
            return title == other.title && value == other.value && fill == other.fill &&
                   marker == other.marker;
        }
        bool operator!=(const Row& other) const { return !(*this == other); }
    };
    // The level and gain rows as of the last refresh (or setBand).
    Row levelRow() const;
    Row gainRow() const;
    juce::Rectangle<int> getDisplayArea() const noexcept { return displayArea; }

    void paint(juce::Graphics& g) override;
    void resized() override;

    SnapSlider threshKnob, ratioKnob, attackKnob, releaseKnob, kneeKnob, rangeKnob, scFreqKnob, scQKnob;
    SegmentedChoice modeChoice, detectorChoice, sourceChoice, shapeChoice;
    juce::TextButton freeButton{"FREE"};

private:
    enum class ThresholdTip
    {
        level,
        sensitivity,
        relative
    };

    std::array<SnapSlider*, 8> knobs();
    std::array<SegmentedChoice*, 4> choices();
    bool isActive() const;
    void placeFreeButton();
    void paintRow(juce::Graphics& g, const Row& row, int y, juce::Colour colour) const;

    juce::Rectangle<int> displayArea;
    std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment> freeAttachment;
    ThresholdTip thresholdTip = ThresholdTip::level;
    // The band's published detector level (dB) and dynamic amount (0..1), as of the last refresh.
    float levelDb = -120.0f, amount = 0.0f;
    Row paintedLevel, paintedGain;
};
