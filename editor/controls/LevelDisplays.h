// The pitch detector's input level against its gate, and the input/output level meter. For now the
// places they will fill, with the fields the editor's timer feeds.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <atomic>

class VezovevaDirADAudioProcessor;

class DetectorBar : public juce::Component
{
public:
    DetectorBar(const VezovevaDirADAudioProcessor& processor, const std::atomic<float>* gate);
    void paint(juce::Graphics& g) override;

private:
    const VezovevaDirADAudioProcessor& processor;
    const std::atomic<float>* gate;
};

class MeterComponent : public juce::Component
{
public:
    explicit MeterComponent(const VezovevaDirADAudioProcessor& processor);

    // Linear levels per channel (0 left, 1 right), fed by the editor's timer.
    std::array<float, 2> fastIn{}, fastOut{}, holdIn{}, holdOut{};
    // Ticks the clip lamp stays lit after the last full-scale output peak.
    int clipCounter = 0;

    void paint(juce::Graphics& g) override;

private:
    const VezovevaDirADAudioProcessor& processor;
};
