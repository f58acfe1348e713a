#include "editor/controls/DynPanel.h"

#include "editor/controls/EqLookAndFeel.h"
#include "editor/controls/Localisation.h"
#include "editor/controls/Palette.h"
#include "engine/PluginProcessor.h"

#include <algorithm>
#include <cmath>

namespace
{
juce::String pair(const char* spanish, const char* english)
{
    return makeTextPair(juce::String::fromUTF8(spanish), juce::String::fromUTF8(english));
}

juce::String thresholdTipFor(int type)
{
    if (type == vivera::dsp::kBandTransient || type == vivera::dsp::kBandSustain)
        return pair(
            "Sensibilidad al ataque: a la izquierda reacciona a ataques pequeños, a la derecha solo a los "
            "fuertes",
            "Attack sensitivity: to the left it reacts to small attacks, to the right only to strong ones");
    if (type == vivera::dsp::kBandSibilance)
        return pair(
            "Umbral relativo (dB respecto al total de la señal): cuanto más cerca de 0, más tiene que pesar "
            "la banda para considerarla sibilante",
            "Relative threshold (dB relative to the whole signal): the closer to 0, the stronger the band "
            "must be to count as sibilant");
    return pair("Umbral: nivel (dBFS) de la zona de la banda a partir del cual empieza a actuar",
                "Threshold: level (dBFS) of the band range at which it starts acting");
}

bool isTransientScale(int type)
{
    return type == vivera::dsp::kBandTransient || type == vivera::dsp::kBandSustain;
}

// One decimal, "+" before values that are not negative, never "-0.0".
juce::String signedDecibels(float value)
{
    double rounded = std::round(static_cast<double>(value) * 10.0) / 10.0;
    if (rounded == 0.0)
        rounded = 0.0;
    return (rounded >= 0.0 ? "+" : "") + juce::String(rounded, 1);
}

juce::String oneDecimal(float value)
{
    double rounded = std::round(static_cast<double>(value) * 10.0) / 10.0;
    if (rounded == 0.0)
        rounded = 0.0;
    return juce::String(rounded, 1);
}

constexpr const char* kKnobCaptions[] = {"THRESH", "RATIO", "ATTACK",  "RELEASE",
                                         "KNEE",   "RANGE", "SC FREQ", "SC Q"};
constexpr const char* kKnobParameters[] = {BandParam::thresh,  BandParam::ratio, BandParam::attack,
                                           BandParam::release, BandParam::knee,  BandParam::range,
                                           BandParam::detfreq, BandParam::detq};
} // namespace

DynPanel::DynPanel(VezovevaDirADAudioProcessor& processorToEdit)
    : processor(processorToEdit), modeChoice(processorToEdit.parameters, {"Above", "Below"}, Palette::blue),
      detectorChoice(processorToEdit.parameters, {"Peak", "RMS"}, Palette::blue),
      sourceChoice(processorToEdit.parameters, {"INT", "EXT"}, Palette::gold),
      shapeChoice(processorToEdit.parameters, {"Band", "High", "Low"}, Palette::blue)
{
    const std::array<juce::String, 8> tips{
        thresholdTipFor(vivera::dsp::kBandBell),
        pair("Cuánto responde la banda al pasar el umbral. 1:1 = nada, 20:1 = casi limitador",
             "How strongly the band responds past the threshold. 1:1 = none, 20:1 = almost a limiter"),
        pair("Tiempo que tarda en empezar a actuar cuando se cumple la condición",
             "Time it takes to start acting once the condition is met"),
        pair("Tiempo que tarda en dejar de actuar cuando deja de cumplirse",
             "Time it takes to stop acting once the condition is no longer met"),
        pair("Transición suave alrededor del umbral (0 = brusca)",
             "Smooth transition around the threshold (0 = hard)"),
        pair("Cuántos dB de reducción hacen falta para que la banda aplique su ajuste COMPLETO (ganancia × "
             "actuación)",
             "How many dB of reduction are needed for the band to apply its FULL setting (gain × action)"),
        pair("Frecuencia del filtro de sidechain (SC) respecto a la de la banda: ×1 = la misma, ×2 = una "
             "octava "
             "arriba, ×0.5 = una abajo. Vale para SC interno y externo. También se arrastra en el analizador",
             "Sidechain (SC) filter frequency relative to the band: ×1 = the same, ×2 = one octave up, ×0.5 "
             "= one "
             "down. Works for internal and external SC. Can also be dragged in the analyzer"),
        pair("Anchura del filtro de sidechain: más Q = escucha solo una zona muy estrecha (solo con forma "
             "Band; rueda "
             "del ratón sobre el tirador del analizador)",
             "Sidechain filter width: higher Q = listens to a very narrow range only (Band shape only; mouse "
             "wheel "
             "over the analyzer handle)"),
    };
    const auto all = knobs();
    for (size_t i = 0; i < all.size(); ++i)
    {
        auto& knob = *all[i];
        knob.setRepaintsOnMouseActivity(true);
        knob.setSliderStyle(juce::Slider::RotaryHorizontalVerticalDrag);
        knob.setTextBoxStyle(juce::Slider::TextBoxBelow, false, 76, 16);
        knob.setTooltip(tips[i]);
        knob.caption.setText(kKnobCaptions[i], juce::dontSendNotification);
        knob.caption.setJustificationType(juce::Justification::centred);
        knob.caption.setFont(boldFont(11.0f));
        knob.caption.setColour(juce::Label::textColourId, Palette::textDim);
        addAndMakeVisible(knob);
        addAndMakeVisible(knob.caption);
    }

    modeChoice.setTooltip(
        pair("Above: actúa cuando el nivel SUPERA el umbral (de-esser, cortar resonancias). Below: "
             "actúa cuando el nivel queda POR DEBAJO (realzar solo lo débil)",
             "Above: acts when the level EXCEEDS the threshold (de-essing, taming resonances). "
             "Below: acts when the level falls BELOW it (lift only quiet parts)"));
    detectorChoice.setTooltip(pair("Tipo de detector: Peak reacciona a picos, RMS a la energía media",
                                   "Detector type: Peak reacts to peaks, RMS to average energy"));
    sourceChoice.setTooltip(
        pair("Qué escucha el detector: INT = la propia señal de la pista, EXT = la entrada de "
             "sidechain del DAW (si no hay ninguna conectada, EXT se apaga)",
             "What the detector listens to: INT = the track's own signal, EXT = the DAW "
             "sidechain input (EXT is disabled if nothing is connected)"));
    shapeChoice.setTooltip(
        pair("Forma del filtro de sidechain: Band = campana estrecha, High = escucha todo lo que "
             "queda por encima de SC FREQ, Low = todo lo que queda por debajo",
             "Sidechain filter shape: Band = narrow bell, High = listens to everything above SC "
             "FREQ, Low = everything below"));
    for (auto* choice : choices())
        addAndMakeVisible(*choice);

    // EXT only while the host feeds the sidechain input.
    sourceChoice.canSelect = [this](int index)
    { return index == 0 || processor.telemetry.sidechainConnected.load(std::memory_order_relaxed); };
    scFreqKnob.snapEnabled = [this] { return !processor.globalParameters().scFree.isOn(); };

    freeButton.setClickingTogglesState(true);
    freeButton.setColour(juce::TextButton::buttonOnColourId, Palette::orange);
    freeButton.setTooltip(
        pair("FREE: desbloquea los saltos de SC FREQ. Apagado, el mando salta a ×0.25, ×0.5, ×1, "
             "×1.5, ×2, ×3, ×4. Encendido, se mueve libremente",
             "FREE: unlocks the SC FREQ steps. Off, the knob snaps to ×0.25, ×0.5, ×1, ×1.5, ×2, "
             "×3, ×4. On, it moves freely"));
    addAndMakeVisible(freeButton);
    freeAttachment = std::make_unique<juce::AudioProcessorValueTreeState::ButtonAttachment>(
        processor.parameters, ParamIds::scFree, freeButton);

    // The graph under the panel repaints every tick, and so everything over it: the controls change only on
    // an edit, a hover or another band, so keep their pictures.
    for (auto* child : getChildren())
        child->setBufferedToImage(true);

    setBand(0);
}

DynPanel::~DynPanel() = default;

std::array<SnapSlider*, 8> DynPanel::knobs()
{
    return {&threshKnob, &ratioKnob, &attackKnob, &releaseKnob, &kneeKnob, &rangeKnob, &scFreqKnob, &scQKnob};
}

std::array<SegmentedChoice*, 4> DynPanel::choices()
{
    return {&modeChoice, &detectorChoice, &sourceChoice, &shapeChoice};
}

void DynPanel::setBand(int slot)
{
    band = std::clamp(slot, 0, kNumBands - 1);
    const int number = band + 1;
    const auto all = knobs();
    for (size_t i = 0; i < all.size(); ++i)
    {
        all[i]->attach(processor.parameters, bandParameterId(number, kKnobParameters[i]));
        all[i]->setColour(juce::Slider::rotarySliderFillColourId, bandColour(band));
    }
    modeChoice.setParameterId(bandParameterId(number, BandParam::dynmode));
    detectorChoice.setParameterId(bandParameterId(number, BandParam::det));
    sourceChoice.setParameterId(bandParameterId(number, BandParam::detsc));
    shapeChoice.setParameterId(bandParameterId(number, BandParam::scshape));

    levelDb =
        processor.telemetry.bandDetectorLevel[static_cast<size_t>(band)].load(std::memory_order_relaxed);
    amount = processor.telemetry.bandDynamicAmount[static_cast<size_t>(band)].load(std::memory_order_relaxed);
    repaint();
}

bool DynPanel::isActive() const
{
    const auto& p = processor.bandParameters(band);
    return p.dyn.isOn() || p.type.index(vivera::dsp::kBandTypeCount) > vivera::dsp::kBandLowPass;
}

void DynPanel::refresh(const TelemetrySnapshot& telemetry)
{
    const auto& p = processor.bandParameters(band);
    const int type = p.type.index(vivera::dsp::kBandTypeCount);
    const bool active = isActive();

    const auto enable = [](juce::Component& c, bool on)
    {
        if (c.isEnabled() != on)
        {
            c.setEnabled(on);
            c.repaint();
        }
    };
    const bool bandShape = p.scshape.index(3) == 0;
    for (auto* knob : knobs())
    {
        const bool on = active && (knob != &scQKnob || bandShape);
        enable(*knob, on);
        enable(knob->caption, on);
    }
    enable(modeChoice, type < vivera::dsp::kBandTransient);
    enable(detectorChoice, !isTransientScale(type));

    const juce::String caption = isTransientScale(type) ? "SENS" : "THRESH";
    if (threshKnob.caption.getText() != caption)
        threshKnob.caption.setText(caption, juce::dontSendNotification);

    const auto tip = isTransientScale(type)                ? ThresholdTip::sensitivity
                     : type == vivera::dsp::kBandSibilance ? ThresholdTip::relative
                                                           : ThresholdTip::level;
    if (tip != thresholdTip)
    {
        thresholdTip = tip;
        threshKnob.setTooltip(thresholdTipFor(type));
    }

    for (auto* choice : choices())
        choice->refresh();

    levelDb = telemetry.bandDetectorLevelDb[static_cast<size_t>(band)];
    amount = telemetry.bandDynamicAmount[static_cast<size_t>(band)];
    if (levelRow() != paintedLevel || gainRow() != paintedGain)
        repaint(displayArea);
}

DynPanel::Row DynPanel::levelRow() const
{
    const auto& p = processor.bandParameters(band);
    const int type = p.type.index(vivera::dsp::kBandTypeCount);
    const bool active = isActive();
    const float threshold = p.thresh.get();

    Row row;
    float lo = -72.0f, hi = 0.0f, markerValue = threshold;
    row.title = "LEVEL";
    if (isTransientScale(type))
    {
        row.title = "TRANSIENT";
        lo = 0.0f;
        hi = 24.0f;
        markerValue = threshold * 0.2f + 12.0f;
    }
    else if (type == vivera::dsp::kBandSibilance)
    {
        row.title = "SIBILANCE";
        lo = -60.0f;
    }

    const bool silent = !isTransientScale(type) && levelDb < -110.0f;
    row.value = !active || silent ? juce::String("--") : oneDecimal(levelDb) + " dB";
    if (active)
    {
        row.fill = (levelDb - lo) / (hi - lo);
        row.marker = (markerValue - lo) / (hi - lo);
    }
    return row;
}

DynPanel::Row DynPanel::gainRow() const
{
    const auto& p = processor.bandParameters(band);
    const int type = p.type.index(vivera::dsp::kBandTypeCount);
    const bool active = isActive();
    const float a = active ? amount : 0.0f;
    const float gainDb = p.gain.get() * processor.globalParameters().scale.get() / 100.0f;

    Row row;
    row.title = "GAIN";
    row.fill = a;
    if (!active)
        row.value = "--";
    else if (type == vivera::dsp::kBandNotch || type == vivera::dsp::kBandHighPass ||
             type == vivera::dsp::kBandLowPass)
        row.value = "MIX " + juce::String(juce::roundToInt(a * 100.0f)) + " %";
    else
        row.value = signedDecibels(a * gainDb) + " / " + signedDecibels(gainDb) + " dB";
    return row;
}

void DynPanel::resized()
{
    auto r = getLocalBounds().reduced(8);
    const int height = r.getHeight();

    auto column = r.removeFromLeft(std::min(r.getWidth(), 130));
    int y = 8 + std::max((height - 104) / 2, 0);
    for (auto* choice : choices())
    {
        choice->setBounds(column.getX(), y, column.getWidth(), 23);
        y += 23 + 4;
    }

    r.removeFromLeft(std::min(r.getWidth(), 10));
    displayArea = juce::Rectangle<int>(r.getX(), 8, std::min(r.getWidth(), 190), height);
    r.removeFromLeft(displayArea.getWidth());

    r.removeFromLeft(std::min(r.getWidth(), 6));
    const int columnWidth = r.getWidth() / 8;
    for (auto* knob : knobs())
    {
        auto knobColumn = r.removeFromLeft(columnWidth);
        knob->caption.setBounds(knobColumn.removeFromTop(std::min(height, 14)));
        knob->setBounds(knobColumn);
    }
    placeFreeButton();
}

// FREE sits directly under the SC FREQ caption, just right of the knob's round face: in the gap between it
// and the SC Q knob, not on the value arc and not drifting off to the column's edge on wide windows.
void DynPanel::placeFreeButton()
{
    constexpr int kWidth = 32, kHeight = 14, kGap = 2;
    const int top = scFreqKnob.caption.getBottom();
    const auto faceOf = [](juce::Slider& knob)
    {
        const auto area = knob.getLookAndFeel().getSliderLayout(knob).sliderBounds;
        return rotaryKnobFace(area).translated(static_cast<float>(knob.getX()),
                                               static_cast<float>(knob.getY()));
    };
    // Half the width of a face at the row of the button's lower edge, where the face is widest under it.
    const auto halfWidthAtButton = [&](juce::Rectangle<float> face)
    {
        const float r = face.getWidth() / 2.0f;
        const float depth = std::clamp(static_cast<float>(top + kHeight) - face.getY(), 0.0f, r);
        return std::sqrt(std::max(r * r - (r - depth) * (r - depth), 0.0f));
    };
    const auto sc = faceOf(scFreqKnob);
    const auto q = faceOf(scQKnob);
    const float left = sc.getCentreX() + halfWidthAtButton(sc) + kGap;
    const float right = q.getCentreX() - halfWidthAtButton(q) - kGap;
    // Centred in the gap when the two faces leave less room than the button needs.
    const float x = right - left >= kWidth ? left : (left + right - kWidth) / 2.0f;
    freeButton.setBounds(juce::roundToInt(x), top, kWidth, kHeight);
}

void DynPanel::paint(juce::Graphics& g)
{
    const float w = static_cast<float>(getWidth());
    const float h = static_cast<float>(getHeight());
    const auto colour = bandColour(band);

    g.setColour(Palette::panel.withAlpha(static_cast<juce::uint8>(0xF0)));
    g.fillRoundedRectangle(0.0f, 0.0f, w, h, 8.0f);
    g.setColour(Palette::white.withAlpha(static_cast<juce::uint8>(0x0F)));
    g.drawRoundedRectangle(0.5f, 0.5f, std::max(w - 1.0f, 0.0f), std::max(h - 1.0f, 0.0f), 8.0f, 1.0f);
    g.setColour(colour);
    g.fillRoundedRectangle(0.0f, 0.0f, 4.0f, h, 2.0f);

    paintedLevel = levelRow();
    paintedGain = gainRow();
    paintRow(g, paintedLevel, displayArea.getY() + 2, colour.withAlpha(static_cast<juce::uint8>(0xD9)));
    paintRow(g, paintedGain, displayArea.getY() + 40, Palette::blue);
}

void DynPanel::paintRow(juce::Graphics& g, const Row& row, int y, juce::Colour colour) const
{
    const float x = static_cast<float>(displayArea.getX());
    const float width = static_cast<float>(displayArea.getWidth());
    const float top = static_cast<float>(y);

    g.setColour(Palette::textDim);
    g.setFont(boldFont(10.0f));
    g.drawText(row.title, juce::Rectangle<float>(x, top, width * 0.5f, 14.0f),
               juce::Justification::centredLeft, true);
    g.setFont(plainFont(10.0f));
    g.drawText(row.value, juce::Rectangle<float>(x + 0.35f * width, top, 0.65f * width, 14.0f),
               juce::Justification::centredRight, true);

    g.setColour(Palette::window);
    g.fillRoundedRectangle(x, top + 16.0f, width, 14.0f, 3.0f);
    g.setColour(colour);
    g.fillRoundedRectangle(x, top + 16.0f, width * std::clamp(row.fill, 0.0f, 1.0f), 14.0f, 3.0f);
    if (row.marker >= 0.0f)
    {
        g.setColour(Palette::orange);
        g.fillRect(x + width * std::min(row.marker, 1.0f) - 1.0f, top + 13.0f, 2.0f, 20.0f);
    }
}
