// Painting the graph, back to front: background and scales, then, clipped to the plot, the spectra, the
// harmonic ladder, the ignored zones, the sidechain filter and the response curves; then the detector
// handles, badges, legend and nodes on top.
#include "editor/GraphPainter.h"

#include "editor/GraphAnalyser.h"
#include "editor/GraphComponent.h"
#include "editor/GraphLabelLayout.h"
#include "editor/controls/BandText.h"
#include "editor/controls/Localisation.h"
#include "editor/controls/Palette.h"
#include "engine/PluginProcessor.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace graph_paint
{
int gainGridStep(double topDb) noexcept
{
    return topDb > 12.5 ? 12 : 6;
}

float ladderLineAlpha(int harmonic, bool marked, bool pitchLost) noexcept
{
    const float dim = pitchLost ? 0.35f : 1.0f;
    return dim * (harmonic == 1 ? 0.55f : marked ? 0.4f : 0.13f);
}

float ladderLabelAlpha(int harmonic, bool marked, bool pitchLost) noexcept
{
    const float dim = pitchLost ? 0.35f : 1.0f;
    return dim * (harmonic == 1 || marked ? 0.95f : 0.45f);
}

juce::String nodeMultiplierText(float multiplier)
{
    const float whole = std::round(multiplier);
    if (multiplier >= 1.0f && std::abs(multiplier - whole) < 0.005f)
        return juce::String((long long)whole);
    auto text = juce::String(multiplier, 2);
    if (text.containsChar('.'))
        text = text.trimCharactersAtEnd("0").trimCharactersAtEnd(".");
    return text;
}

juce::String nodeTypeLabel(int type, int channel)
{
    static const char* const names[] = {"B", "LS", "HS", "N", "HP", "LP", "TR", "SI", "BG", "SU"};
    const juce::String name = names[std::clamp(type, 0, 9)];
    return name + (channel == 1 ? " M" : channel == 2 ? " S" : "");
}
void ZoneShade::draw(juce::Graphics& g, juce::Rectangle<float> zone, float firstLineX)
{
    if (zone.isEmpty())
        return;
    // Drawn at the display's pixel density, so the hatching stays as sharp as lines stroked directly.
    const float scale = std::max(1.0f, g.getInternalContext().getPhysicalPixelScaleFactor());
    if (image.isNull() || zone != drawnZone || firstLineX != drawnFirstLineX || scale != drawnScale)
    {
        drawnZone = zone;
        drawnFirstLineX = firstLineX;
        drawnScale = scale;
        imageArea = zone.getSmallestIntegerContainer();
        image = juce::Image(juce::Image::ARGB, juce::roundToInt((float)imageArea.getWidth() * scale),
                            juce::roundToInt((float)imageArea.getHeight() * scale), true,
                            juce::SoftwareImageType());
        juce::Graphics ig(image);
        ig.addTransform(juce::AffineTransform::translation((float)-imageArea.getX(), (float)-imageArea.getY())
                            .scaled(scale));
        ig.setColour(Palette::window.withAlpha(0.62f));
        ig.fillRect(zone);
        // Only inside the zone: hatching that reached into the detected range would mark frequencies the
        // detector does hear as ignored.
        ig.reduceClipRegion(zone.toNearestInt());
        juce::Path lines;
        for (float x0 = firstLineX; x0 < zone.getRight(); x0 += 9.0f)
            lines.addLineSegment({x0, zone.getBottom(), x0 + zone.getHeight(), zone.getY()}, 1.0f);
        ig.setColour(Palette::orange.withAlpha(0.05f));
        ig.fillPath(lines);
    }
    g.setOpacity(1.0f); // images are drawn with the current colour's alpha
    g.drawImageTransformed(image, juce::AffineTransform::scale(1.0f / scale)
                                      .translated((float)imageArea.getX(), (float)imageArea.getY()));
}

const juce::Image& DashedColumn::column(int height, bool pitchLost)
{
    auto& image = images[pitchLost ? 1 : 0];
    if (image.isNull() || image.getHeight() != std::max(1, height))
    {
        image = juce::Image(juce::Image::ARGB, 1, std::max(1, height), true, juce::SoftwareImageType());
        juce::Graphics dg(image);
        dg.setColour(Palette::gold.withAlpha(ladderLineAlpha(2, false, pitchLost)));
        for (int y = 0; y < height; y += 6)
            dg.fillRect(0, y, 1, 2);
    }
    return image;
}
} // namespace graph_paint

namespace
{
const std::pair<double, const char*> kFrequencyMarks[] = {
    {20.0, "20"}, {50.0, "50"}, {100.0, "100"}, {200.0, "200"}, {500.0, "500"},
    {1e3, "1k"},  {2e3, "2k"},  {5e3, "5k"},    {10e3, "10k"},  {20e3, "20k"},
};
// The gain numbers end 7 px left of the plot, clear of the HP grip (5 px wide each side) at 20 Hz.
constexpr float kGainLabelInset = 7.0f;
const juce::Colour kMidCurveColour{0xFF8FB3C9};
const juce::Colour kSideCurveColour{0xFFC99A8F};

} // namespace

struct GraphPainter
{
    GraphComponent& graph;
    juce::Graphics& g;
    const GraphGeometry& geo;
    VezovevaDirADAudioProcessor& processor;
    double sampleRate;
    float px, py, pw, ph, pb;
    float ladderBottom = 0.0f; // lowest edge of the ladder's numbers, once drawn

    GraphPainter(GraphComponent& graphToPaint, juce::Graphics& graphics)
        : graph(graphToPaint), g(graphics), geo(graphToPaint.geo), processor(graphToPaint.processor),
          sampleRate(graphToPaint.published.sampleRate > 0.0 ? graphToPaint.published.sampleRate : 44100.0),
          px(geo.left()), py(geo.top()), pw(geo.width()), ph(geo.height()), pb(geo.bottom())
    {
    }

    // The software renderer sizes each shape's scanline table to the whole clip, not to the shape: under the
    // graph's clip a node's small circle costs as much as a shape as tall as the graph. Narrowing the clip to
    // the shape's own bounds first keeps the cost to the shape's size and changes no pixel.
    struct TightClip
    {
        juce::Graphics::ScopedSaveState saved;
        TightClip(juce::Graphics& graphics, juce::Rectangle<float> bounds) : saved(graphics)
        {
            graphics.reduceClipRegion(bounds.getSmallestIntegerContainer().expanded(1));
        }
    };

    void fillTight(const juce::Path& path)
    {
        const TightClip tight(g, path.getBounds());
        g.fillPath(path);
    }

    // As Graphics::strokePath does it, into a kept path, then filled under a tight clip.
    void strokeTight(const juce::Path& path, const juce::PathStrokeType& stroke)
    {
        auto& outline = graph.strokeOutline;
        stroke.createStrokedPath(outline, path, {}, g.getInternalContext().getPhysicalPixelScaleFactor());
        fillTight(outline);
    }

    void paint()
    {
        if (geo.isEmpty())
        {
            g.fillAll(Palette::panel);
            return;
        }
        const auto plot = geo.plotArea.toNearestInt();
        // The margins come from the kept picture; inside the plot, which every tick covers with the live
        // layers anyway, the plain fill and the grid lines cost less than copying the picture.
        graph.staticLayer.draw(g, graph.getWidth(), graph.getHeight(), geo.eqTopDb, plot,
                               [this](juce::Graphics& layer) { staticLayer(layer); });
        {
            juce::Graphics::ScopedSaveState clipped(g);
            g.reduceClipRegion(plot);
            g.setColour(Palette::panel);
            g.fillRect(plot);
            frequencyGridLines(g);
            gainGridLines(g);
            spectrum(graph.spectrumIn, Palette::textDim.darker(0.3f), 0.1f);
            spectrum(graph.spectrumOut, Palette::text.darker(0.15f), 0.16f);
            harmonicLadder();
            ignoredZones();
            sidechainFilter();
            responseCurves();
        }
        detectorHandles();
        ignoredZoneText();
        badges();
        legend();
        for (int k = 0; k < kNumBands; ++k)
            if (graph.nodes[(size_t)k].visible)
                node(k);
    }

    // Background, grids and scale labels: what stays put while the audio plays.
    void staticLayer(juce::Graphics& lg) const
    {
        lg.fillAll(Palette::panel);
        frequencyGrid(lg);
        gainGrid(lg);
        levelLabels(lg);
    }

    void frequencyGrid(juce::Graphics& target) const
    {
        frequencyGridLines(target);
        target.setFont(plainFont(10.0f));
        target.setColour(Palette::textDim);
        for (const auto& [hz, label] : kFrequencyMarks)
        {
            const int x = frequencyGridX(hz);
            target.drawText(label, juce::Rectangle<float>((float)x - 18.0f, pb + 3.0f, 36.0f, 14.0f),
                            juce::Justification::centred, true);
        }
    }

    int frequencyGridX(double hz) const { return (int)geo.frequencyToX(hz); }

    void frequencyGridLines(juce::Graphics& target) const
    {
        target.setColour(Palette::grid);
        for (const auto& mark : kFrequencyMarks)
            target.drawVerticalLine(frequencyGridX(mark.first), py, pb);
    }

    void gainGrid(juce::Graphics& target) const
    {
        gainGridLines(target);
        target.setColour(Palette::textDim);
        const int step = graph_paint::gainGridStep(geo.eqTopDb);
        for (int v = -36; v <= geo.eqTopDb + 0.01; v += step)
            target.drawText(juce::String(v),
                            juce::Rectangle<float>(0.0f, geo.gainToY(v) - 7.0f, px - kGainLabelInset, 14.0f),
                            juce::Justification::centredRight, true);
    }

    void gainGridLines(juce::Graphics& target) const
    {
        const int step = graph_paint::gainGridStep(geo.eqTopDb);
        for (int v = -36; v <= geo.eqTopDb + 0.01; v += step)
        {
            target.setColour(v == 0 ? Palette::textDim : Palette::grid);
            target.drawHorizontalLine((int)geo.gainToY(v), px, px + pw);
        }
    }

    void levelLabels(juce::Graphics& target) const
    {
        target.setColour(Palette::textDim.withAlpha(0.8f));
        for (int v = -70; v <= 0; v += 10)
            target.drawText(juce::String(v),
                            juce::Rectangle<float>(px + pw + 4.0f, geo.levelToY(v) - 7.0f, 32.0f, 14.0f),
                            juce::Justification::centredLeft, true);
        // The units sit at the outer edges, beside (not over) the top scale numbers that end at the plot.
        target.setColour(Palette::textDim);
        target.setFont(plainFont(9.0f));
        target.drawText("dB", juce::Rectangle<float>(2.0f, 0.0f, px - 4.0f, 10.0f),
                        juce::Justification::centredLeft, true);
        target.drawText(
            "dBFS",
            juce::Rectangle<float>(px + pw + 4.0f, 0.0f, (float)graph.getWidth() - px - pw - 5.0f, 10.0f),
            juce::Justification::centredRight, true);
    }

    // One point every 2 pixels; filled down to the bottom, then the trace itself.
    void spectrum(const std::array<float, GraphComponent::kSpectrumBins>& levels, juce::Colour base,
                  float fillAlpha)
    {
        auto& trace = graph.tracePath;
        trace.clear();
        for (float x = px; x <= px + pw; x += 2.0f)
        {
            const float level = graph_analyser::analyserLevel(levels.data(), geo.xToFrequency(x - 1.0f),
                                                              geo.xToFrequency(x + 1.0f), sampleRate);
            const float y = geo.levelToY(level);
            if (x == px)
                trace.startNewSubPath(x, y);
            else
                trace.lineTo(x, y);
        }
        auto& fill = graph.fillPath;
        fill = trace;
        fill.lineTo(px + pw, pb);
        fill.lineTo(px, pb);
        fill.closeSubPath();
        g.setColour(base.withAlpha(fillAlpha));
        fillTight(fill);
        g.setColour(base.withAlpha((juce::uint8)0xB2));
        strokeTight(trace,
                    juce::PathStrokeType(1.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));
    }

    bool harmonicHasBand(int harmonic) const
    {
        for (int k = 0; k < kNumBands; ++k)
            if (graph.nodes[(size_t)k].visible &&
                std::abs(processor.bandParameters(k).mult.get() - (float)harmonic) <= 0.01f)
                return true;
        return false;
    }

    void harmonicLadder()
    {
        const double pitch = graph.published.pitchHz;
        if (!(pitch > 0.0))
            return;
        const bool lost = graph.published.pitchLost;
        std::array<bool, 33> marked{};
        int last = 0; // the highest harmonic inside the plot
        for (int h = 1; h <= 32 && geo.frequencyToX(h * pitch) <= px + pw; ++h)
        {
            marked[(size_t)h] = harmonicHasBand(h);
            last = h;
        }

        // The faint dashed lines of the unmarked harmonics (2 on, 4 off, 1 wide, from the top down): one
        // pixel column holding the whole dashed line, copied onto the pixel column nearest each harmonic,
        // instead of one fill per dash.
        const auto& dashes = graph.ladderDashes.column(juce::roundToInt(ph), lost);
        g.setOpacity(1.0f); // images are drawn with the current colour's alpha
        for (int h = 2; h <= last; ++h)
            if (const float x = geo.frequencyToX(h * pitch); x >= px && !marked[(size_t)h])
                g.drawImageAt(dashes, (int)std::floor(x), (int)py);

        auto& ladderMarks = graph.ladderMarks;
        ladderMarks.clear();
        for (int h = 1; h <= last; ++h)
        {
            const float x = geo.frequencyToX(h * pitch);
            if (x < px)
                continue;
            const bool isMarked = marked[(size_t)h];
            ladderMarks.push_back({h, x, isMarked});
            g.setColour(Palette::gold.withAlpha(graph_paint::ladderLineAlpha(h, isMarked, lost)));
            // A vertical line is its rectangle: filled as one, it needs no outline for the renderer to trace.
            if (h == 1 || isMarked)
            {
                const float width = h == 1 ? 1.4f : 1.0f;
                g.fillRect(juce::Rectangle<float>(x - 0.5f * width, py, width, ph));
            }
        }

        const auto font = boldFont(9.0f);
        g.setFont(font);
        placeLadderLabels(ladderMarks, py + 2.0f, font, graph.ladderLabels);
        for (const auto& label : graph.ladderLabels)
        {
            const bool isMarked = marked[(size_t)label.harmonic];
            g.setColour(
                Palette::gold.withAlpha(graph_paint::ladderLabelAlpha(label.harmonic, isMarked, lost)));
            g.drawText(juce::String(label.harmonic), label.box, juce::Justification::centred, false);
            ladderBottom = std::max(ladderBottom, label.box.getBottom());
        }
    }

    // Below the ladder's numbers, so the handles' labels never cover them.
    void detectorHandles()
    {
        const auto& global = processor.globalParameters();
        const auto font = boldFont(10.0f);
        const auto boxes = placeDetectorLabels(
            geo.frequencyToX(global.trkHp.get()), "DET HP " + formatFrequency(global.trkHp.get()),
            geo.frequencyToX(global.trkLp.get()), "DET LP " + formatFrequency(global.trkLp.get()),
            std::max(py + 15.0f, ladderBottom + 2.0f), font);
        detectorHandle(GraphComponent::kDetectorHpHandle, boxes.highPass);
        detectorHandle(GraphComponent::kDetectorLpHandle, boxes.lowPass);
    }

    // Written inside the low ignored zone, and only when the zone is wide enough to hold it.
    void ignoredZoneText()
    {
        const auto text = tr("zona ignorada por el detector", "ignored by the detector");
        const auto font = plainFont(9.0f);
        const float zoneRight = geo.frequencyToX(processor.globalParameters().trkHp.get());
        if (zoneRight - px < std::ceil(labelTextWidth(font, text)) + 8.0f)
            return;
        g.setColour(Palette::orange.withAlpha(0.6f));
        g.setFont(font);
        g.drawText(text, juce::Rectangle<float>(px + 4.0f, pb - 16.0f, 150.0f, 12.0f),
                   juce::Justification::centredLeft, true);
    }

    void ignoredZones()
    {
        const auto& global = processor.globalParameters();
        const float xh = geo.frequencyToX(global.trkHp.get());
        const float xl = geo.frequencyToX(global.trkLp.get());
        graph.zoneShades[0].draw(g, {px, py, std::max(0.0f, xh - px), ph}, px - ph);
        graph.zoneShades[1].draw(g, {xl, py, std::max(0.0f, px + pw - xl), ph}, xl - ph);
    }

    bool usesExternalSidechain(const BandParameters& band) const
    {
        return band.detsc.isOn() && graph.published.sidechainConnected;
    }

    void sidechainFilter()
    {
        juce::Point<float> handle;
        if (!graph.sidechainHandleCentre(handle))
            return;
        const int slot = graph.selectedBand;
        const auto& band = processor.bandParameters(slot);
        const double fsc = (double)graph.published.bandFrequency[(size_t)slot] * band.detfreq.get();
        const int shape = band.scshape.index(3);
        const int type = shape == 0   ? vivera::dsp::kSvfBandPass
                         : shape == 1 ? vivera::dsp::kSvfHighPass
                                      : vivera::dsp::kSvfLowPass;
        const double q = shape == 0 ? (double)band.detq.get() : 0.70710678;
        vivera::dsp::FilterSection section;
        section.svf = vivera::dsp::designSvfSection(type, fsc, q, 0.0, sampleRate);

        const bool external = usesExternalSidechain(band);
        const juce::Colour c = external ? Palette::gold : bandColour(slot);
        graph.curvePoints.prepare(sampleRate);
        auto& trace = graph.tracePath;
        trace.clear();
        for (int j = 0; j < GraphComponent::kCurvePoints; ++j)
        {
            const double magnitude = std::abs(vivera::dsp::sectionResponse(section, graph.curvePoints[j]));
            const double m = std::max(-40.0, 20.0 * std::log10(std::max(1e-6, magnitude)));
            const float x = px + (float)j * pw / 319.0f;
            const float y = pb - (float)(ph * 0.42 * (m + 40.0) / 40.0);
            if (j == 0)
                trace.startNewSubPath(x, y);
            else
                trace.lineTo(x, y);
        }
        auto& fill = graph.fillPath;
        fill = trace;
        fill.lineTo(px + pw, pb);
        fill.lineTo(px, pb);
        fill.closeSubPath();
        g.setColour(c.withAlpha(0.05f));
        fillTight(fill);
        g.setColour(c.withAlpha(0.55f));
        strokeTight(trace, juce::PathStrokeType(1.2f));

        g.setFont(boldFont(9.0f));
        const float xsc = geo.frequencyToX(fsc);
        g.drawText(external ? tr("SC (externo)", "SC (external)") : juce::String("SC"),
                   juce::Rectangle<float>(xsc - 50.0f, pb - 0.42f * ph - 24.0f, 100.0f, 12.0f),
                   juce::Justification::centred, true);

        const bool lit = graph.hoverHandle == GraphComponent::kSidechainHandle ||
                         graph.dragHandle == GraphComponent::kSidechainHandle;
        const juce::Rectangle<float> circle(handle.x - 5.0f, handle.y - 5.0f, 10.0f, 10.0f);
        const TightClip tight(g, circle.expanded(1.0f));
        g.setColour(c.withAlpha(lit ? 1.0f : 0.85f));
        g.fillEllipse(circle);
        g.setColour(Palette::window);
        g.drawEllipse(circle, 1.5f);
    }

    // The curve as a path across the plot on the gain scale.
    void curvePath(const std::array<float, GraphComponent::kCurvePoints>& curve, juce::Path& path) const
    {
        path.clear();
        for (int j = 0; j < GraphComponent::kCurvePoints; ++j)
        {
            const float x = px + (float)j * pw / 319.0f;
            const float y = geo.gainToY(curve[(size_t)j]);
            if (j == 0)
                path.startNewSubPath(x, y);
            else
                path.lineTo(x, y);
        }
    }

    void responseCurves()
    {
        auto& path = graph.tracePath;
        auto& fill = graph.fillPath;
        curvePath(graph.curveMain, fill);
        const float y0 = geo.gainToY(0.0);
        fill.lineTo(px + pw, y0);
        fill.lineTo(px, y0);
        fill.closeSubPath();
        g.setColour(Palette::white.withAlpha(0.1f));
        fillTight(fill);

        if (graph.hasDynamicStereo)
        {
            curvePath(graph.curveStatic, path);
            g.setColour(Palette::white.withAlpha(0.35f));
            strokeTight(
                path, juce::PathStrokeType(1.2f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));
        }
        if (graph.hasMidSide)
        {
            curvePath(graph.curveMid, path);
            g.setColour(kMidCurveColour);
            strokeTight(path, juce::PathStrokeType(1.6f, juce::PathStrokeType::curved));
            curvePath(graph.curveSide, path);
            g.setColour(kSideCurveColour);
            strokeTight(path, juce::PathStrokeType(1.6f, juce::PathStrokeType::curved));
        }
        curvePath(graph.curveMain, path);
        g.setColour(Palette::white);
        strokeTight(path, juce::PathStrokeType(2.0f, juce::PathStrokeType::curved));
    }

    void detectorHandle(int code, juce::Rectangle<float> labelBox)
    {
        const auto& global = processor.globalParameters();
        const bool highPass = code == GraphComponent::kDetectorHpHandle;
        const double hz = highPass ? global.trkHp.get() : global.trkLp.get();
        const float x = geo.frequencyToX(hz);
        const bool lit = graph.hoverHandle == code || graph.dragHandle == code;
        g.setColour(Palette::orange.withAlpha(lit ? 1.0f : 0.8f));
        g.fillRect(juce::Rectangle<float>((float)(int)x, py, 1.0f, ph));
        {
            const TightClip tight(g, {x - 6.0f, py - 1.0f, 12.0f, 26.0f});
            g.fillRoundedRectangle(x - 5.0f, py, 10.0f, 24.0f, 3.0f);
        }
        g.setColour(Palette::window);
        g.fillRect(juce::Rectangle<float>(x - 1.0f, py + 5.0f, 1.0f, 14.0f));
        g.fillRect(juce::Rectangle<float>(x + 1.0f, py + 5.0f, 1.0f, 14.0f));
        g.setColour(Palette::orange);
        g.setFont(boldFont(10.0f));
        const auto text = juce::String(highPass ? "DET HP " : "DET LP ") + formatFrequency(hz);
        g.drawText(text, labelBox,
                   highPass ? juce::Justification::centredLeft : juce::Justification::centredRight, false);
    }

    void badge(const juce::String& text, juce::Colour colour, float& right)
    {
        const auto font = boldFont(11.0f);
        const float w = std::ceil(labelTextWidth(font, text)) + 16.0f;
        const juce::Rectangle<float> box(right - w, py + 28.0f, w, 18.0f);
        g.setColour(colour);
        {
            const TightClip tight(g, box.expanded(1.0f));
            g.fillRoundedRectangle(box, 9.0f);
        }
        g.setColour(Palette::window);
        g.setFont(font);
        g.drawText(text, box, juce::Justification::centred, true);
        right -= w + 6.0f;
    }

    void badges()
    {
        const auto& global = processor.globalParameters();
        float right = px + pw - 6.0f;
        if (global.bypass.isOn())
            badge("BYPASS", Palette::red, right);
        const int signal = (int)global.monSig.get();
        const int channel = (int)global.monCh.get();
        if (signal != 0 || channel != 0)
        {
            const auto prefix = signal == 1 ? tr("ESCUCHANDO: DELTA (lo que hace el EQ) - ",
                                                 "LISTENING: DELTA (what the EQ does) - ")
                                            : tr("ESCUCHANDO: SALIDA - ", "LISTENING: OUTPUT - ");
            static const char* const channels[] = {"STEREO", "MID", "SIDE"};
            badge(prefix + channels[std::clamp(channel, 0, 2)], Palette::orange, right);
        }
    }

    void legend()
    {
        if (!graph.hasMidSide)
            return;
        g.setFont(plainFont(10.0f));
        const float y = py + 28.0f;
        const std::tuple<const char*, juce::Colour, float> entries[] = {{"stereo", Palette::white, 8.0f},
                                                                        {"+ mid", kMidCurveColour, 50.0f},
                                                                        {"+ side", kSideCurveColour, 92.0f}};
        for (const auto& [text, colour, offset] : entries)
        {
            g.setColour(colour);
            g.drawText(text, juce::Rectangle<float>(px + offset, y, 40.0f, 12.0f),
                       juce::Justification::centredLeft, true);
        }
    }

    void node(int k)
    {
        const auto& band = processor.bandParameters(k);
        const auto& centre = graph.nodes[(size_t)k];
        const float x = centre.x;
        const float y = centre.y;
        const juce::Colour b = bandColour(k);
        const bool pointed = k == graph.hoverNode || k == graph.dragBand;
        const bool selected = k == graph.selectedBand;
        const bool dynamic = band.isDynamic();
        const float r = pointed ? 14.0f : 12.5f;
        const float offset = dynamic ? 19.0f : 15.0f;
        float ly = y - r - offset;
        if (ly < py + 14.0f)
            ly = y + r + offset - 11.0f; // below the node near the top
        const juce::Rectangle<float> labelBox(x - 28.0f, ly, 56.0f, 11.0f);
        const float reach = r + 6.0f; // the activity ring and its stroke
        const TightClip tight(g, labelBox.getUnion({x - reach, y - reach, 2.0f * reach, 2.0f * reach}));

        if (dynamic)
        {
            const float ring = r + 4.0f;
            g.setColour(Palette::blue.withAlpha(0.25f));
            g.drawEllipse(x - ring, y - ring, 2.0f * ring, 2.0f * ring, 1.0f);
            const float amount = std::clamp(graph.published.bandDynamicAmount[(size_t)k], 0.0f, 1.0f);
            if (amount > 0.0f)
            {
                auto& arc = graph.tracePath;
                arc.clear();
                arc.addCentredArc(x, y, ring, ring, 0.0f, 0.0f, amount * juce::MathConstants<float>::twoPi,
                                  true);
                g.setColour(Palette::blue);
                g.strokePath(arc, juce::PathStrokeType(2.0f, juce::PathStrokeType::curved,
                                                       juce::PathStrokeType::rounded));
            }
        }

        const juce::Rectangle<float> body(x - r, y - r, 2.0f * r, 2.0f * r);
        g.setColour(selected ? b : Palette::window.withAlpha(0.85f));
        g.fillEllipse(body);

        const int type = band.type.index(vivera::dsp::kBandTypeCount);
        g.setColour(b.withAlpha(pointed || selected ? 1.0f : 0.9f));
        const auto outline = body.reduced(1.0f);
        if (type == vivera::dsp::kSvfNotch)
        {
            auto& circle = graph.tracePath;
            circle.clear();
            circle.addEllipse(outline);
            auto& dashed = graph.fillPath;
            static const float dashes[] = {3.0f, 2.5f};
            juce::PathStrokeType(1.8f).createDashedStroke(dashed, circle, dashes, 2);
            g.fillPath(dashed);
        }
        else
            g.drawEllipse(outline, 1.8f);

        const auto multiplier = graph_paint::nodeMultiplierText(band.mult.get());
        g.setFont(boldFont(multiplier.length() < 3 ? 12.5f : 9.5f));
        g.setColour(selected ? Palette::window : b);
        g.drawText(multiplier, body, juce::Justification::centred, true);

        g.setFont(boldFont(9.5f));
        g.setColour(b.withAlpha((juce::uint8)0xD9));
        g.drawText(graph_paint::nodeTypeLabel(type, band.chan.index(3)), labelBox,
                   juce::Justification::centred, true);
    }

    static constexpr int kNumBands = vivera::dsp::kNumBands;
};

void GraphComponent::paint(juce::Graphics& g)
{
    GraphPainter(*this, g).paint();
}
