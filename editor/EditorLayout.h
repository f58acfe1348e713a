// Where everything in the editor window goes, as a pure function of the window size, so the figures can
// be checked without building a window. Every take and gap is limited to what is left, so a window
// smaller than the layout needs gets zero sizes, never negative ones.
#pragma once

#include <juce_graphics/juce_graphics.h>

#include <array>

struct EditorLayout
{
    enum Knob
    {
        sens,
        gate,
        hp,
        lp,
        freq,
        scale,
        out,
        mix,
        knobCount
    };

    using Box = juce::Rectangle<int>;

    // Header, left part.
    Box header, title, bulb, slotA, slotB, copySlot, freeMove, lookahead, monitorIcon, output, delta, stereo,
        mid, side;
    // Header, right part.
    Box language, about, preset, redo, undo;

    // Rows.
    Box controlRow, graphRow, stripRow;

    // Control row.
    Box pitchReadout, bypass, scPitch, autoBypass;
    std::array<Box, knobCount> knobCaption{}, knobSlider{};
    Box detectorBar, padlock, autoGain, clip;
    Box detectorGroup, pitchGroup, outputGroup;

    // Graph row and strip row.
    Box levelMeter, graph, dynContainer, stripViewport;
    bool dynContainerVisible = false;
};

constexpr int kDynPanelHeight = 120;
constexpr int kStripWidth = 142;
constexpr int kStripHeight = 196;

// dynPanelOpen 0..1: how far the dynamics panel has slid open.
EditorLayout layoutEditor(int width, int height, float dynPanelOpen);
