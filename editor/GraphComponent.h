// The large frequency display: grid and scales, input and output spectra, the harmonic ladder of the tracked
// pitch, the zones the detector ignores, the selected band's sidechain filter, the summed response curves,
// detector handles, badges and one node per band; and working on them with the mouse. The editor's timer
// calls updateFromProcessor; the graph has no timer of its own.
//
// Drawing and the per-tick update live in GraphComponent.cpp, the mouse in GraphMouse.cpp.
#pragma once

#include "dsp/BandCascade.h"
#include "dsp/Constants.h"
#include "editor/GraphCurves.h"
#include "editor/GraphGeometry.h"
#include "editor/GraphLabelLayout.h"
#include "editor/GraphPainter.h"
#include "engine/telemetry/Telemetry.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_dsp/juce_dsp.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <functional>
#include <vector>

class VezovevaDirADAudioProcessor;

class GraphComponent : public juce::Component, public juce::SettableTooltipClient
{
public:
    static constexpr int kCurvePoints = 320;
    static constexpr int kFftOrder = 12;
    static constexpr int kFftSize = 1 << kFftOrder; // 4096
    static constexpr int kSpectrumBins = kFftSize / 2 + 1;

    // Handle codes.
    static constexpr int kNoHandle = 0;
    static constexpr int kDetectorHpHandle = 1;
    static constexpr int kDetectorLpHandle = 2;
    static constexpr int kSidechainHandle = 3;

    struct Node
    {
        bool visible = false;
        float x = 0.0f;
        float y = 0.0f;
    };

    explicit GraphComponent(VezovevaDirADAudioProcessor& processor);
    // Closes a drag's open change gestures, so a host never waits for the end of one whose editor is gone.
    ~GraphComponent() override;

    std::function<void(int slot)> onBandSelected;
    std::function<void(int slot)> onBandMenu;

    void setSelectedBand(int slot);
    int getSelectedBand() const noexcept { return selectedBand; }

    // The per-tick update, called only by the editor's timer with the snapshot it read this tick (reading
    // again here would steal the meters' peaks): recompute everything from the parameters and the
    // published values, then repaint.
    void updateFromProcessor(const TelemetrySnapshot& telemetry);

    // Hit testing in component coordinates: the slot whose node is nearest within 18 pixels (the higher slot
    // on ties) or -1; the handle code under the point.
    int hitTestNode(juce::Point<float> point) const noexcept;
    int hitTestHandle(juce::Point<float> point) const noexcept;

    // What tests and the snapshot tool inspect.
    const GraphGeometry& geometry() const noexcept { return geo; }
    const Node& node(int slot) const noexcept { return nodes[(size_t)slot]; }
    double nodeGain(int slot) const noexcept { return nodeDb[(size_t)slot]; }
    double topDb() const noexcept { return geo.eqTopDb; }
    const std::array<float, kCurvePoints>& mainCurve() const noexcept { return curveMain; }
    const std::array<float, kCurvePoints>& staticCurve() const noexcept { return curveStatic; }
    const std::array<float, kCurvePoints>& midCurve() const noexcept { return curveMid; }
    const std::array<float, kCurvePoints>& sideCurve() const noexcept { return curveSide; }
    bool showsMidSide() const noexcept { return hasMidSide; }
    bool showsDynamicStereo() const noexcept { return hasDynamicStereo; }
    const std::array<float, kSpectrumBins>& inputSpectrum() const noexcept { return spectrumIn; }
    const std::array<float, kSpectrumBins>& outputSpectrum() const noexcept { return spectrumOut; }
    // Frequency of curve point j (0..319): 20 Hz .. 20 kHz, log-spaced.
    static double curveFrequency(int j) noexcept;
    // What the pointer is over, as the last move or exit left it: -1 and kNoHandle when nothing.
    int hoveredNode() const noexcept { return hoverNode; }
    int hoveredHandle() const noexcept { return hoverHandle; }
    // The sidechain handle's centre for the selected slot, if it is shown.
    bool sidechainHandleCentre(juce::Point<float>& centre) const noexcept;

    void mouseMove(const juce::MouseEvent& e) override;
    void mouseExit(const juce::MouseEvent& e) override;
    void mouseDown(const juce::MouseEvent& e) override;
    void mouseDrag(const juce::MouseEvent& e) override;
    void mouseUp(const juce::MouseEvent& e) override;
    void mouseDoubleClick(const juce::MouseEvent& e) override;
    void mouseWheelMove(const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel) override;
    void paint(juce::Graphics& g) override;
    void resized() override;

private:
    int selectedBand = 0;
    VezovevaDirADAudioProcessor& processor;
    GraphGeometry geo;           // plotArea and eqTopDb
    TelemetrySnapshot published; // as of the last tick; drags read band frequencies from it
    std::array<Node, vivera::dsp::kNumBands> nodes{};
    std::array<double, vivera::dsp::kNumBands> nodeDb{};
    std::array<float, kCurvePoints> curveMain{}, curveStatic{}, curveMid{}, curveSide{};
    bool hasMidSide = false;
    bool hasDynamicStereo = false;
    juce::dsp::FFT fft{kFftOrder};
    juce::dsp::WindowingFunction<float> window;
    std::array<float, 2 * kFftSize> fftBuffer{};
    int hoverNode = -1;
    int dragBand = -1;
    int dragHandle = kNoHandle;
    int hoverHandle = kNoHandle;
    bool freeMoveDrag = false;
    juce::String dragParamId;
    std::array<float, kSpectrumBins> spectrumIn{}, spectrumOut{};

    // The vertical value of each slot's node on the gain scale, from its type and parameters.
    void computeNodeGains();
    // Node centres from the published frequencies and the node gains.
    void placeNodes();

    // Work areas of the per-tick update, allocated once so a tick allocates nothing.
    std::array<float, kFftSize> outputFrame{}; // the output ring, copied with the input ring in one read
    graph_curves::CurvePoints curvePoints;
    std::array<vivera::dsp::BandCascade, vivera::dsp::kNumBands> liveDesigns{}, fullDesigns{};
    std::array<bool, vivera::dsp::kNumBands> bandActive{};
    juce::Path tracePath, fillPath, strokeOutline;    // reused by paint
    std::array<graph_paint::ZoneShade, 2> zoneShades; // below the detector's high-pass, above its low-pass
    graph_paint::StaticLayer staticLayer;             // background, grids and scale labels
    std::vector<LadderMark> ladderMarks;              // reused by paint, 32 reserved
    std::vector<LadderLabel> ladderLabels;            // reused by paint, 32 reserved
    graph_paint::DashedColumn ladderDashes;           // the unmarked harmonics' dashed line
    // Windows the frame in fftBuffer, transforms it and smooths its levels into `spectrum`.
    void analyseFrame(std::array<float, kSpectrumBins>& spectrum) noexcept;
    friend struct GraphPainter; // paint's steps, in GraphPainter.cpp

    // The parameter the current run of wheel turns writes and when it last turned: one run, one undo step.
    juce::String wheelParamId;
    juce::uint32 lastWheelMs = 0;
    // The pitch a free-move drag places its band against, taken once: the published band frequency lags
    // the multiplier the drag has just written, so the two must not be mixed mid-drag.
    double freeMovePitchHz = 0.0;

    // Ends the gestures of the drag in progress, if any, and forgets it.
    void finishDrag();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(GraphComponent)
};
