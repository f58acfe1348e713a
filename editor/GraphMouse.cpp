// Working on the graph with the mouse: hit testing, node and handle drags, double-clicks and the wheel.
#include "editor/GraphComponent.h"

#include "editor/GraphDragRules.h"
#include "editor/GraphTexts.h"
#include "engine/PluginProcessor.h"

#include <algorithm>

namespace
{
constexpr float kNodeHitRadius = 18.0f; // larger than the drawn node, so a node is easy to catch
constexpr float kSidechainHitRadius = 9.0f;
constexpr float kDetectorHitDistance = 7.0f;
// Wheel turns on one parameter closer together than this are one undo step.
constexpr juce::uint32 kWheelStepGapMs = 600;

juce::RangedAudioParameter* findParameter(VezovevaDirADAudioProcessor& processor, const juce::String& id)
{
    return id.isEmpty() ? nullptr : processor.parameters.getParameter(id);
}

void beginGesture(VezovevaDirADAudioProcessor& processor, const juce::String& id)
{
    if (auto* parameter = findParameter(processor, id))
        parameter->beginChangeGesture();
}

void endGesture(VezovevaDirADAudioProcessor& processor, const juce::String& id)
{
    if (auto* parameter = findParameter(processor, id))
        parameter->endChangeGesture();
}

// A value set within a drag, while the gesture begun on the press is open.
void setWithinGesture(VezovevaDirADAudioProcessor& processor, const juce::String& id, float plainValue)
{
    if (auto* parameter = findParameter(processor, id))
        parameter->setValueNotifyingHost(parameter->convertTo0to1(plainValue));
}

// A value set on its own: a whole gesture around it.
void setWithGesture(VezovevaDirADAudioProcessor& processor, const juce::String& id, float plainValue)
{
    if (auto* parameter = findParameter(processor, id))
    {
        parameter->beginChangeGesture();
        parameter->setValueNotifyingHost(parameter->convertTo0to1(plainValue));
        parameter->endChangeGesture();
    }
}

juce::String bandId(int slot, const char* shortName)
{
    return bandParameterId(slot + 1, shortName);
}

int bandType(const BandParameters& band)
{
    return band.type.index(vivera::dsp::kBandTypeCount);
}
} // namespace

int GraphComponent::hitTestNode(juce::Point<float> point) const noexcept
{
    int nearest = -1;
    float nearestSquared = kNodeHitRadius * kNodeHitRadius;
    for (int k = 0; k < kNumBands; ++k)
    {
        const auto& n = nodes[(size_t)k];
        if (!n.visible)
            continue;
        const float dx = point.x - n.x;
        const float dy = point.y - n.y;
        const float squared = dx * dx + dy * dy;
        // <= so that of two nodes at one spot the later, drawn on top, wins.
        if (squared <= nearestSquared)
        {
            nearest = k;
            nearestSquared = squared;
        }
    }
    return nearest;
}

int GraphComponent::hitTestHandle(juce::Point<float> point) const noexcept
{
    const float px = geo.left(), py = geo.top();
    const float pw = std::max(0.0f, geo.width()), ph = std::max(0.0f, geo.height());
    // The grips stand a little above and below the plot.
    if (!(point.x >= px && point.x < px + pw && point.y >= py - 4.0f && point.y < py - 4.0f + ph + 8.0f))
        return kNoHandle;

    const auto& band = processor.bandParameters(selectedBand);
    juce::Point<float> centre;
    if (band.add.isOn() && band.isDynamic() && published.bandFrequency[(size_t)selectedBand] > 0.0f &&
        sidechainHandleCentre(centre) &&
        point.getDistanceSquaredFrom(centre) <= kSidechainHitRadius * kSidechainHitRadius)
        return kSidechainHandle;

    const auto& global = processor.globalParameters();
    const float dh = std::abs(point.x - geo.frequencyToX(global.trkHp.get()));
    const float dl = std::abs(point.x - geo.frequencyToX(global.trkLp.get()));
    if (dh <= kDetectorHitDistance && dh <= dl)
        return kDetectorHpHandle;
    if (dl <= kDetectorHitDistance)
        return kDetectorLpHandle;
    return kNoHandle;
}

void GraphComponent::mouseMove(const juce::MouseEvent& e)
{
    const int n = hitTestNode(e.position);
    const int h = n < 0 ? hitTestHandle(e.position) : kNoHandle;
    if (n != hoverNode || h != hoverHandle)
    {
        hoverNode = n;
        hoverHandle = h;
        repaint();
    }

    if (n >= 0)
    {
        const auto& band = processor.bandParameters(n);
        setTooltip(nodeTooltip(
            {n, bandType(band), band.chan.index(3), published.bandFrequency[(size_t)n], band.freeze.isOn()}));
        setMouseCursor(juce::MouseCursor::UpDownResizeCursor);
        return;
    }
    setTooltip(handleTooltip(h));
    if (h == kSidechainHandle)
        setMouseCursor(juce::MouseCursor::DraggingHandCursor);
    else if (h != kNoHandle)
        setMouseCursor(juce::MouseCursor::LeftRightResizeCursor);
    else
        setMouseCursor(juce::MouseCursor::NormalCursor);
}

void GraphComponent::mouseExit(const juce::MouseEvent&)
{
    // A pointer that has left points at nothing: no node stays enlarged, no handle lit.
    if (hoverNode >= 0 || hoverHandle != kNoHandle)
    {
        hoverNode = -1;
        hoverHandle = kNoHandle;
        repaint();
    }
}

void GraphComponent::mouseDown(const juce::MouseEvent& e)
{
    // A press ends any wheel run: the next turn is a new undo step.
    wheelParamId = {};

    const int n = hitTestNode(e.position);
    if (n < 0)
    {
        const int h = hitTestHandle(e.position);
        if (h == kNoHandle || e.mods.isRightButtonDown())
            return;
        const juce::String id = h == kSidechainHandle    ? bandId(selectedBand, BandParam::detfreq)
                                : h == kDetectorHpHandle ? juce::String(ParamIds::trkHp)
                                                         : juce::String(ParamIds::trkLp);
        // A handle whose parameter is missing starts no drag.
        if (findParameter(processor, id) == nullptr)
            return;
        dragHandle = h;
        dragParamId = id;
        beginGesture(processor, dragParamId);
        return;
    }

    selectedBand = n;
    if (onBandSelected)
        onBandSelected(n);
    if (e.mods.isRightButtonDown())
    {
        if (onBandMenu)
            onBandMenu(n);
        return;
    }

    const auto& band = processor.bandParameters(n);
    const auto target =
        GraphDragRules::verticalTarget(bandType(band), band.slope.index(vivera::dsp::kBandSlopeCount));
    juce::String verticalId;
    if (target == GraphDragRules::VerticalTarget::gain)
        verticalId = bandId(n, BandParam::gain);
    else if (target == GraphDragRules::VerticalTarget::q)
        verticalId = bandId(n, BandParam::q);
    if (findParameter(processor, verticalId) == nullptr)
        verticalId = {};

    const bool freeMove = processor.globalParameters().freeMove.isOn();
    if (verticalId.isEmpty() && !freeMove)
        return; // nothing to drag
    dragParamId = verticalId;
    freeMoveDrag = freeMove;
    freeMovePitchHz = 0.0;
    dragBand = n;
    beginGesture(processor, dragParamId);
    if (freeMoveDrag)
        beginGesture(processor, bandId(n, BandParam::mult));
}

void GraphComponent::mouseDrag(const juce::MouseEvent& e)
{
    if (geo.isEmpty())
        return;
    const double f = geo.xToFrequency(e.position.x);
    const auto& global = processor.globalParameters();

    if (dragHandle != kNoHandle && dragParamId.isNotEmpty())
    {
        if (dragHandle == kSidechainHandle)
        {
            const double base = published.bandFrequency[(size_t)selectedBand];
            if (const auto ratio = GraphDragRules::sidechainRatio(f, base, global.scFree.isOn()))
                setWithinGesture(processor, dragParamId, *ratio);
        }
        else if (dragHandle == kDetectorHpHandle)
            setWithinGesture(processor, dragParamId, GraphDragRules::detectorHighPass(f, global.trkLp.get()));
        else if (dragHandle == kDetectorLpHandle)
            setWithinGesture(processor, dragParamId, GraphDragRules::detectorLowPass(f, global.trkHp.get()));
        return;
    }

    if (dragBand < 0)
        return;
    const auto& band = processor.bandParameters(dragBand);
    if (freeMoveDrag)
    {
        // Taken on the first event with a frequency: until this drag writes a multiplier the published
        // frequency and the multiplier belong together.
        if (!(freeMovePitchHz > 0.0))
            freeMovePitchHz =
                GraphDragRules::followedPitch(published.bandFrequency[(size_t)dragBand], band.mult.get())
                    .value_or(0.0);
        if (freeMovePitchHz > 0.0)
            setWithinGesture(processor, bandId(dragBand, BandParam::mult),
                             GraphDragRules::multiplierForFrequency(f, freeMovePitchHz));
    }
    if (dragParamId.isEmpty())
        return;
    const double displayDb = geo.yToGain(e.position.y);
    if (dragParamId == bandId(dragBand, BandParam::q))
        setWithinGesture(processor, dragParamId, GraphDragRules::qFromDisplayDb(displayDb));
    else
        setWithinGesture(processor, dragParamId,
                         GraphDragRules::gainFromDisplayDb(displayDb, global.scale.get()));
}

GraphComponent::~GraphComponent()
{
    finishDrag();
}

void GraphComponent::mouseUp(const juce::MouseEvent&)
{
    finishDrag();
}

void GraphComponent::finishDrag()
{
    if (dragBand >= 0 || dragHandle != kNoHandle)
    {
        endGesture(processor, dragParamId);
        if (dragBand >= 0 && freeMoveDrag)
            endGesture(processor, bandId(dragBand, BandParam::mult));
    }
    freeMoveDrag = false;
    freeMovePitchHz = 0.0;
    dragBand = -1;
    dragHandle = kNoHandle;
    dragParamId = {};
}

void GraphComponent::mouseDoubleClick(const juce::MouseEvent& e)
{
    const int n = hitTestNode(e.position);
    if (n >= 0)
    {
        const int type = bandType(processor.bandParameters(n));
        if (type == vivera::dsp::kBandHighPass || type == vivera::dsp::kBandLowPass)
            setWithGesture(processor, bandId(n, BandParam::q), 0.7f);
        else if (type != vivera::dsp::kBandNotch)
            setWithGesture(processor, bandId(n, BandParam::gain), 0.0f);
        return;
    }
    switch (hitTestHandle(e.position))
    {
    case kSidechainHandle:
        setWithGesture(processor, bandId(selectedBand, BandParam::detfreq), 1.0f);
        setWithGesture(processor, bandId(selectedBand, BandParam::detq), 2.0f);
        break;
    case kDetectorHpHandle:
        setWithGesture(processor, ParamIds::trkHp, 20.0f);
        break;
    case kDetectorLpHandle:
        setWithGesture(processor, ParamIds::trkLp, 5000.0f);
        break;
    default:
        break;
    }
}

void GraphComponent::mouseWheelMove(const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel)
{
    juce::String id;
    float value = 0.0f;
    const int n = hitTestNode(e.position);
    if (n >= 0)
    {
        id = bandId(n, BandParam::q);
        value = GraphDragRules::wheelQ(processor.bandParameters(n).q.get(), wheel.deltaY);
    }
    else if (hitTestHandle(e.position) == kSidechainHandle)
    {
        const auto& band = processor.bandParameters(selectedBand);
        // Only the band-pass shape has a Q of its own.
        if (band.scshape.index(3) != 0)
            return;
        id = bandId(selectedBand, BandParam::detq);
        value = GraphDragRules::wheelSidechainQ(band.detq.get(), wheel.deltaY);
    }
    if (findParameter(processor, id) == nullptr)
        return;

    // No press precedes a wheel turn, so the turn opens its own undo step unless it continues the last one.
    const auto now = juce::Time::getMillisecondCounter();
    if (id != wheelParamId || now - lastWheelMs > kWheelStepGapMs)
        processor.beginNewUndoStep();
    wheelParamId = id;
    lastWheelMs = now;

    setWithGesture(processor, id, value);
    if (n >= 0 && onBandSelected)
        onBandSelected(n);
}
