// Input and output peak meters, left and right, on a dB scale, with a clip lamp over the outputs. The
// editor's timer feeds the fields below; the meter only paints them.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

class MeterComponent : public juce::Component
{
public:
    MeterComponent();

    // Linear peak amplitudes per channel (0 left, 1 right): fast falling bars and slow falling hold lines.
    std::array<float, 2> fastIn{}, fastOut{}, holdIn{}, holdOut{};
    // Ticks the clip lamp stays lit after the last full-scale output peak.
    int clipCounter = 0;

    void paint(juce::Graphics& g) override;
    void resized() override;

    // Where the lamp is drawn (for tests and the snapshot tool).
    juce::Rectangle<float> clipLampArea() const;

private:
    struct Geometry
    {
        juce::Rectangle<float> meter; // the four bars
        float labelWidth = 0.0f, labelHeight = 0.0f, barWidth = 0.0f;
    };
    Geometry geometry() const;
    float yForDecibels(float db) const;

    Geometry cached;
    juce::ColourGradient barGradient;
};
