// Working on the frequency graph with the mouse, on the real editor and a processor playing a tone, so the
// nodes sit where the engine's published band frequencies put them: which node or handle a point hits,
// what drags, double-clicks and the wheel write, the gestures and undo steps they make, tooltips and
// cursors.
#include "editor/GraphComponent.h"
#include "editor/controls/Localisation.h"
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

namespace
{
juce::String band(const char* shortName, int number = 1)
{
    return bandParameterId(number, shortName);
}

// Counts change gestures per parameter ID as a host sees them.
class GestureCounter : public juce::AudioProcessorListener
{
public:
    explicit GestureCounter(juce::AudioProcessor& p) : processor(p) { processor.addListener(this); }
    ~GestureCounter() override { processor.removeListener(this); }

    std::map<juce::String, int> begun, ended;
    int totalBegun() const
    {
        int n = 0;
        for (const auto& [id, count] : begun)
            n += count;
        return n;
    }

private:
    juce::String idOf(int index)
    {
        auto* parameter =
            dynamic_cast<juce::AudioProcessorParameterWithID*>(processor.getParameters()[index]);
        return parameter != nullptr ? parameter->paramID : juce::String(index);
    }
    void audioProcessorParameterChanged(juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails&) override {}
    void audioProcessorParameterChangeGestureBegin(juce::AudioProcessor*, int index) override
    {
        ++begun[idOf(index)];
    }
    void audioProcessorParameterChangeGestureEnd(juce::AudioProcessor*, int index) override
    {
        ++ended[idOf(index)];
    }

    juce::AudioProcessor& processor;
};

// A press, ten moves and a release through the window's peer, the path a real mouse drag takes, so the
// editor sees the press as well as the graph.
void dragThroughPeer(juce::Component& target, juce::Point<float> from, juce::Point<float> to)
{
    auto* peer = target.getPeer();
    ASSERT_NE(peer, nullptr);
    const auto inPeer = [&](juce::Point<float> p) { return peer->getComponent().getLocalPoint(&target, p); };
    auto time = juce::Time::currentTimeMillis();
    const auto send = [&](juce::Point<float> at, bool down)
    {
        peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, inPeer(at),
                               down ? juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier)
                                    : juce::ModifierKeys(),
                               juce::MouseInputSource::defaultPressure, 0.0f, ++time);
    };
    send(from, false);
    send(from, true);
    for (int step = 1; step <= 10; ++step)
        send(from + (to - from) * (static_cast<float>(step) / 10.0f), true);
    send(to, false);
}

void wheelThroughPeer(juce::Component& target, juce::Point<float> at, float deltaY)
{
    auto* peer = target.getPeer();
    ASSERT_NE(peer, nullptr);
    juce::MouseWheelDetails wheel{};
    wheel.deltaY = deltaY;
    peer->handleMouseWheel(juce::MouseInputSource::InputSourceType::mouse,
                           peer->getComponent().getLocalPoint(&target, at), juce::Time::currentTimeMillis(),
                           wheel);
}

class GraphMouse : public testing::Test
{
protected:
    GraphMouse()
    {
        useLanguage(true);
        graph.onBandSelected = [this](int slot)
        {
            selected.push_back(slot);
            f.editor->selectBand(slot);
        };
        graph.onBandMenu = [this](int slot) { menus.push_back(slot); };
    }

    // Blocks of a 220 Hz tone with a little second harmonic through the processor, then one editor tick,
    // until band 1 has a published frequency.
    void playUntilTracked()
    {
        juce::AudioBuffer<float> buffer(f.processor.getTotalNumInputChannels(), 512);
        juce::MidiBuffer midi;
        for (int b = 0; b < 400; ++b)
        {
            buffer.clear();
            for (int i = 0; i < 512; ++i, phase += 2.0 * juce::MathConstants<double>::pi * 220.0 / 48000.0)
            {
                const auto x =
                    static_cast<float>(0.3 * (0.8 * std::sin(phase) + 0.2 * std::sin(2.0 * phase)));
                buffer.setSample(0, i, x);
                buffer.setSample(1, i, x);
            }
            f.processor.processBlock(buffer, midi);
            if (b % 4 == 3)
            {
                f.editor->timerTick();
                if (graph.node(0).visible && b > 40)
                    return;
            }
        }
        FAIL() << "no pitch published";
    }

    // Ticks once so the nodes follow parameter changes made since.
    void tick() { f.editor->timerTick(); }

    juce::MouseEvent event(juce::Point<float> at, juce::ModifierKeys mods = {}, int clicks = 1,
                           juce::Point<float> downAt = {})
    {
        const auto now = juce::Time::getCurrentTime();
        return juce::MouseEvent(
            juce::Desktop::getInstance().getMainMouseSource(), at, mods,
            juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
            juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
            juce::MouseInputSource::defaultTiltY, &graph, &graph, now, downAt, now, clicks, at != downAt);
    }

    // Press, move through the points, release at the last one.
    void drag(juce::Point<float> from, std::vector<juce::Point<float>> path,
              juce::ModifierKeys buttons = juce::ModifierKeys::leftButtonModifier)
    {
        graph.mouseDown(event(from, buttons, 1, from));
        for (auto p : path)
            graph.mouseDrag(event(p, buttons, 1, from));
        graph.mouseUp(event(path.empty() ? from : path.back(), {}, 1, from));
    }

    void move(juce::Point<float> at) { graph.mouseMove(event(at, {}, 1, at)); }

    juce::Point<float> nodeAt(int slot) const { return {graph.node(slot).x, graph.node(slot).y}; }
    const GraphGeometry& geo() const { return graph.geometry(); }
    // The frequency the last tick published for a slot, read back from where its node sits.
    double publishedHz(int slot) const { return geo().xToFrequency(graph.node(slot).x); }
    juce::Point<float> detectorGrip(float hz) const { return {geo().frequencyToX(hz), geo().top() + 10.0f}; }

    // Band 1 dynamic and selected, so its sidechain handle shows.
    juce::Point<float> showSidechainHandle()
    {
        f.set(band(BandParam::dyn), 1.0f);
        f.editor->selectBand(0);
        tick();
        juce::Point<float> centre;
        EXPECT_TRUE(graph.sidechainHandleCentre(centre));
        return centre;
    }

    SettingsSandbox sandbox{"en_GB.UTF-8"};
    EditorFixture f;
    GraphComponent& graph = f.editor->widgets().graph;
    std::vector<int> selected, menus;
    double phase = 0.0;
};

TEST_F(GraphMouse, NodeHitIsNearestWithinEighteenPixelsAndTheHigherSlotOnTies)
{
    // Bands 1 and 2 both on the fundamental at 0 dB: one spot.
    f.set(band(BandParam::add, 2), 1.0f);
    f.set(band(BandParam::mult, 2), 1.0f);
    playUntilTracked();
    ASSERT_TRUE(graph.node(1).visible);
    EXPECT_EQ(nodeAt(0), nodeAt(1));
    const auto centre = nodeAt(0);

    struct Case
    {
        float dx, dy;
        int expected;
    };
    const Case cases[] = {{0, 0, 1},      {18, 0, 1},         {0, -18, 1},
                          {18.5f, 0, -1}, {12.8f, 12.8f, -1}, {-40, 0, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(graph.hitTestNode(centre + juce::Point<float>(c.dx, c.dy)), c.expected)
            << c.dx << ", " << c.dy;

    drag(centre, {});
    EXPECT_EQ(selected, std::vector<int>{1});
    EXPECT_EQ(graph.getSelectedBand(), 1);

    // Move band 2 an octave up: the nearer node wins, whichever slot it is.
    f.set(band(BandParam::mult, 2), 2.0f);
    playUntilTracked();
    EXPECT_EQ(graph.hitTestNode(nodeAt(0) + juce::Point<float>(5, 0)), 0);
    EXPECT_EQ(graph.hitTestNode(nodeAt(1) - juce::Point<float>(5, 0)), 1);
}

TEST_F(GraphMouse, HandleHitNeedsThePlotRowsAndSevenPixels)
{
    f.set(ParamIds::trkHp, 100.0f);
    f.set(ParamIds::trkLp, 1000.0f);
    const float xh = geo().frequencyToX(100.0), xl = geo().frequencyToX(1000.0);
    const float top = geo().top(), bottom = geo().bottom(), mid = (top + bottom) * 0.5f;
    struct Case
    {
        float x, y;
        int expected;
    };
    const Case cases[] = {
        {xh, mid, 1},        {xh + 7, mid, 1},       {xh - 7, mid, 1},    {xh + 7.5f, mid, 0},
        {xl - 7, mid, 2},    {xl + 7, mid, 2},       {xl + 8, mid, 0},    {xh, top - 4, 1},
        {xh, top - 4.5f, 0}, {xh, bottom + 3.5f, 1}, {xh, bottom + 4, 0}, {geo().left() - 1, mid, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(graph.hitTestHandle({c.x, c.y}), c.expected) << c.x << ", " << c.y;

    // Handles closer than 14 pixels: the high-pass takes its half and the midpoint.
    f.set(ParamIds::trkHp, 200.0f);
    f.set(ParamIds::trkLp, 210.0f);
    const float a = geo().frequencyToX(200.0), b = geo().frequencyToX(210.0);
    EXPECT_EQ(graph.hitTestHandle({(a + b) * 0.5f, mid}), 1);
    EXPECT_EQ(graph.hitTestHandle({b + 0.5f, mid}), 2);
}

TEST_F(GraphMouse, SidechainHandleHitWithinNinePixelsOfADynamicSelectedBand)
{
    playUntilTracked();
    juce::Point<float> centre;
    EXPECT_FALSE(graph.sidechainHandleCentre(centre)) << "a static band has no sidechain";
    centre = showSidechainHandle();
    EXPECT_NEAR(centre.x, nodeAt(0).x, 0.01f) << "at SC FREQ 1 the handle stands over the band";
    EXPECT_NEAR(centre.y, geo().bottom() - 0.42f * geo().height(), 0.01f);
    EXPECT_EQ(graph.hitTestHandle(centre), 3);
    EXPECT_EQ(graph.hitTestHandle(centre + juce::Point<float>(0, 9)), 3);
    EXPECT_EQ(graph.hitTestHandle(centre + juce::Point<float>(0, 9.5f)), 0);

    // The high and low shapes put the handle at their -3 dB corner.
    f.set(band(BandParam::scshape), 1.0f);
    tick();
    ASSERT_TRUE(graph.sidechainHandleCentre(centre));
    EXPECT_NEAR(centre.y, geo().bottom() - 0.42f * geo().height() * 37.0f / 40.0f, 0.01f);
}

TEST_F(GraphMouse, SixDbHighPassSitsAtMinusThreeAndOnlyFreeMoveDragsIt)
{
    f.set(band(BandParam::type), 4.0f);
    f.set(band(BandParam::slope), 0.0f);
    f.set(band(BandParam::q), 3.0f);
    playUntilTracked();
    EXPECT_DOUBLE_EQ(graph.nodeGain(0), -3.0);
    EXPECT_NEAR(graph.node(0).y, geo().gainToY(-3.0), 0.01f);

    GestureCounter gestures(f.processor);
    const auto start = nodeAt(0);
    drag(start, {start + juce::Point<float>(60, -80)});
    EXPECT_EQ(selected, std::vector<int>{0}) << "the press still selects the slot";
    EXPECT_EQ(gestures.totalBegun(), 0);
    EXPECT_NEAR(f.get(band(BandParam::q)), 3.0f, 1e-6);
    EXPECT_NEAR(f.get(band(BandParam::mult)), 1.0f, 1e-6);

    f.set(ParamIds::freeMove, 1.0f);
    drag(start,
         {start + juce::Point<float>(0, -80), {geo().frequencyToX(publishedHz(0) * 2.0), start.y - 80}});
    EXPECT_NEAR(f.get(band(BandParam::mult)), 2.0f, 1e-6);
    EXPECT_NEAR(f.get(band(BandParam::q)), 3.0f, 1e-6) << "no vertical parameter";
    EXPECT_EQ(gestures.begun, (std::map<juce::String, int>{{band(BandParam::mult), 1}}));
    EXPECT_EQ(gestures.ended, gestures.begun);
}

TEST_F(GraphMouse, DetectorHandleDragsStopShortOfEachOther)
{
    struct Case
    {
        float hp, lp;
        int handle;
        double toHz; // 0: left of the plot
        float expectedHp, expectedLp;
    };
    const Case cases[] = {
        {100, 400, 1, 3000, 360, 400},    {100, 5000, 1, 3000, 500, 5000}, {100, 5000, 1, 0, 20, 5000},
        {100, 5000, 1, 150, 150, 5000},   {300, 1000, 2, 50, 300, 330},    {100, 1000, 2, 50, 100, 200},
        {100, 1000, 2, 20000, 100, 5000}, {100, 1000, 2, 2500, 100, 2500},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "handle " << c.handle << " to " << c.toHz << " Hz");
        f.set(ParamIds::trkHp, c.hp);
        f.set(ParamIds::trkLp, c.lp);
        const auto from = detectorGrip(c.handle == 1 ? c.hp : c.lp);
        ASSERT_EQ(graph.hitTestHandle(from), c.handle);
        const float toX = c.toHz > 0 ? geo().frequencyToX(c.toHz) : geo().left() - 30.0f;
        GestureCounter gestures(f.processor);
        drag(from, {{(from.x + toX) * 0.5f, from.y}, {toX, from.y + 50}});
        EXPECT_NEAR(f.get(ParamIds::trkHp), c.expectedHp, 0.51f);
        EXPECT_NEAR(f.get(ParamIds::trkLp), c.expectedLp, 0.51f);
        const juce::String id = c.handle == 1 ? ParamIds::trkHp : ParamIds::trkLp;
        EXPECT_EQ(gestures.begun, (std::map<juce::String, int>{{id, 1}}));
        EXPECT_EQ(gestures.ended, gestures.begun);
    }
}

TEST_F(GraphMouse, SidechainHandleDragSnapsUnlessFree)
{
    playUntilTracked();
    const auto centre = showSidechainHandle();
    const double base = publishedHz(0);
    struct Case
    {
        bool free;
        double ratio;
        float expected;
    };
    const Case cases[] = {{false, 1.3, 1.5f}, {true, 1.3, 1.3f}, {false, 2.6, 3.0f}, {true, 0.1, 0.25f}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.ratio << (c.free ? " free" : " snapped"));
        f.set(ParamIds::scFree, c.free ? 1.0f : 0.0f);
        f.set(band(BandParam::detfreq), 1.0f);
        GestureCounter gestures(f.processor);
        drag(centre, {{geo().frequencyToX(base * c.ratio), centre.y}});
        EXPECT_NEAR(f.get(band(BandParam::detfreq)), c.expected, 1e-3);
        EXPECT_EQ(gestures.begun, (std::map<juce::String, int>{{band(BandParam::detfreq), 1}}));
        EXPECT_EQ(gestures.ended, gestures.begun);
    }
}

TEST_F(GraphMouse, GainDragFollowsTheScaledDisplayInTenths)
{
    playUntilTracked();
    struct Case
    {
        float scale;
        double displayDb;
        float gain;
    };
    const Case cases[] = {
        {100, 6.04, 6.0f}, {200, 12.0, 6.0f}, {50, 3.0, 6.0f}, {100, -20.0, -20.0f}, {200, -30.0, -15.0f}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.displayDb << " dB at " << c.scale << " %");
        f.set(ParamIds::scale, c.scale);
        f.set(band(BandParam::gain), 0.0f);
        tick();
        const auto start = nodeAt(0);
        drag(start, {{start.x, (float)geo().gainToY(c.displayDb)}});
        EXPECT_NEAR(f.get(band(BandParam::gain)), c.gain, 1e-4);
        EXPECT_NEAR(f.get(band(BandParam::mult)), 1.0f, 1e-6) << "free move is off";
    }
    // Far above the plot the gain stops at its top.
    f.set(ParamIds::scale, 100.0f);
    drag(nodeAt(0), {{nodeAt(0).x, geo().top() - 400.0f}});
    EXPECT_EQ(f.get(band(BandParam::gain)), 36.0f);
}

TEST_F(GraphMouse, ResonantPassDragsQWithinItsRange)
{
    f.set(band(BandParam::type), 5.0f); // low pass, 12 dB/oct
    playUntilTracked();
    struct Case
    {
        double displayDb;
        float q;
    };
    const Case cases[] = {{20.0 * std::log10(4.0), 4.0f}, {0.0, 1.0f}, {30.0, 18.0f}, {-20.0, 0.7f}};
    for (const auto& c : cases)
    {
        tick();
        drag(nodeAt(0), {{nodeAt(0).x, geo().gainToY(c.displayDb)}});
        EXPECT_NEAR(f.get(band(BandParam::q)), c.q, 0.006f) << c.displayDb << " dB";
        EXPECT_EQ(f.get(band(BandParam::gain)), 0.0f);
    }
}

TEST_F(GraphMouse, FreeMoveDragsMultiplierAndGainInOneGestureEach)
{
    f.set(ParamIds::freeMove, 1.0f);
    f.set(band(BandParam::mult), 2.0f);
    playUntilTracked();
    const double pitch = publishedHz(0) / 2.0;
    GestureCounter gestures(f.processor);
    const auto start = nodeAt(0);
    std::vector<juce::Point<float>> path;
    for (int i = 1; i <= 10; ++i)
        path.push_back({geo().frequencyToX(pitch * (2.0 + 0.1 * i)), (float)geo().gainToY(0.5 * i)});
    drag(start, path);
    EXPECT_NEAR(f.get(band(BandParam::mult)), 3.0f, 1e-6);
    EXPECT_NEAR(f.get(band(BandParam::gain)), 5.0f, 1e-4);
    const std::map<juce::String, int> once{{band(BandParam::gain), 1}, {band(BandParam::mult), 1}};
    EXPECT_EQ(gestures.begun, once);
    EXPECT_EQ(gestures.ended, once);
}

TEST_F(GraphMouse, ClosingTheEditorMidDragEndsItsGestures)
{
    f.set(ParamIds::freeMove, 1.0f);
    playUntilTracked();
    GestureCounter gestures(f.processor);
    graph.mouseDown(event(nodeAt(0), juce::ModifierKeys::leftButtonModifier, 1, nodeAt(0)));
    EXPECT_EQ(gestures.totalBegun(), 2); // gain and multiplier
    f.editor.reset();
    EXPECT_EQ(gestures.ended, gestures.begun);
}

TEST_F(GraphMouse, RightClickOpensTheBandMenuAndDragsNothing)
{
    playUntilTracked();
    GestureCounter gestures(f.processor);
    const auto start = nodeAt(0);
    drag(start, {start - juce::Point<float>(0, 60)}, juce::ModifierKeys::rightButtonModifier);
    EXPECT_EQ(menus, std::vector<int>{0});
    EXPECT_EQ(selected, std::vector<int>{0});
    EXPECT_EQ(f.get(band(BandParam::gain)), 0.0f);
    EXPECT_EQ(gestures.totalBegun(), 0);

    // A right press on a handle does nothing either.
    drag(detectorGrip(20.0f), {detectorGrip(300.0f)}, juce::ModifierKeys::rightButtonModifier);
    EXPECT_EQ(f.get(ParamIds::trkHp), 20.0f);
    EXPECT_EQ(gestures.totalBegun(), 0);
}

TEST_F(GraphMouse, DoubleClickResetsByTypeAndHandle)
{
    playUntilTracked();
    struct Case
    {
        int type;
        float gainAfter, qAfter;
    };
    const Case cases[] = {{0, 0.0f, 5.0f}, {2, 0.0f, 5.0f}, {3, 6.0f, 5.0f}, {4, 6.0f, 0.7f},
                          {5, 6.0f, 0.7f}, {6, 0.0f, 5.0f}, {9, 0.0f, 5.0f}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "type " << c.type);
        f.set(band(BandParam::type), (float)c.type);
        f.set(band(BandParam::gain), 6.0f);
        f.set(band(BandParam::q), 5.0f);
        tick();
        graph.mouseDoubleClick(event(nodeAt(0), {}, 2, nodeAt(0)));
        EXPECT_NEAR(f.get(band(BandParam::gain)), c.gainAfter, 1e-5);
        EXPECT_NEAR(f.get(band(BandParam::q)), c.qAfter, 1e-5);
    }

    f.set(band(BandParam::type), 0.0f);
    f.set(ParamIds::trkHp, 150.0f);
    f.set(ParamIds::trkLp, 900.0f);
    graph.mouseDoubleClick(event(detectorGrip(150.0f), {}, 2, detectorGrip(150.0f)));
    EXPECT_EQ(f.get(ParamIds::trkHp), 20.0f);
    EXPECT_EQ(f.get(ParamIds::trkLp), 900.0f);
    graph.mouseDoubleClick(event(detectorGrip(900.0f), {}, 2, detectorGrip(900.0f)));
    EXPECT_EQ(f.get(ParamIds::trkLp), 5000.0f);

    showSidechainHandle();
    f.set(band(BandParam::detfreq), 3.0f);
    f.set(band(BandParam::detq), 9.0f);
    tick();
    juce::Point<float> centre;
    ASSERT_TRUE(graph.sidechainHandleCentre(centre));
    GestureCounter gestures(f.processor);
    graph.mouseDoubleClick(event(centre, {}, 2, centre));
    EXPECT_NEAR(f.get(band(BandParam::detfreq)), 1.0f, 1e-5);
    EXPECT_NEAR(f.get(band(BandParam::detq)), 2.0f, 1e-5);
    const std::map<juce::String, int> once{{band(BandParam::detfreq), 1}, {band(BandParam::detq), 1}};
    EXPECT_EQ(gestures.begun, once);
    EXPECT_EQ(gestures.ended, once);
}

TEST_F(GraphMouse, WheelChangesQOnAnyNodeAndSidechainQOnlyForTheBandShape)
{
    f.set(band(BandParam::type), 3.0f); // a Notch
    f.set(band(BandParam::q), 4.0f);
    playUntilTracked();
    juce::MouseWheelDetails wheel{};
    wheel.deltaY = 0.25f;
    graph.mouseWheelMove(event(nodeAt(0)), wheel);
    EXPECT_NEAR(f.get(band(BandParam::q)), 4.0 * std::exp(0.3), 0.006);
    EXPECT_EQ(selected, std::vector<int>{0});
    wheel.deltaY = -3.0f;
    graph.mouseWheelMove(event(nodeAt(0)), wheel);
    EXPECT_NEAR(f.get(band(BandParam::q)), 0.7f, 1e-5);

    f.set(band(BandParam::type), 0.0f);
    const auto centre = showSidechainHandle();
    wheel.deltaY = 0.5f;
    graph.mouseWheelMove(event(centre), wheel);
    EXPECT_NEAR(f.get(band(BandParam::detq)), 2.0 * std::exp(0.6), 0.006);
    const float before = f.get(band(BandParam::detq));
    for (float shape : {1.0f, 2.0f})
    {
        f.set(band(BandParam::scshape), shape);
        tick();
        juce::Point<float> c;
        ASSERT_TRUE(graph.sidechainHandleCentre(c));
        graph.mouseWheelMove(event(c), wheel);
        EXPECT_EQ(f.get(band(BandParam::detq)), before) << "shape " << shape;
    }

    // Nowhere near a node or handle: nothing.
    const float q = f.get(band(BandParam::q));
    graph.mouseWheelMove(event({geo().frequencyToX(5000.0), geo().bottom() - 5.0f}), wheel);
    EXPECT_EQ(f.get(band(BandParam::q)), q);
}

TEST_F(GraphMouse, TooltipsAndCursorsFollowThePointer)
{
    f.set(ParamIds::trkHp, 100.0f);
    playUntilTracked();
    f.set(band(BandParam::freeze), 1.0f);

    struct Case
    {
        bool english;
        juce::Point<float> at;
        juce::String firstLine, lastLine; // of the tooltip in the current language; empty for none
        juce::MouseCursor::StandardCursorType cursor;
    };
    const auto nodeCentre = nodeAt(0);
    const auto grip = detectorGrip(100.0f);
    const auto lpGrip = detectorGrip(5000.0f);
    const juce::Point<float> empty{geo().frequencyToX(3000.0), geo().bottom() - 10.0f};
    const Case cases[] = {
        {true, nodeCentre, "BAND 1 - Bell (B) - ", "LOCK: the frequency is frozen.",
         juce::MouseCursor::UpDownResizeCursor},
        {false, nodeCentre, "BANDA 1 - Bell (B) - ",
         juce::String::fromUTF8("CANDADO: la frecuencia está fijada."),
         juce::MouseCursor::UpDownResizeCursor},
        {true,
         grip,
         "Detector HP: the pitch detector ignores everything below.",
         {},
         juce::MouseCursor::LeftRightResizeCursor},
        {false,
         lpGrip,
         "Detector LP: el detector de pitch ignora lo que queda por encima.",
         {},
         juce::MouseCursor::LeftRightResizeCursor},
        {true, empty, {}, {}, juce::MouseCursor::NormalCursor},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.firstLine);
        useLanguage(c.english);
        move(c.at);
        const auto tip = pickLanguage(graph.getTooltip());
        if (c.firstLine.isEmpty())
            EXPECT_TRUE(tip.isEmpty()) << tip;
        else
            EXPECT_TRUE(tip.startsWith(c.firstLine)) << tip;
        if (c.lastLine.isNotEmpty())
        {
            EXPECT_TRUE(tip.endsWith("\n" + c.lastLine)) << tip;
            // The band's frequency as the engine published it.
            const auto hz = tip.fromFirstOccurrenceOf(c.firstLine, false, false)
                                .upToFirstOccurrenceOf(" Hz\n", false, false);
            EXPECT_NEAR(hz.getDoubleValue(), publishedHz(0), publishedHz(0) * 1e-4) << tip;
        }
        EXPECT_TRUE(graph.getMouseCursor() == c.cursor);
    }

    const auto centre = showSidechainHandle();
    useLanguage(true);
    move(centre);
    EXPECT_TRUE(pickLanguage(graph.getTooltip()).startsWith("SC (detector sidechain): drag horizontally"));
    EXPECT_TRUE(graph.getMouseCursor() == juce::MouseCursor::DraggingHandCursor);
}
} // namespace

namespace
{
TEST_F(GraphMouse, EveryDragThroughARealWindowIsOneGestureAndOneUndoStep)
{
    playUntilTracked();
    HostWindow window(*f.editor);
    pumpMessagesUntil([] { return false; }, 50);
    ASSERT_TRUE(graph.isShowing());
    auto& undo = f.processor.undoManager;
    undo.clearUndoHistory();
    GestureCounter gestures(f.processor);

    const auto start = nodeAt(0);
    dragThroughPeer(graph, start, {start.x, (float)geo().gainToY(6.0)});
    EXPECT_NEAR(f.get(band(BandParam::gain)), 6.0f, 1e-4);
    EXPECT_EQ(selected, std::vector<int>{0});
    dragThroughPeer(graph, detectorGrip(20.0f), detectorGrip(200.0f));
    EXPECT_NEAR(f.get(ParamIds::trkHp), 200.0f, 0.51f);
    const std::map<juce::String, int> once{{band(BandParam::gain), 1}, {ParamIds::trkHp, 1}};
    EXPECT_EQ(gestures.begun, once);
    EXPECT_EQ(gestures.ended, once);

    // Two quick turns of the wheel on the node: one more step of their own.
    tick();
    wheelThroughPeer(graph, nodeAt(0), 0.25f);
    wheelThroughPeer(graph, nodeAt(0), 0.25f);
    EXPECT_NEAR(f.get(band(BandParam::q)), 2.0 * std::exp(0.6), 0.01);

    ASSERT_TRUE(undo.undo());
    EXPECT_NEAR(f.get(band(BandParam::q)), 2.0f, 1e-5);
    EXPECT_NEAR(f.get(ParamIds::trkHp), 200.0f, 0.51f);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(f.get(ParamIds::trkHp), 20.0f);
    EXPECT_NEAR(f.get(band(BandParam::gain)), 6.0f, 1e-4);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(f.get(band(BandParam::gain)), 0.0f);
    EXPECT_FALSE(undo.canUndo());
}
} // namespace

namespace
{
TEST_F(GraphMouse, DoubleClickThroughARealWindowIsOneUndoStep)
{
    f.set(band(BandParam::gain), 6.0f);
    playUntilTracked();
    HostWindow window(*f.editor);
    pumpMessagesUntil([] { return false; }, 50);
    auto& undo = f.processor.undoManager;
    undo.clearUndoHistory();

    const auto at = nodeAt(0).roundToInt();
    doubleClickThroughPeer(graph, at);
    EXPECT_EQ(f.get(band(BandParam::gain)), 0.0f);
    ASSERT_TRUE(undo.undo());
    EXPECT_NEAR(f.get(band(BandParam::gain)), 6.0f, 1e-4);
    EXPECT_FALSE(undo.canUndo());
}
} // namespace
