#include "editor/EditorLayout.h"

#include <algorithm>
#include <cmath>

namespace
{
using Box = EditorLayout::Box;

// Takes `width` from the left of `row` (at most what is left), then skips `gap`.
Box takeLeft(Box& row, int width, int gap = 0)
{
    const auto taken = row.removeFromLeft(std::max(0, width));
    row.removeFromLeft(std::max(0, gap));
    return taken;
}

Box takeRight(Box& row, int width, int gap = 0)
{
    const auto taken = row.removeFromRight(std::max(0, width));
    row.removeFromRight(std::max(0, gap));
    return taken;
}

// A box placed at absolute coordinates, cut to the area it must stay in.
Box within(const Box& area, int x, int y, int w, int h)
{
    return Box(x, y, std::max(0, w), std::max(0, h)).getIntersection(area);
}
} // namespace

EditorLayout layoutEditor(int width, int height, float dynPanelOpen)
{
    EditorLayout l;
    Box content(10, 10, std::max(0, width - 20), std::max(0, height - 20));

    l.header = content.removeFromTop(28);

    auto left = l.header;
    l.title = takeLeft(left, 122, 8);
    l.bulb = takeLeft(left, 30, 10);
    l.slotA = takeLeft(left, 32, 3);
    l.slotB = takeLeft(left, 32, 3);
    l.copySlot = takeLeft(left, 44, 16);
    l.freeMove = takeLeft(left, 110, 6);
    l.lookahead = takeLeft(left, 100, 16);
    l.monitorIcon = takeLeft(left, 30, 6);
    l.output = takeLeft(left, 62, 3);
    l.delta = takeLeft(left, 58, 12);
    l.stereo = takeLeft(left, 38, 3);
    l.mid = takeLeft(left, 42, 3);
    l.side = takeLeft(left, 46);

    auto right = l.header;
    l.language = takeRight(right, 40, 6);
    l.about = takeRight(right, 28, 10);
    l.preset = takeRight(right, 140, 6 + 70 + 6);
    l.redo = takeRight(right, 30, 3);
    l.undo = takeRight(right, 30);

    content.removeFromTop(8);
    l.controlRow = content.removeFromTop(118);
    content.removeFromTop(8);
    l.stripRow = content.removeFromBottom(204);
    content.removeFromBottom(8);
    l.graphRow = content;

    // Graph row: meter at the right, graph in the rest, the dynamics panel sliding up over the graph.
    auto graphRow = l.graphRow;
    l.levelMeter = takeRight(graphRow, 72, 8);
    l.graph = graphRow;
    const int open = static_cast<int>(std::lround(kDynPanelHeight * std::clamp(dynPanelOpen, 0.0f, 1.0f)));
    const int available = std::max(0, l.graphRow.getHeight() - 26);
    const int shown = std::min(available, open);
    l.dynContainer = Box(50, l.graph.getY() + available - shown, std::max(0, l.graph.getWidth() - 80), shown);
    l.dynContainerVisible = open > 2;

    l.stripViewport = l.stripRow;

    // Control row: pitch readout, a column of three switches, then the knob area.
    auto row = l.controlRow;
    const int yc = row.getY();
    const int rowBottom = row.getBottom();
    l.pitchReadout = takeLeft(row, 168, 8);
    auto switches = takeLeft(row, 92, 12);
    l.bypass = switches.removeFromTop(31);
    switches.removeFromTop(5);
    l.scPitch = switches.removeFromTop(31);
    switches.removeFromTop(5);
    l.autoBypass = switches.removeFromTop(31);

    auto knobs = row;
    const int knobHeight = std::max(0, l.controlRow.getHeight() - 14);
    const int columnWidth = std::max(0, std::min(96, (knobs.getWidth() - 92) / 8));
    const auto knobColumn = [&](EditorLayout::Knob knob)
    {
        auto column = takeLeft(knobs, columnWidth);
        column.removeFromTop(14); // the group caption strip
        l.knobCaption[knob] = column.removeFromTop(14);
        l.knobSlider[knob] = column;
        return l.knobCaption[knob].withY(yc).withHeight(column.getBottom() - yc);
    };

    const auto sensColumn = knobColumn(EditorLayout::sens);
    knobColumn(EditorLayout::gate);
    const auto bar = takeLeft(knobs, 16, 4);
    l.detectorBar = within(l.controlRow, bar.getX(), yc + 14 + 20, 16, knobHeight - 26);
    knobColumn(EditorLayout::hp);
    const auto lpColumn = knobColumn(EditorLayout::lp);
    l.detectorGroup =
        Box(sensColumn.getX(), yc, lpColumn.getRight() - sensColumn.getX(), std::min(12, knobHeight + 14));

    const auto freqColumn = knobColumn(EditorLayout::freq);
    l.knobCaption[EditorLayout::freq].setWidth(std::max(0, freqColumn.getWidth() - 24));
    l.padlock = within(l.controlRow, freqColumn.getRight() - 24, yc + 14 - 2, 24, 18);
    const auto scaleColumn = knobColumn(EditorLayout::scale);
    l.pitchGroup = Box(freqColumn.getX(), yc, freqColumn.getWidth() + scaleColumn.getWidth(),
                       std::min(12, knobHeight + 14));

    const auto outColumn = knobColumn(EditorLayout::out);
    const auto switchColumn = takeLeft(knobs, 64);
    const int autoTop = yc + 14 + 22;
    l.autoGain =
        within(l.controlRow, switchColumn.getX() + 4, autoTop, 56, std::min(30, rowBottom - autoTop));
    const int clipTop = autoTop + 30 + 6;
    l.clip = within(l.controlRow, switchColumn.getX() + 4, clipTop, 56, std::min(30, rowBottom - clipTop));
    const auto mixColumn = knobColumn(EditorLayout::mix);
    l.outputGroup =
        Box(outColumn.getX(), yc, mixColumn.getRight() - outColumn.getX(), std::min(12, knobHeight + 14));
    return l;
}
