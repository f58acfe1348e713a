// The pitch detector's input level against its gate: green while the detector hears the signal, orange
// while the gate holds it back. The editor repaints it every tick.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>

class VezovevaDirADAudioProcessor;

class DetectorBar : public juce::Component
{
public:
    // `gate`: the gate parameter's plain value in dB (-80 = off); may be null (no gate).
    DetectorBar(const VezovevaDirADAudioProcessor& processor, const std::atomic<float>* gate);
    void paint(juce::Graphics& g) override;

private:
    const VezovevaDirADAudioProcessor& processor;
    const std::atomic<float>* gate;
};
