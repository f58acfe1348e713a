// The frequency graph's coordinate system: where the plot sits in the component, and the mappings between
// frequency, gain and analyser level and pixels. Plain arithmetic, shared by painting, hit testing and drags.
#pragma once

#include <juce_graphics/juce_graphics.h>

#include <algorithm>
#include <cmath>

struct GraphGeometry
{
    // Left margin for gain labels, right for analyser levels, top gap, bottom for frequency labels.
    static constexpr float kLeftMargin = 36.0f;
    static constexpr float kRightMargin = 38.0f;
    static constexpr float kTopMargin = 10.0f;
    static constexpr float kBottomMargin = 20.0f;
    static constexpr double kMinHz = 20.0;
    static constexpr double kDecades = 1000.0; // 20 Hz .. 20 kHz
    static constexpr double kBottomDb = -36.0;
    static constexpr double kAnalyserFloorDb = -70.0;

    juce::Rectangle<float> plotArea;
    double eqTopDb = 12.0;

    static juce::Rectangle<float> plotAreaFor(float width, float height) noexcept
    {
        const float w = std::max(0.0f, std::max(0.0f, width - kLeftMargin) - kRightMargin);
        const float h = std::max(0.0f, std::max(0.0f, height - kTopMargin) - kBottomMargin);
        return {kLeftMargin, kTopMargin, w, h};
    }

    bool isEmpty() const noexcept { return plotArea.getWidth() <= 0.0f || plotArea.getHeight() <= 0.0f; }
    float left() const noexcept { return plotArea.getX(); }
    float top() const noexcept { return plotArea.getY(); }
    float width() const noexcept { return plotArea.getWidth(); }
    float height() const noexcept { return plotArea.getHeight(); }
    float bottom() const noexcept { return plotArea.getBottom(); }

    float frequencyToX(double hz) const noexcept
    {
        return left() + (float)(width() * std::log(hz / kMinHz) / std::log(kDecades));
    }
    double xToFrequency(float x) const noexcept
    {
        return kMinHz * std::pow(kDecades, (double)(x - left()) / (double)width());
    }
    float gainToY(double db) const noexcept
    {
        return bottom() - (float)(height() * (db - kBottomDb) / (eqTopDb - kBottomDb));
    }
    double yToGain(float y) const noexcept
    {
        return (double)(bottom() - y) / (double)height() * (eqTopDb - kBottomDb) + kBottomDb;
    }
    float levelToY(double db) const noexcept
    {
        const double t = std::clamp((db - kAnalyserFloorDb) / -kAnalyserFloorDb, 0.0, 1.0);
        return bottom() - (float)(height() * t);
    }
};
