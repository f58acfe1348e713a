#include "editor/controls/BandStrip.h"

#include "editor/controls/BandText.h"
#include "editor/controls/Localisation.h"
#include "editor/controls/Palette.h"
#include "engine/PluginProcessor.h"

#include <algorithm>
#include <cmath>

namespace
{
const char* const kShortTypeNames[] = {"B", "LS", "HS", "N", "HP", "LP"};
const char* const kDynamicTypeNames[] = {"TR", "SI", "BG", "SU"};
constexpr int kFirstDynamicType = vivera::dsp::kBandTransient;

// The level-dependent types listen for a level below their threshold: Background and Sustain.
bool listensBelow(int type)
{
    return type == vivera::dsp::kBandBackground || type == vivera::dsp::kBandSustain;
}

juce::String pair(const char* spanish, const char* english)
{
    return makeTextPair(juce::String::fromUTF8(spanish), juce::String::fromUTF8(english));
}

void setUpKnob(juce::Slider& knob, juce::Colour colour)
{
    knob.setSliderStyle(juce::Slider::RotaryHorizontalVerticalDrag);
    knob.setRepaintsOnMouseActivity(true);
    knob.setTextBoxStyle(juce::Slider::TextBoxBelow, false, 66, 14);
    knob.setColour(juce::Slider::rotarySliderFillColourId, colour);
}

void setUpCaption(juce::Label& label, float fontHeight)
{
    label.setJustificationType(juce::Justification::centred);
    label.setFont(plainFont(fontHeight));
    label.setColour(juce::Label::textColourId, Palette::textDim);
}
} // namespace

BandStrip::BandStrip(int slotIndex, VezovevaDirADAudioProcessor& processorToEdit)
    : slot(std::clamp(slotIndex, 0, kNumBands - 1)), processor(processorToEdit), lockButton(Palette::gold)
{
    const auto colour = bandColour(slot);

    multiplierLabel.setEditable(false, true, false);
    multiplierLabel.setJustificationType(juce::Justification::centred);
    multiplierLabel.setFont(boldFont(17.0f));
    multiplierLabel.setColour(juce::Label::textColourId, colour);
    multiplierLabel.setColour(juce::Label::backgroundWhenEditingColourId, Palette::raised);
    multiplierLabel.setColour(juce::Label::textWhenEditingColourId, Palette::text);
    multiplierLabel.setTooltip(pair("Doble clic para escribir un multiplicador (0.25 - 256)",
                                    "Double-click to type a multiplier (0.25 - 256)"));
    multiplierLabel.onTextChange = [this] { multiplierTyped(); };

    for (auto* button : {&onButton, &soloButton, &dynButton})
    {
        button->setClickingTogglesState(true);
        button->setColour(juce::TextButton::buttonOnColourId, colour);
    }
    soloButton.setColour(juce::TextButton::buttonOnColourId, Palette::orange);
    dynButton.setColour(juce::TextButton::buttonOnColourId, Palette::blue);

    removeButton.setColour(juce::TextButton::textColourOffId, Palette::textDim);
    removeButton.onClick = [this]
    {
        if (onRemove)
            onRemove(slot);
    };
    typeButton.onClick = [this]
    {
        if (onMenu)
            onMenu(slot, typeButton);
    };

    setUpKnob(gainKnob, colour);
    setUpKnob(qKnob, colour);
    gainCaption.setText("GAIN", juce::dontSendNotification);
    qCaption.setText("Q", juce::dontSendNotification);
    setUpCaption(gainCaption, 10.0f);
    setUpCaption(qCaption, 10.0f);
    setUpCaption(infoLabel, 11.0f);
    // Captions only show text: a press on them is a press on the strip, which selects its band.
    for (auto* label : {&gainCaption, &qCaption, &infoLabel})
        label->setInterceptsMouseClicks(false, false);
    // The multiplier keeps its presses for the double-click entry, and passes them on to select too.
    multiplierLabel.addMouseListener(this, false);

    onButton.setTooltip(pair("Activar / desactivar la banda", "Enable / disable the band"));
    typeButton.setTooltip(
        pair("Tipo de la banda (clic para cambiarlo). Menú: multiplicador, tipo, pendiente, canal",
             "Band type (click to change). Menu: multiplier, type, slope, channel"));
    soloButton.setTooltip(pair("Solo: oír solo esta banda", "Solo: hear only this band"));
    dynButton.setTooltip(
        pair("Dinámica: la banda solo actúa según el nivel de esa zona (ajustes en el panel de "
             "dinámica)",
             "Dynamics: the band only acts depending on the level of its range (settings in "
             "the dynamics panel)"));
    removeButton.setTooltip(pair("Quitar este armónico (vuelve el hueco con el +)",
                                 "Remove this harmonic (the + slot comes back)"));
    lockButton.setTooltip(
        pair("CANDADO: congela la frecuencia de esta banda. Deja de seguir al pitch y se queda "
             "donde está ahora",
             "LOCK: freezes this band's frequency. It stops following the pitch and stays "
             "where it is now"));

    for (auto* child : std::initializer_list<juce::Component*>{
             &multiplierLabel, &onButton, &typeButton, &soloButton, &dynButton, &removeButton, &lockButton,
             &gainKnob, &qKnob, &gainCaption, &qCaption, &infoLabel})
        addAndMakeVisible(child);

    const int n = slot + 1;
    auto& tree = processor.parameters;
    onAttachment = std::make_unique<ButtonAttachment>(tree, bandParameterId(n, BandParam::on), onButton);
    soloAttachment =
        std::make_unique<ButtonAttachment>(tree, bandParameterId(n, BandParam::solo), soloButton);
    freezeAttachment =
        std::make_unique<ButtonAttachment>(tree, bandParameterId(n, BandParam::freeze), lockButton);
    dynAttachment = std::make_unique<ButtonAttachment>(tree, bandParameterId(n, BandParam::dyn), dynButton);
    gainAttachment = std::make_unique<SliderAttachment>(tree, bandParameterId(n, BandParam::gain), gainKnob);
    qAttachment = std::make_unique<SliderAttachment>(tree, bandParameterId(n, BandParam::q), qKnob);

    refresh();
}

BandStrip::~BandStrip()
{
    multiplierLabel.removeMouseListener(this);
}

BandStrip::Widgets BandStrip::widgets()
{
    return {multiplierLabel, onButton, typeButton, soloButton,  dynButton, removeButton,
            lockButton,      gainKnob, qKnob,      gainCaption, qCaption,  infoLabel};
}

void BandStrip::setSelected(bool shouldBeSelected)
{
    if (selected == shouldBeSelected)
        return;
    selected = shouldBeSelected;
    repaint();
}

void BandStrip::editMultiplier()
{
    multiplierLabel.showEditor();
}

void BandStrip::refresh()
{
    const auto& band = processor.bandParameters(slot);

    if (!multiplierLabel.isBeingEdited())
        showMultiplier(band.mult.get());

    const auto index = static_cast<size_t>(slot);
    showInfo(processor.telemetry.publishedBandFrequency[index].load(std::memory_order_relaxed),
             band.freeze.isOn());

    const int type = band.type.index(vivera::dsp::kBandTypeCount);
    const bool dynamicType = type >= kFirstDynamicType;
    const float target = band.dyn.isOn() || dynamicType
                             ? processor.telemetry.bandDynamicAmount[index].load(std::memory_order_relaxed)
                             : 0.0f;
    if (std::abs(target - activity) > 0.01f)
    {
        activity = target;
        // Only the bar's own track: the knobs and buttons below it need not repaint with it.
        repaint(activityTrack().expanded(1.0f).getSmallestIntegerContainer());
    }

    if (type != shownType)
    {
        shownType = type;
        typeButton.setButtonText(dynamicType ? kDynamicTypeNames[std::min(type - kFirstDynamicType, 3)]
                                             : kShortTypeNames[std::max(type, 0)]);
    }
    dynButton.setEnabled(!dynamicType);

    // The level-dependent types only exist as dynamic bands: keep their switch and direction in step.
    if (dynamicType)
    {
        if (std::abs(band.dyn.get() - 1.0f) > 0.5f)
            writeParameter(BandParam::dyn, 1.0f);
        const float mode = listensBelow(type) ? 1.0f : 0.0f;
        if (std::abs(band.dynmode.get() - mode) > 0.5f)
            writeParameter(BandParam::dynmode, mode);
    }

    const int shape = dynamicType ? 0 : type;
    gainKnob.setEnabled(shape < vivera::dsp::kBandNotch);
    const bool passFilter = shape == vivera::dsp::kBandHighPass || shape == vivera::dsp::kBandLowPass;
    // The 6 dB/oct pass filters are first order: they have no Q.
    qKnob.setEnabled(!passFilter || band.slope.index(vivera::dsp::kBandSlopeCount) != 0);
}

void BandStrip::showMultiplier(float multiplier)
{
    if (multiplier == shownMultiplier)
        return;
    shownMultiplier = multiplier;
    multiplierLabel.setText(formatMultiplier(multiplier), juce::dontSendNotification);
}

void BandStrip::showInfo(float hz, bool frozen)
{
    const int english = isEnglish() ? 1 : 0;
    if (hz == shownFrequency && (frozen ? 1 : 0) == shownFrozen && english == shownEnglish)
        return;
    shownFrequency = hz;
    shownFrozen = frozen ? 1 : 0;
    shownEnglish = english;
    const auto text = hz > 0.0f ? (frozen ? tr("fija ", "locked ") : juce::String()) + formatFrequency(hz)
                                : juce::String("off");
    infoLabel.setText(text, juce::dontSendNotification);
    infoLabel.setColour(juce::Label::textColourId, frozen ? Palette::orange : Palette::textDim);
}

void BandStrip::multiplierTyped()
{
    if (const auto typed = parseMultiplier(multiplierLabel.getText()))
    {
        // A typed value is its own undo step, apart from whatever the mouse did before.
        processor.beginNewUndoStep();
        writeParameter(BandParam::mult, *typed);
        processor.beginNewUndoStep();
    }
    // Valid or not, the field shows the value the band now has.
    shownMultiplier = -1.0f;
    showMultiplier(processor.bandParameters(slot).mult.get());
}

void BandStrip::writeParameter(const juce::String& shortName, float plainValue)
{
    auto* parameter = processor.parameters.getParameter(bandParameterId(slot + 1, shortName));
    if (parameter == nullptr)
        return;
    parameter->beginChangeGesture();
    parameter->setValueNotifyingHost(parameter->convertTo0to1(plainValue));
    parameter->endChangeGesture();
}

void BandStrip::resized()
{
    auto r = getLocalBounds().reduced(6);
    r.removeFromTop(3);
    auto top = r.removeFromTop(24);
    onButton.setBounds(top.removeFromLeft(32));
    typeButton.setBounds(top.removeFromRight(32));
    multiplierLabel.setBounds(top);
    r.removeFromTop(3);
    auto second = r.removeFromTop(16);
    removeButton.setBounds(second.removeFromRight(18));
    infoLabel.setBounds(second);
    r.removeFromTop(2);
    auto bottom = r.removeFromBottom(24);
    const int third = r.getWidth() / 3;
    soloButton.setBounds(bottom.removeFromLeft(third).reduced(2, 0));
    lockButton.setBounds(bottom.removeFromLeft(third).reduced(2, 0));
    dynButton.setBounds(bottom.reduced(2, 0));
    auto gainArea = r.removeFromLeft(r.getWidth() / 2);
    gainCaption.setBounds(gainArea.removeFromTop(14));
    gainKnob.setBounds(gainArea);
    qCaption.setBounds(r.removeFromTop(14));
    qKnob.setBounds(r);
}

juce::Rectangle<float> BandStrip::activityTrack() const
{
    const float w = std::max(static_cast<float>(getWidth()) - 4.0f, 0.0f);
    return {6.0f, 7.0f, w - 8.0f, 3.0f};
}

void BandStrip::paint(juce::Graphics& g)
{
    const auto colour = bandColour(slot);
    const float w = std::max(static_cast<float>(getWidth()) - 4.0f, 0.0f);
    const float h = std::max(static_cast<float>(getHeight()) - 4.0f, 0.0f);
    const juce::Rectangle<float> area(2.0f, 2.0f, w, h);
    fillPanel(g, area, 6.0f, Palette::panel);

    g.setColour(colour);
    g.fillRoundedRectangle(2.0f, 2.0f, w, 3.0f, 1.5f);

    if (activity > 0.005f)
    {
        g.setColour(Palette::blue);
        const auto track = activityTrack();
        g.fillRoundedRectangle(track.withWidth(track.getWidth() * activity), 1.5f);
    }

    if (selected)
    {
        g.setColour(colour.withAlpha(static_cast<juce::uint8>(0xCC)));
        g.drawRoundedRectangle(area, 6.0f, 1.5f);
    }
}

void BandStrip::mouseDown(const juce::MouseEvent&)
{
    if (onSelect)
        onSelect(slot);
}
