// The editor driven as a user drives it, through a real window's peer: a press on a strip's texts selects
// its band, a knob drag and a later switch click are two undo steps, the SC FREQ wheel steps through its
// ratios, the pointer leaving the graph clears its hover, and an added band's strip scrolls into view.
#include "editor/controls/ScRatio.h"
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

void pump(int ms)
{
    pumpMessagesUntil([] { return false; }, ms);
}

// A press, a drag of `pixels` upwards in eight moves, and a release, at the centre of `target`.
void dragUpThroughPeer(juce::Component& target, int pixels)
{
    auto* peer = target.getPeer();
    ASSERT_NE(peer, nullptr);
    const auto start =
        peer->getComponent().getLocalPoint(&target, target.getLocalBounds().getCentre()).toFloat();
    auto time = juce::Time::currentTimeMillis();
    const auto send = [&](juce::Point<float> at, bool down)
    {
        peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, at,
                               down ? juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier)
                                    : juce::ModifierKeys(),
                               juce::MouseInputSource::defaultPressure, 0.0f, ++time);
    };
    send(start, false);
    send(start, true);
    for (int step = 1; step <= 8; ++step)
        send(start - juce::Point<float>(0.0f, static_cast<float>(pixels * step) / 8.0f), true);
    send(start - juce::Point<float>(0.0f, static_cast<float>(pixels)), false);
    pump(30);
}

void moveThroughPeer(juce::Component& target, juce::Point<int> local)
{
    auto* peer = target.getPeer();
    ASSERT_NE(peer, nullptr);
    peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse,
                           peer->getComponent().getLocalPoint(&target, local).toFloat(), {},
                           juce::MouseInputSource::defaultPressure, 0.0f, juce::Time::currentTimeMillis());
}

void wheelThroughPeer(juce::Component& target, float deltaY)
{
    auto* peer = target.getPeer();
    ASSERT_NE(peer, nullptr);
    juce::MouseWheelDetails wheel{};
    wheel.deltaY = deltaY;
    static juce::int64 time = juce::Time::currentTimeMillis();
    peer->handleMouseWheel(
        juce::MouseInputSource::InputSourceType::mouse,
        peer->getComponent().getLocalPoint(&target, target.getLocalBounds().getCentre()).toFloat(), ++time,
        wheel);
}

class UserGestures : public testing::Test
{
protected:
    UserGestures() { useLanguage(true); }

    // Slot 0 dynamic and selected, with its dynamics panel slid fully open.
    void openDynamicsPanel()
    {
        f.set("b1_dyn", 1.0f);
        f.editor->selectBand(0);
        for (int i = 0; i < 30; ++i)
            f.editor->timerTick();
        ASSERT_TRUE(f.editor->widgets().dynPanel.isShowing());
    }

    SettingsSandbox sandbox;
    EditorFixture f;
    HostWindow window{*f.editor};
};
} // namespace

// After a factory preset nothing may be selected that the user can see, and with no pitch the graph has no
// nodes: the strip's texts are where the user presses, and each press selects the strip's band. A single
// press on the multiplier selects without opening its entry (that takes a double-click).
TEST_F(UserGestures, APressOnAStripsTextsSelectsItsBand)
{
    f.set("b2_add", 1.0f);
    f.set("b3_add", 1.0f);
    f.editor->timerTick();
    auto& strip = *f.editor->widgets().strips[2];
    ASSERT_TRUE(strip.isShowing());
    auto w = strip.widgets();
    const std::vector<std::pair<const char*, juce::Component*>> texts{
        {"multiplier", &w.multiplier}, {"GAIN", &w.gainCaption}, {"Q", &w.qCaption}, {"frequency", &w.info}};
    for (const auto& [name, text] : texts)
    {
        f.editor->selectBand(0);
        clickCentre(*text);
        EXPECT_EQ(f.editor->getSelectedBand(), 2) << name;
        EXPECT_TRUE(strip.isSelected()) << name;
    }
    EXPECT_FALSE(w.multiplier.isBeingEdited());
}

// A drag on a dynamics-panel knob, then a click on one of the panel's switches: two gestures, two undo steps.
TEST_F(UserGestures, AKnobDragAndALaterSwitchClickAreTwoUndoSteps)
{
    openDynamicsPanel();
    auto& panel = f.editor->widgets().dynPanel;
    f.processor.beginNewUndoStep();
    f.processor.undoManager.clearUndoHistory();
    const float threshold = f.get("b1_thresh");
    ASSERT_EQ(f.get("b1_dynmode"), 0.0f);

    dragUpThroughPeer(panel.threshKnob, 40);
    const float dragged = f.get("b1_thresh");
    ASSERT_NE(dragged, threshold);
    pump(200); // a moment later, as a user moves to the switch
    clickThroughPeer(panel.modeChoice,
                     {panel.modeChoice.getWidth() * 3 / 4, panel.modeChoice.getHeight() / 2});
    ASSERT_EQ(f.get("b1_dynmode"), 1.0f);
    f.processor.parameters.copyState(); // the framework records parameter changes when it flushes them

    auto& undo = f.processor.undoManager;
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(f.get("b1_dynmode"), 0.0f);
    EXPECT_FLOAT_EQ(f.get("b1_thresh"), dragged) << "the click's step holds only the click";
    ASSERT_TRUE(undo.undo());
    EXPECT_FLOAT_EQ(f.get("b1_thresh"), threshold);
}

// With FREE off, each wheel notch over SC FREQ moves to the next ratio in the wheel's direction; a ratio
// left between steps (by FREE) moves to its neighbour on that side; the ends stay.
TEST_F(UserGestures, TheScFreqWheelStepsThroughTheRatios)
{
    openDynamicsPanel();
    auto& knob = f.editor->widgets().dynPanel.scFreqKnob;
    struct Case
    {
        float from;
        float notch;
        float to;
    };
    const Case cases[] = {{1.0f, 1.0f, 1.5f},   {1.5f, 1.0f, 2.0f}, {2.0f, -1.0f, 1.5f},
                          {0.5f, -1.0f, 0.25f}, {4.0f, 1.0f, 4.0f}, {0.25f, -1.0f, 0.25f},
                          {1.2f, 1.0f, 1.5f},   {1.2f, -1.0f, 1.0f}};
    for (const auto& c : cases)
    {
        f.set("b1_detfreq", c.from);
        pump(20);
        ASSERT_NEAR(knob.getValue(), c.from, 1.0e-3) << c.from;
        wheelThroughPeer(knob, 0.15f * c.notch);
        pump(20);
        EXPECT_NEAR(f.get("b1_detfreq"), c.to, 1.0e-3) << "from " << c.from << " by " << c.notch;
    }
}

// Moving onto a node enlarges it and onto a detector handle lights it; leaving the graph clears both.
TEST_F(UserGestures, LeavingTheGraphClearsItsHover)
{
    auto& graph = f.editor->widgets().graph;
    f.editor->timerTick();
    const auto& geo = graph.geometry();
    const auto hpHandle = juce::Point<int>(juce::roundToInt(geo.frequencyToX(f.get(ParamIds::trkHp))),
                                           juce::roundToInt(geo.plotArea.getCentreY()));
    moveThroughPeer(graph, hpHandle);
    ASSERT_EQ(graph.hoveredHandle(), GraphComponent::kDetectorHpHandle);
    moveThroughPeer(*f.editor, f.editor->widgets().undo.getBounds().getCentre());
    EXPECT_EQ(graph.hoveredHandle(), GraphComponent::kNoHandle);
    EXPECT_EQ(graph.hoveredNode(), -1);
}

// From the ninth band on, the strip row is wider than the view: each added band's strip and the add cell
// after it are scrolled into view at once.
TEST_F(UserGestures, AnAddedBandAndTheAddCellScrollIntoView)
{
    auto w = f.editor->widgets();
    auto& view = w.stripViewport;
    for (int added = 2; added <= 12; ++added)
    {
        clickCentre(w.addSlot);
        ASSERT_EQ(f.get(bandParameterId(added, BandParam::add)), 1.0f) << added;
        const auto shown = juce::Rectangle<int>(view.getViewPositionX(), 0, view.getViewWidth(), 1000);
        const auto& strip = *w.strips[static_cast<size_t>(added - 1)];
        EXPECT_TRUE(strip.isVisible()) << added;
        EXPECT_TRUE(shown.contains(strip.getBounds())) << added;
        EXPECT_TRUE(shown.contains(w.addSlot.getBounds())) << added;
    }
}
