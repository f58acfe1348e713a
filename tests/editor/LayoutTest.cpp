#include "editor/EditorLayout.h"
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

namespace
{
using Box = EditorLayout::Box;

std::vector<Box> everyBox(const EditorLayout& l)
{
    std::vector<Box> boxes{l.header,        l.title,        l.bulb,         l.slotA,       l.slotB,
                           l.copySlot,      l.freeMove,     l.lookahead,    l.monitorIcon, l.output,
                           l.delta,         l.stereo,       l.mid,          l.side,        l.language,
                           l.about,         l.preset,       l.redo,         l.undo,        l.controlRow,
                           l.graphRow,      l.stripRow,     l.pitchReadout, l.bypass,      l.scPitch,
                           l.autoBypass,    l.detectorBar,  l.padlock,      l.autoGain,    l.clip,
                           l.detectorGroup, l.pitchGroup,   l.outputGroup,  l.levelMeter,  l.graph,
                           l.dynContainer,  l.stripViewport};
    boxes.insert(boxes.end(), l.knobCaption.begin(), l.knobCaption.end());
    boxes.insert(boxes.end(), l.knobSlider.begin(), l.knobSlider.end());
    return boxes;
}
} // namespace

TEST(EditorLayout, FiguresAtTheDefaultAndMinimumSizes)
{
    const auto l = layoutEditor(1240, 900, 0.0f);
    EXPECT_EQ(l.side.getRight(), 845); // the left header part ends here
    EXPECT_EQ(l.undo.getX(), 861);
    EXPECT_EQ(l.language, Box(1190, 10, 40, 28));
    EXPECT_EQ(l.controlRow.getY(), 46);
    EXPECT_EQ(l.controlRow.getBottom(), 164);
    EXPECT_EQ(l.graphRow.getY(), 172);
    EXPECT_EQ(l.graphRow.getBottom(), 678);
    EXPECT_EQ(l.stripRow.getY(), 686);
    EXPECT_EQ(l.stripRow.getBottom(), 890);
    EXPECT_EQ(l.graph, Box(10, 172, 1140, 506));
    EXPECT_EQ(l.levelMeter, Box(1158, 172, 72, 506));
    EXPECT_EQ(l.pitchReadout, Box(10, 46, 168, 118));
    EXPECT_EQ(l.knobCaption[EditorLayout::sens].getX(), 290); // the knob area starts here
    EXPECT_EQ(l.knobCaption[EditorLayout::sens].getWidth(), 96);
    EXPECT_EQ(l.knobSlider[EditorLayout::sens], Box(290, 74, 96, 90));
    EXPECT_EQ(l.detectorBar, Box(482, 80, 16, 78));
    EXPECT_EQ(l.padlock, Box(l.knobSlider[EditorLayout::freq].getRight() - 24, 58, 24, 18));
    EXPECT_EQ(l.knobCaption[EditorLayout::freq].getWidth(), 72);
    EXPECT_EQ(l.autoGain.getY(), 82);
    EXPECT_EQ(l.clip.getY(), 118);
    EXPECT_EQ(l.detectorGroup.getX(), 290);
    EXPECT_EQ(l.detectorGroup.getHeight(), 12);

    const auto small = layoutEditor(1240, 760, 0.0f);
    EXPECT_EQ(small.graphRow.getHeight(), 366);
    EXPECT_EQ(l.graphRow.getHeight(), 506);
}

TEST(EditorLayout, DynamicsPanelSlidesUpFromAboveTheGraphBottom)
{
    const auto open = layoutEditor(1240, 900, 1.0f);
    EXPECT_TRUE(open.dynContainerVisible);
    // 120 pixels high, ending 26 pixels above the graph's bottom edge.
    EXPECT_EQ(open.dynContainer, Box(50, 172 + 480 - 120, 1060, 120));

    const auto half = layoutEditor(1240, 900, 0.5f);
    EXPECT_EQ(half.dynContainer.getHeight(), 60);
    EXPECT_EQ(half.dynContainer.getBottom(), 172 + 480);

    EXPECT_FALSE(layoutEditor(1240, 900, 0.01f).dynContainerVisible); // 1 pixel: not shown

    // A graph row of 26 pixels or less leaves no room: shown height 0 even when fully open.
    const auto cramped = layoutEditor(1240, 10 + 28 + 8 + 118 + 8 + 26 + 8 + 204 + 10, 1.0f);
    EXPECT_EQ(cramped.graphRow.getHeight(), 26);
    EXPECT_EQ(cramped.dynContainer.getHeight(), 0);
}

// A host that ignores the size limits gets zero-sized pieces, never negative ones.
TEST(EditorLayout, TinyWindowsGiveZeroSizesNeverNegative)
{
    for (const auto size :
         {juce::Point<int>{0, 0}, {15, 12}, {300, 90}, {640, 200}, {1240, 300}, {200, 1400}})
    {
        const auto l = layoutEditor(size.x, size.y, 1.0f);
        for (const auto& box : everyBox(l))
        {
            EXPECT_GE(box.getWidth(), 0) << size.x << " x " << size.y;
            EXPECT_GE(box.getHeight(), 0) << size.x << " x " << size.y;
        }
    }
}

// The real editor follows the same figures, and keeps its strips packed after the last added slot.
TEST(EditorLayout, RealEditorPlacesItsWidgets)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    auto& editor = *f.editor;
    EXPECT_EQ(editor.getWidth(), 1240);
    EXPECT_EQ(editor.getHeight(), 900);
    auto w = editor.widgets();
    EXPECT_EQ(w.undo.getX(), 861);
    EXPECT_EQ(w.side.getRight(), 845);
    EXPECT_EQ(w.graph.getBounds(), Box(10, 172, 1140, 506));
    EXPECT_EQ(w.stripViewport.getBounds(), Box(10, 686, 1220, 204));

    // Fresh instance: slot 0 alone, the add cell right after it.
    EXPECT_TRUE(w.strips[0]->isVisible());
    EXPECT_EQ(w.addSlot.getBounds(), Box(142, 0, 142, 196));

    for (int n = 1; n <= kNumBands; ++n)
        f.set(bandParameterId(n, BandParam::add), 1.0f);
    editor.timerTick();
    EXPECT_FALSE(w.addSlot.isVisible());
    EXPECT_EQ(w.stripContainer.getWidth(), 16 * 142);
    EXPECT_EQ(w.strips[15]->getBounds(), Box(15 * 142, 0, 142, 196));

    for (int n = 1; n <= kNumBands; ++n)
        f.set(bandParameterId(n, BandParam::add), 0.0f);
    editor.timerTick();
    EXPECT_TRUE(w.addSlot.isVisible());
    EXPECT_EQ(w.addSlot.getX(), 0);
    EXPECT_EQ(w.stripContainer.getWidth(), 1220);

    editor.setSize(100, 60);
    for (auto* c : editor.getChildren())
    {
        EXPECT_GE(c->getWidth(), 0);
        EXPECT_GE(c->getHeight(), 0);
    }
}
