#include "editor/PluginEditor.h"

#include "editor/AboutWindow.h"
#include "editor/Emblem.h"
#include "editor/MultiplierSteps.h"
#include "editor/controls/Palette.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int kTimerIntervalMs = 33;
constexpr int kTooltipDelayMs = 600;
constexpr int kClipHoldTicks = 45;

struct KnobSpec
{
    const char* caption;
    const char* parameterId;
    const char* spanishTip;
    const char* englishTip;
};

// Left to right; OUT and MIX have no tooltip. Captions are the same in both languages.
const std::array<KnobSpec, EditorLayout::knobCount> kKnobs{{
    {"SENS", ParamIds::sens, "Umbral de confianza del detector. Bajo = estricto, alto = permisivo",
     "Detector confidence threshold. Low = strict, high = permissive"},
    {"GATE", ParamIds::gate, "Gate solo para la detección (el audio nunca se corta). Mínimo = OFF",
     "Gate for detection only (audio is never cut). Minimum = OFF"},
    {"HP", ParamIds::trkHp, "Filtro paso alto que ve el detector (no afecta al audio)",
     "High-pass filter seen by the detector (does not affect the audio)"},
    {"LP", ParamIds::trkLp, "Filtro paso bajo que ve el detector (no afecta al audio)",
     "Low-pass filter seen by the detector (does not affect the audio)"},
    {"FREQ", ParamIds::freq, "Frecuencia manual, se usa con el candado cerrado",
     "Manual frequency, used when the lock is closed"},
    {"SCALE", ParamIds::scale, "Multiplica la ganancia de todas las bandas (50 - 200 %)",
     "Scales the gain of all bands (50 - 200 %)"},
    {"OUT", ParamIds::out, nullptr, nullptr},
    {"MIX", ParamIds::mix, nullptr, nullptr},
}};

juce::String pair(const char* spanish, const char* english)
{
    return makeTextPair(juce::String::fromUTF8(spanish), juce::String::fromUTF8(english));
}
} // namespace

VezovevaDirADAudioProcessorEditor::VezovevaDirADAudioProcessorEditor(VezovevaDirADAudioProcessor& p)
    : juce::AudioProcessorEditor(p), processor(p), pitchReadout(p),
      detectorBar(p, p.parameters.getRawParameterValue(ParamIds::gate)), graph(p), dynPanel(p)
{
    setLookAndFeel(&lookAndFeel);

    addAndMakeVisible(dynContainer);
    dynContainer.addAndMakeVisible(dynPanel);
    addAndMakeVisible(stripViewport);
    stripViewport.setViewedComponent(&stripContainer, false);
    stripViewport.setScrollBarsShown(false, true);
    stripViewport.setScrollBarThickness(8);
    stripContainer.addAndMakeVisible(addSlotButton);
    addSlotButton.setTooltip(pair("Añade el siguiente armónico (aparece con su multiplicador por defecto)",
                                  "Adds the next harmonic (with its default multiplier)"));
    addSlotButton.onClick = [this] { addBandSlot(); };

    // Monitoring: two radio groups whose lit button the timer sets from the parameters.
    struct MonitorButton
    {
        juce::TextButton& button;
        const char* parameterId;
        float value;
        const char* spanishTip;
        const char* englishTip;
    };
    const MonitorButton monitorButtons[] = {
        {outputButton, ParamIds::monSig, 0.0f, "Escuchar la SALIDA normal", "Listen to the normal OUTPUT"},
        {deltaButton, ParamIds::monSig, 1.0f,
         "Escuchar solo lo que el EQ añade o quita (salida menos entrada)",
         "Listen only to what the EQ adds or removes (output minus input)"},
        {stereoButton, ParamIds::monCh, 0.0f, "Canal: estéreo (L y R)", "Channel: stereo (L and R)"},
        {midButton, ParamIds::monCh, 1.0f, "Canal: MID, la suma L+R. Sirve para la salida y para el delta",
         "Channel: MID, the L+R sum. Applies to output and delta"},
        {sideButton, ParamIds::monCh, 2.0f,
         "Canal: SIDE, la diferencia L-R. Sirve para la salida y para el delta",
         "Channel: SIDE, the L-R difference. Applies to output and delta"},
    };
    for (const auto& m : monitorButtons)
    {
        m.button.setColour(juce::TextButton::buttonOnColourId, Palette::orange);
        m.button.setTooltip(pair(m.spanishTip, m.englishTip));
        const juce::String id = m.parameterId;
        const float value = m.value;
        m.button.onClick = [this, id, value] { setParameterValue(id, value); };
        addAndMakeVisible(m.button);
    }

    languageButton.setTooltip(
        pair("Idioma de la interfaz: español / inglés", "Interface language: Spanish / English"));
    languageButton.onClick = [this]
    {
        toggleLanguage();
        refreshLanguageTexts();
    };
    addAndMakeVisible(languageButton);
    refreshLanguageTexts();

    bulbButton.setTooltip(pair("Foco: activa o desactiva estos mensajes de ayuda",
                               "Bulb: turns these help messages on or off"));
    bulbButton.onClick = [this] { setTooltipsEnabled(bulbButton.getToggleState()); };
    addAndMakeVisible(bulbButton);
    const bool tooltipsOn = processor.getTooltipsEnabled();
    bulbButton.setToggleState(tooltipsOn, juce::dontSendNotification);
    setTooltipsEnabled(tooltipsOn);

    addAndMakeVisible(pitchReadout);
    addAndMakeVisible(detectorBar);
    addAndMakeVisible(levelMeter);
    addAndMakeVisible(graph);
    dynContainer.toFront(false);
    graph.onBandSelected = [this](int slot) { selectBand(slot); };
    graph.onBandMenu = [this](int slot)
    {
        const auto mouse = juce::Desktop::getMousePosition();
        showBandMenu(slot, juce::PopupMenu::Options().withTargetScreenArea({mouse.x, mouse.y, 1, 1}));
    };

    for (int slot = 0; slot < kNumBands; ++slot)
    {
        auto strip = std::make_unique<BandStrip>(slot, processor);
        strip->onSelect = [this](int s) { selectBand(s); };
        strip->onRemove = [this](int s) { removeBandSlot(s); };
        strip->onMenu = [this](int s, juce::Component& anchor)
        { showBandMenu(s, juce::PopupMenu::Options().withTargetComponent(&anchor)); };
        strip->setVisible(true);
        stripContainer.addChildComponent(*strip);
        bandStrips[static_cast<size_t>(slot)] = std::move(strip);
    }
    bandStrips[0]->setSelected(true);

    for (size_t k = 0; k < kKnobs.size(); ++k)
    {
        buildGlobalKnob(globalKnobs[k], kKnobs[k].caption, kKnobs[k].parameterId);
        if (kKnobs[k].spanishTip != nullptr)
            globalKnobs[k].slider.setTooltip(pair(kKnobs[k].spanishTip, kKnobs[k].englishTip));
    }

    struct SwitchSpec
    {
        juce::TextButton& button;
        juce::Colour colour;
        const char* spanishTip;
        const char* englishTip;
    };
    const SwitchSpec switches[] = {
        {bypassButton, Palette::red, "Bypass: el audio pasa sin procesar",
         "Bypass: audio passes through unprocessed"},
        {scPitchButton, Palette::gold,
         "Detectar el pitch desde la entrada de sidechain en lugar de la señal principal. Solo afecta al "
         "seguimiento del pitch; el sidechain de la dinámica se elige en cada banda (INT / EXT)",
         "Detect pitch from the sidechain input instead of the main signal. Only affects pitch tracking; the "
         "dynamics sidechain is chosen per band (INT / EXT)"},
        {autoBypassButton, Palette::orange,
         "Auto bypass: si no se detecta pitch durante 0.7 s el EQ se desactiva con una rampa y vuelve al "
         "detectar",
         "Auto bypass: if no pitch is detected for 0.7 s the EQ fades out, and fades back in when pitch "
         "returns"},
        {autoGainButton, Palette::green,
         "Auto gain: compensa la subida de volumen que añade el EQ. Se calcula solo con los ajustes (no "
         "sigue la "
         "señal), solo reduce",
         "Auto gain: compensates the level increase added by the EQ. Computed from the settings only (does "
         "not "
         "follow the signal), only reduces"},
        {clipButton, Palette::green,
         "Soft clipper: redondea los picos que pasarían de 0 dBFS. Exacto por debajo de -3 dBFS, sin "
         "latencia",
         "Soft clipper: rounds off peaks that would go over 0 dBFS. Transparent below -3 dBFS, no latency"},
        {lookaheadButton, Palette::gold,
         "Lookahead: retrasa el audio 100 ms para que las bandas cambien de frecuencia justo cuando cambia "
         "la "
         "nota, no después. El DAW compensa ese retraso al reproducir; apágalo para grabar o tocar en "
         "directo.",
         "Lookahead: delays the audio by 100 ms so the bands change frequency exactly when the note changes, "
         "not "
         "after. The DAW compensates for the delay on playback; turn it off for recording or live playing."},
        {freeMoveButton, Palette::gold,
         "Free Move: arrastrar un nodo en horizontal cambia su multiplicador (frecuencia libre respecto al "
         "pitch). En vertical sigue cambiando ganancia / Q",
         "Free Move: dragging a node horizontally changes its multiplier (free frequency relative to the "
         "pitch). "
         "Vertically it still changes gain / Q"},
    };
    for (const auto& s : switches)
    {
        s.button.setClickingTogglesState(true);
        s.button.setColour(juce::TextButton::buttonOnColourId, s.colour);
        s.button.setTooltip(pair(s.spanishTip, s.englishTip));
        addAndMakeVisible(s.button);
    }
    addAndMakeVisible(padlockButton);
    padlockButton.setTooltip(pair(
        "CANDADO: bloquea la frecuencia base en el valor de FREQ (al cerrarlo toma el pitch detectado). El "
        "EQ "
        "deja de seguir al instrumento",
        "LOCK: holds the base frequency at the FREQ value (it takes the detected pitch when closed). The EQ "
        "stops following the instrument"));

    using ButtonAttachment = juce::AudioProcessorValueTreeState::ButtonAttachment;
    auto& tree = processor.parameters;
    buttonAttachments = {std::make_unique<ButtonAttachment>(tree, ParamIds::bypass, bypassButton),
                         std::make_unique<ButtonAttachment>(tree, ParamIds::sc, scPitchButton),
                         std::make_unique<ButtonAttachment>(tree, ParamIds::autoByp, autoBypassButton),
                         std::make_unique<ButtonAttachment>(tree, ParamIds::autoGain, autoGainButton),
                         std::make_unique<ButtonAttachment>(tree, ParamIds::softClip, clipButton),
                         std::make_unique<ButtonAttachment>(tree, ParamIds::freeMove, freeMoveButton),
                         std::make_unique<ButtonAttachment>(tree, ParamIds::lookahead, lookaheadButton),
                         std::make_unique<ButtonAttachment>(tree, ParamIds::lock, padlockButton)};
    // Closing the lock freezes the base frequency at the note being heard.
    padlockButton.onClick = [this]
    {
        const float pitch = processor.telemetry.publishedPitch.load();
        if (padlockButton.getToggleState() && pitch > 0.0f)
            setParameterValue(ParamIds::freq, std::clamp(pitch, 20.0f, 2000.0f));
    };

    for (auto* button : {&slotAButton, &slotBButton, &copySlotButton})
        addAndMakeVisible(*button);
    slotAButton.setColour(juce::TextButton::buttonOnColourId, Palette::gold);
    slotBButton.setColour(juce::TextButton::buttonOnColourId, Palette::gold);
    slotAButton.setTooltip(pair("Ajuste A", "Setting A"));
    slotBButton.setTooltip(pair("Ajuste B", "Setting B"));
    copySlotButton.setTooltip(pair("Copia el ajuste actual a la otra ranura (A>B o B>A)",
                                   "Copies the current setting to the other slot (A>B or B>A)"));
    slotAButton.onClick = [this]
    {
        if (processor.getActiveSlot() != 0)
            processor.switchSlot();
    };
    slotBButton.onClick = [this]
    {
        if (processor.getActiveSlot() != 1)
            processor.switchSlot();
    };
    copySlotButton.onClick = [this] { processor.copyToOtherSlot(); };

    setWantsKeyboardFocus(true);
    setResizable(true, true);
    undoButton.setTooltip(pair("Deshacer (Ctrl+Z)", "Undo (Ctrl+Z)"));
    redoButton.setTooltip(pair("Rehacer (Ctrl+Shift+Z / Ctrl+Y)", "Redo (Ctrl+Shift+Z / Ctrl+Y)"));
    presetButton.setTooltip(pair("Presets: los tuyos, guardar", "Presets: your own, save"));
    aboutButton.setTooltip(pair("Acerca de Vivera", "About Vivera"));
    undoButton.onClick = [this] { processor.undoManager.undo(); };
    redoButton.onClick = [this] { processor.undoManager.redo(); };
    presetButton.onClick = [this] { showPresetMenu(); };
    aboutButton.onClick = [this] { showAboutWindow(); };
    titleButton.onClick = [this] { showAboutWindow(); };
    saveDialog = [this](const juce::File& initialFile, std::function<void(const juce::File&)> onChosen)
    { launchSystemSaveDialog(initialFile, std::move(onChosen)); };
    folderOpener = [](const juce::File& folder) { folder.startAsProcess(); };
    for (auto* button : {&undoButton, &redoButton, &presetButton, &aboutButton})
        addAndMakeVisible(*button);
    titleButton.setMouseCursor(juce::MouseCursor::PointingHandCursor);
    addAndMakeVisible(titleButton);
    addMouseListener(this, true);

    emblem = createEmblem();

    // Buttons and captions change only on a click, a hover or a new text: keep their pictures, so the
    // window's repaints cost little.
    for (auto* child : getChildren())
        if (dynamic_cast<juce::Button*>(child) != nullptr || dynamic_cast<juce::Label*>(child) != nullptr)
            child->setBufferedToImage(true);

    // The sliders built their value boxes before they sat under this look and feel; have every child
    // rebuild what it draws with it (the value-box pills among them).
    sendLookAndFeelChange();

    setResizeLimits(1240, 760, 1900, 1400);
    setSize(1240, 900);
    monitorIconLit = isMonitoringSpecial();
    startTimer(kTimerIntervalMs);
}

VezovevaDirADAudioProcessorEditor::~VezovevaDirADAudioProcessorEditor()
{
    stopTimer();
    // An open save dialog goes with the editor and saves nothing; both windows use the look and feel.
    presetChooser.reset();
    aboutWindow.reset();
    setLookAndFeel(nullptr);
}

PresetMenuContents VezovevaDirADAudioProcessorEditor::makePresetMenu() const
{
    return buildPresetMenu(processor.factoryPresets(), findUserPresetFiles(processor.presetFolder()),
                           processor.getPresetName());
}

void VezovevaDirADAudioProcessorEditor::showPresetMenu()
{
    // As with the band menu, the open menu owns its look and feel: the editor may go while it is shown.
    struct OpenMenu
    {
        juce::SharedResourcePointer<EqLookAndFeel> lookAndFeel;
        PresetMenuContents contents;
    };
    auto shown = std::make_shared<OpenMenu>();
    shown->contents = makePresetMenu();
    shown->contents.menu.setLookAndFeel(&shown->lookAndFeel.get());
    juce::Component::SafePointer<VezovevaDirADAudioProcessorEditor> editor(this);
    shown->contents.menu.showMenuAsync(juce::PopupMenu::Options().withTargetComponent(&presetButton),
                                       [editor, shown](int id)
                                       {
                                           if (editor != nullptr)
                                               editor->handlePresetMenuResult(id, shown->contents.actions);
                                       });
}

void VezovevaDirADAudioProcessorEditor::handlePresetMenuResult(int id,
                                                               const std::map<int, PresetMenuAction>& actions)
{
    // 0 (dismissed), the placeholder and any ID the menu did not offer do nothing.
    const auto found = actions.find(id);
    if (found == actions.end())
        return;
    const auto& action = found->second;
    switch (action.kind)
    {
    case PresetMenuAction::Kind::init:
        processor.loadFactoryPreset(-1);
        break;
    case PresetMenuAction::Kind::factory:
        processor.loadFactoryPreset(action.factoryIndex);
        break;
    case PresetMenuAction::Kind::user:
        processor.loadPresetFile(action.file); // a file that no longer parses is ignored
        break;
    case PresetMenuAction::Kind::save:
        startPresetSave();
        break;
    case PresetMenuAction::Kind::openFolder:
        openPresetFolder();
        break;
    }
}

void VezovevaDirADAudioProcessorEditor::openPresetFolder()
{
    const auto folder = processor.presetFolder();
    if (folder == juce::File())
        return;
    folder.createDirectory();
    if (folder.isDirectory() && folderOpener)
        folderOpener(folder);
}

void VezovevaDirADAudioProcessorEditor::startPresetSave()
{
    const auto folder = processor.presetFolder();
    if (folder != juce::File())
        folder.createDirectory();
    const auto initialFile = folder != juce::File() ? folder.getChildFile("Preset.opreset") : juce::File();
    juce::Component::SafePointer<VezovevaDirADAudioProcessorEditor> editor(this);
    if (saveDialog)
        saveDialog(initialFile,
                   [editor](const juce::File& chosen)
                   {
                       // A dialog that outlives the editor saves nothing.
                       if (editor != nullptr)
                           editor->savePresetAs(chosen);
                   });
}

void VezovevaDirADAudioProcessorEditor::launchSystemSaveDialog(
    const juce::File& initialFile, std::function<void(const juce::File&)> onChosen)
{
    presetChooser =
        std::make_unique<juce::FileChooser>(tr("Guardar preset", "Save preset"), initialFile, "*.opreset");
    const int chooserFlags = juce::FileBrowserComponent::saveMode |
                             juce::FileBrowserComponent::canSelectFiles |
                             juce::FileBrowserComponent::warnAboutOverwriting;
    presetChooser->launchAsync(chooserFlags,
                               [onChosen = std::move(onChosen)](const juce::FileChooser& chooser)
                               { onChosen(chooser.getResult()); });
}

bool VezovevaDirADAudioProcessorEditor::savePresetAs(const juce::File& chosen)
{
    if (chosen == juce::File() || chosen.getFullPathName().isEmpty())
        return false; // cancelled
    return processor.savePresetFile(withPresetExtension(chosen));
}

void VezovevaDirADAudioProcessorEditor::showAboutWindow()
{
    aboutWindow.reset(); // the previous window goes first
    aboutWindow = createAboutWindow(this, lookAndFeel);
    // Closing only hides the window: it stays owned here until replaced or until the editor goes.
    juce::Component::SafePointer<juce::AlertWindow> window(aboutWindow.get());
    aboutWindow->enterModalState(true,
                                 juce::ModalCallbackFunction::create(
                                     [window](int)
                                     {
                                         if (window != nullptr)
                                             window->setVisible(false);
                                     }),
                                 false);
}

VezovevaDirADAudioProcessorEditor::Widgets VezovevaDirADAudioProcessorEditor::widgets()
{
    Widgets w{undoButton,
              redoButton,
              presetButton,
              aboutButton,
              languageButton,
              outputButton,
              deltaButton,
              stereoButton,
              midButton,
              sideButton,
              bypassButton,
              scPitchButton,
              autoBypassButton,
              autoGainButton,
              clipButton,
              freeMoveButton,
              lookaheadButton,
              slotAButton,
              slotBButton,
              copySlotButton,
              titleButton,
              bulbButton,
              padlockButton,
              addSlotButton,
              pitchReadout,
              detectorBar,
              levelMeter,
              graph,
              dynPanel,
              dynContainer,
              stripViewport,
              stripContainer,
              bandStrips,
              {},
              {}};
    for (size_t k = 0; k < globalKnobs.size(); ++k)
    {
        w.knobs[k] = &globalKnobs[k].slider;
        w.knobCaptions[k] = &globalKnobs[k].caption;
    }
    return w;
}

void VezovevaDirADAudioProcessorEditor::buildGlobalKnob(GlobalKnob& knob, const juce::String& caption,
                                                        const juce::String& parameterId)
{
    auto& slider = knob.slider;
    slider.setSliderStyle(juce::Slider::RotaryHorizontalVerticalDrag);
    slider.setRepaintsOnMouseActivity(true);
    slider.setTextBoxStyle(juce::Slider::TextBoxBelow, true, 76, 16);
    slider.setColour(juce::Slider::rotarySliderFillColourId, Palette::gold);
    knob.caption.setText(caption, juce::dontSendNotification);
    knob.caption.setJustificationType(juce::Justification::centred);
    knob.caption.setFont(boldFont(11.0f));
    knob.caption.setColour(juce::Label::textColourId, Palette::textDim);
    // Knobs change only when their value does or the mouse passes over them: keep their picture.
    slider.setBufferedToImage(true);
    addAndMakeVisible(slider);
    addAndMakeVisible(knob.caption);
    knob.attachment = std::make_unique<juce::AudioProcessorValueTreeState::SliderAttachment>(
        processor.parameters, parameterId, slider);
}

void VezovevaDirADAudioProcessorEditor::setParameterValue(const juce::String& id, float plainValue)
{
    auto* parameter = processor.parameters.getParameter(id);
    if (parameter == nullptr)
        return;
    parameter->beginChangeGesture();
    parameter->setValueNotifyingHost(parameter->convertTo0to1(plainValue));
    parameter->endChangeGesture();
}

void VezovevaDirADAudioProcessorEditor::mouseDown(const juce::MouseEvent&)
{
    // Every press anywhere in the window starts a new undo step, so one gesture is at most one step.
    processor.beginNewUndoStep();
}

void VezovevaDirADAudioProcessorEditor::mouseUp(const juce::MouseEvent&)
{
    // The press's own step ends with its release. The child under the mouse sees a press before this
    // editor does, and a child that writes on the press (a segmented switch) would otherwise land in the
    // step of the gesture before it.
    processor.beginNewUndoStep();
}

void VezovevaDirADAudioProcessorEditor::setTooltipsEnabled(bool on)
{
    processor.setTooltipsEnabled(on);
    if (on && tooltipWindow == nullptr)
        tooltipWindow = std::make_unique<LangTooltipWindow>(this, kTooltipDelayMs);
    else if (!on)
        tooltipWindow.reset();
}

void VezovevaDirADAudioProcessorEditor::refreshLanguageTexts()
{
    shownEnglish = isEnglish() ? 1 : 0;
    languageButton.setButtonText(isEnglish() ? "EN" : "ES");
    outputButton.setButtonText(tr("SALIDA", "OUTPUT"));
    if (getWidth() > 0)
    {
        resized();
        repaint();
    }
}

void VezovevaDirADAudioProcessorEditor::resized()
{
    layout = layoutEditor(getWidth(), getHeight(), dynPanelOpen);
    const auto& l = layout;

    headerArea = l.header;
    titleArea = l.title;
    titleButton.setBounds(l.title);
    bulbButton.setBounds(l.bulb);
    slotAButton.setBounds(l.slotA);
    slotBButton.setBounds(l.slotB);
    copySlotButton.setBounds(l.copySlot);
    freeMoveButton.setBounds(l.freeMove);
    lookaheadButton.setBounds(l.lookahead);
    monitorIconArea = l.monitorIcon;
    outputButton.setBounds(l.output);
    deltaButton.setBounds(l.delta);
    stereoButton.setBounds(l.stereo);
    midButton.setBounds(l.mid);
    sideButton.setBounds(l.side);
    languageButton.setBounds(l.language);
    aboutButton.setBounds(l.about);
    presetButton.setBounds(l.preset);
    redoButton.setBounds(l.redo);
    undoButton.setBounds(l.undo);

    levelMeter.setBounds(l.levelMeter);
    graph.setBounds(l.graph);
    dynContainer.setBounds(l.dynContainer);
    dynContainer.setVisible(l.dynContainerVisible);
    dynPanel.setBounds(0, 0, l.dynContainer.getWidth(), kDynPanelHeight);

    stripViewport.setBounds(l.stripViewport);
    layoutStrips();

    pitchReadout.setBounds(l.pitchReadout);
    bypassButton.setBounds(l.bypass);
    scPitchButton.setBounds(l.scPitch);
    autoBypassButton.setBounds(l.autoBypass);
    for (size_t k = 0; k < globalKnobs.size(); ++k)
    {
        globalKnobs[k].caption.setBounds(l.knobCaption[k]);
        globalKnobs[k].slider.setBounds(l.knobSlider[k]);
    }
    detectorBar.setBounds(l.detectorBar);
    padlockButton.setBounds(l.padlock);
    autoGainButton.setBounds(l.autoGain);
    clipButton.setBounds(l.clip);
    detectorGroupArea = l.detectorGroup;
    pitchGroupArea = l.pitchGroup;
    outputGroupArea = l.outputGroup;
}

void VezovevaDirADAudioProcessorEditor::layoutStrips()
{
    int count = 0;
    for (int slot = 0; slot < kNumBands; ++slot)
    {
        auto& strip = *bandStrips[static_cast<size_t>(slot)];
        const bool added = processor.bandParameters(slot).add.isOn();
        strip.setVisible(added);
        if (added)
            strip.setBounds(count++ * kStripWidth, 0, kStripWidth, kStripHeight);
    }
    addSlotButton.setVisible(count < kNumBands);
    if (count < kNumBands)
        addSlotButton.setBounds(count * kStripWidth, 0, kStripWidth, kStripHeight);
    const int cells = count + (count < kNumBands ? 1 : 0);
    stripContainer.setSize(std::max(layout.stripViewport.getWidth(), cells * kStripWidth), kStripHeight);
}

void VezovevaDirADAudioProcessorEditor::paint(juce::Graphics& g)
{
    g.fillAll(Palette::window);

    paintEmblem(g);

    g.setColour(Palette::text);
    g.setFont(boldFont(17.0f).withExtraKerningFactor(0.14f));
    g.drawText("VIVERA",
               juce::Rectangle<int>(titleArea.getX() + 36, titleArea.getY(),
                                    std::max(0, titleArea.getWidth() - 36), titleArea.getHeight()),
               juce::Justification::centredLeft, true);

    paintGroupCaption(g, detectorGroupArea, "DETECTOR");
    paintGroupCaption(g, pitchGroupArea, "PITCH");
    paintGroupCaption(g, outputGroupArea, tr("SALIDA", "OUTPUT"));
    paintMonitorIcon(g);
}

void VezovevaDirADAudioProcessorEditor::paintEmblem(juce::Graphics& g)
{
    if (emblem == nullptr || titleArea.isEmpty())
        return;
    const juce::Rectangle<float> area(static_cast<float>(titleArea.getX()),
                                      static_cast<float>(titleArea.getY()), 30.0f,
                                      static_cast<float>(titleArea.getHeight()));
    const float scale = g.getInternalContext().getPhysicalPixelScaleFactor();
    const int w = juce::roundToInt(area.getWidth() * scale);
    const int h = juce::roundToInt(area.getHeight() * scale);
    if (w <= 0 || h <= 0)
        return;
    if (emblemImage.getWidth() != w || emblemImage.getHeight() != h)
    {
        emblemImage = juce::Image(juce::Image::ARGB, w, h, true);
        juce::Graphics ig(emblemImage);
        emblem->drawWithin(ig,
                           juce::Rectangle<float>(0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h)),
                           juce::RectanglePlacement::centred, 1.0f);
    }
    g.drawImage(emblemImage, area, juce::RectanglePlacement::stretchToFit);
}

void VezovevaDirADAudioProcessorEditor::paintGroupCaption(juce::Graphics& g, const juce::Rectangle<int>& area,
                                                          const juce::String& text)
{
    if (area.getWidth() <= 0 || area.getHeight() <= 0)
        return;
    const auto font = boldFont(9.5f);
    const int textWidth = static_cast<int>(std::ceil(font.getStringWidthFloat(text)));
    const int x = area.getX();
    const int w = area.getWidth();
    g.setFont(font);
    g.setColour(Palette::textDim.withAlpha(static_cast<juce::uint8>(0xCC)));
    g.drawText(text, x + 6, area.getY(), textWidth + 2, area.getHeight(), juce::Justification::centredLeft,
               true);
    // A thin rule from the caption to the end of the group.
    if (x + 6 + (w - 12) > x + 6 + textWidth + 8)
    {
        g.setColour(juce::Colour(0xFF2D2923));
        g.fillRect(x + 6 + textWidth + 8, area.getY() + area.getHeight() / 2,
                   (x + w - 6) - (x + 6 + textWidth + 8), 1);
    }
}

bool VezovevaDirADAudioProcessorEditor::isMonitoringSpecial() const
{
    const auto& global = processor.globalParameters();
    return global.monSig.get() > 0.5f || global.monCh.get() > 0.5f;
}

void VezovevaDirADAudioProcessorEditor::paintMonitorIcon(juce::Graphics& g)
{
    const auto& a = monitorIconArea;
    if (a.isEmpty())
        return;
    const float cx = static_cast<float>(a.getX()) + static_cast<float>(a.getWidth() - 22) / 2.0f + 11.0f;
    const float cy = static_cast<float>(a.getY()) + static_cast<float>(a.getHeight() - 20) / 2.0f + 10.0f;
    g.setColour(isMonitoringSpecial() ? Palette::orange : Palette::textDim);

    juce::Path band;
    band.addCentredArc(cx, cy, 8.0f, 8.0f, 0.0f, -juce::MathConstants<float>::halfPi,
                       juce::MathConstants<float>::halfPi, true);
    g.strokePath(band, juce::PathStrokeType(2.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));
    g.fillRoundedRectangle(cx - 10.5f, cy - 1.0f, 5.0f, 9.0f, 2.0f);
    g.fillRoundedRectangle(cx + 5.5f, cy - 1.0f, 5.0f, 9.0f, 2.0f);
}

void VezovevaDirADAudioProcessorEditor::setTextIfChanged(juce::Button& button, const juce::String& text)
{
    if (button.getButtonText() != text)
    {
        button.setButtonText(text);
        button.repaint();
    }
}

void VezovevaDirADAudioProcessorEditor::timerCallback()
{
    // The language is one flag for every editor in the process: one switched in another editor shows
    // here at the next tick.
    if (const int english = isEnglish() ? 1 : 0; english != shownEnglish)
        refreshLanguageTexts();

    pitchReadout.repaint();
    detectorBar.repaint();

    processor.readTelemetry(telemetry);
    for (size_t c = 0; c < 2; ++c)
    {
        const float in = telemetry.inputPeak[c];
        const float out = telemetry.outputPeak[c];
        levelMeter.fastIn[c] = std::max(levelMeter.fastIn[c] * 0.82f, in);
        levelMeter.fastOut[c] = std::max(levelMeter.fastOut[c] * 0.82f, out);
        levelMeter.holdIn[c] = std::max(levelMeter.holdIn[c] * 0.985f, in);
        levelMeter.holdOut[c] = std::max(levelMeter.holdOut[c] * 0.985f, out);
        if (out >= 0.9999f)
            levelMeter.clipCounter = kClipHoldTicks;
    }
    if (levelMeter.clipCounter > 0)
        --levelMeter.clipCounter;
    levelMeter.repaint();

    graph.updateFromProcessor(telemetry);
    for (auto& strip : bandStrips)
        strip->refresh();

    const auto& selected = processor.bandParameters(selectedBand);
    const float target = selected.add.isOn() && selected.isDynamic() ? 1.0f : 0.0f;
    if (std::abs(dynPanelOpen - target) > 0.002f)
    {
        dynPanelOpen += (target - dynPanelOpen) * 0.35f;
        if (std::abs(dynPanelOpen - target) < 0.02f)
            dynPanelOpen = target;
        resized();
    }
    if (dynPanelOpen > 0.01f)
        dynPanel.refresh(telemetry);

    const auto& global = processor.globalParameters();
    const int signal = static_cast<int>(global.monSig.get());
    const int channel = static_cast<int>(global.monCh.get());
    outputButton.setToggleState(signal == 0, juce::dontSendNotification);
    deltaButton.setToggleState(signal == 1, juce::dontSendNotification);
    stereoButton.setToggleState(channel == 0, juce::dontSendNotification);
    midButton.setToggleState(channel == 1, juce::dontSendNotification);
    sideButton.setToggleState(channel == 2, juce::dontSendNotification);

    // The header's buttons repaint themselves when they change; of what the editor paints there, only the
    // monitoring icon follows the parameters, so only it is repainted, and only when its colour changes.
    if (const bool lit = isMonitoringSpecial(); lit != monitorIconLit)
    {
        monitorIconLit = lit;
        repaint(monitorIconArea);
    }

    for (int slot = 0; slot < kNumBands; ++slot)
        if (bandStrips[static_cast<size_t>(slot)]->isVisible() != processor.bandParameters(slot).add.isOn())
        {
            resized();
            break;
        }

    const bool slotA = processor.getActiveSlot() == 0;
    slotAButton.setToggleState(slotA, juce::dontSendNotification);
    slotBButton.setToggleState(!slotA, juce::dontSendNotification);
    setTextIfChanged(copySlotButton, slotA ? "A>B" : "B>A");

    setTextIfChanged(presetButton, presetDisplayName(processor.factoryPresets(), processor.getPresetName()) +
                                       juce::String::fromUTF8("  \xe2\x96\xbe"));

    undoButton.setEnabled(processor.undoManager.canUndo());
    redoButton.setEnabled(processor.undoManager.canRedo());

    const bool showGain = autoGainButton.getToggleState() && telemetry.autoGainDb < -0.05f;
    setTextIfChanged(autoGainButton,
                     showGain ? juce::String(telemetry.autoGainDb, 1) + " dB" : juce::String("AUTO"));
}

bool VezovevaDirADAudioProcessorEditor::keyPressed(const juce::KeyPress& key)
{
    const auto modifiers = key.getModifiers();
    if (modifiers.isCommandDown())
    {
        // Only undo and redo are ours with Ctrl: hosts bind Ctrl with + and - (zoom) themselves.
        const int code = key.getKeyCode();
        if (code == 'Z' || code == 'z')
        {
            if (modifiers.isShiftDown())
                processor.undoManager.redo();
            else
                processor.undoManager.undo();
            return true;
        }
        if (code == 'Y' || code == 'y')
        {
            processor.undoManager.redo();
            return true;
        }
        return false;
    }
    const auto character = key.getTextCharacter();
    int direction = 0;
    if (character == '+' || character == '=')
        direction = 1;
    else if (character == '-' || character == '_')
        direction = -1;
    else
        return false;
    // Each key press is its own undo step, even when pressed repeatedly without touching the mouse.
    processor.beginNewUndoStep();
    stepMultiplier(selectedBand, direction);
    processor.beginNewUndoStep();
    return true;
}

void VezovevaDirADAudioProcessorEditor::selectBand(int slot)
{
    const int s = std::clamp(slot, 0, kNumBands - 1);
    selectedBand = s;
    graph.setSelectedBand(s);
    dynPanel.setBand(s);

    auto& strip = *bandStrips[static_cast<size_t>(s)];
    if (strip.isVisible())
        scrollStripsToShow(strip.getBounds());
    for (int k = 0; k < kNumBands; ++k)
        bandStrips[static_cast<size_t>(k)]->setSelected(k == s);
    if (isShowing())
        grabKeyboardFocus();
}

void VezovevaDirADAudioProcessorEditor::scrollStripsToShow(juce::Rectangle<int> cell)
{
    const auto view = stripViewport.getViewPosition();
    const int viewWidth = stripViewport.getViewWidth();
    if (cell.getX() < view.x)
        stripViewport.setViewPosition(cell.getX(), 0);
    else if (cell.getRight() > view.x + viewWidth)
        stripViewport.setViewPosition(cell.getRight() - viewWidth, 0);
}

void VezovevaDirADAudioProcessorEditor::addBandSlot()
{
    for (int slot = 0; slot < kNumBands; ++slot)
    {
        if (processor.bandParameters(slot).add.isOn())
            continue;
        setParameterValue(bandParameterId(slot + 1, BandParam::add), 1.0f);
        setParameterValue(bandParameterId(slot + 1, BandParam::on), 1.0f);
        // Place the new strip now rather than at the next tick, so the view can be scrolled to it: first
        // to the add cell after the last strip, then (if the two do not fit together) back to the new strip.
        layoutStrips();
        if (addSlotButton.isVisible())
            scrollStripsToShow(addSlotButton.getBounds());
        selectBand(slot);
        return;
    }
}

void VezovevaDirADAudioProcessorEditor::removeBandSlot(int slot)
{
    if (slot < 0 || slot >= kNumBands)
        return;
    setParameterValue(bandParameterId(slot + 1, BandParam::add), 0.0f);
    setParameterValue(bandParameterId(slot + 1, BandParam::solo), 0.0f);
    if (slot != selectedBand)
        return;
    for (int other = 0; other < kNumBands; ++other)
        if (other != slot && processor.bandParameters(other).add.isOn())
        {
            selectBand(other);
            return;
        }
}

void VezovevaDirADAudioProcessorEditor::stepMultiplier(int slot, int direction)
{
    if (slot < 0 || slot >= kNumBands)
        return;
    const float current = processor.bandParameters(slot).mult.get();
    setParameterValue(bandParameterId(slot + 1, BandParam::mult), stepMultiplierValue(current, direction));
}

void VezovevaDirADAudioProcessorEditor::showBandMenu(int slot, const juce::PopupMenu::Options& options)
{
    const int s = std::clamp(slot, 0, kNumBands - 1);
    selectBand(s);

    // The open menu owns its look and feel (declared first, so it outlives the menu): the host may close
    // the editor, and with it the editor's look and feel, while the menu is still on screen.
    struct OpenMenu
    {
        juce::SharedResourcePointer<EqLookAndFeel> lookAndFeel;
        BandMenu band;
    };
    auto shown = std::make_shared<OpenMenu>();
    shown->band = buildBandMenu(processor.bandParameters(s));
    shown->band.menu.setLookAndFeel(&shown->lookAndFeel.get());
    shown->band.menu.showMenuAsync(
        options,
        [editor = juce::Component::SafePointer<VezovevaDirADAudioProcessorEditor>(this), s, shown](int result)
        {
            // Dismissed, or the editor is gone: nothing is written.
            if (editor != nullptr && result != 0)
                editor->applyBandMenuChoice(s, shown->band, result);
        });
}

void VezovevaDirADAudioProcessorEditor::applyBandMenuChoice(int slot, const BandMenu& menu, int itemId)
{
    const auto found = menu.actions.find(itemId);
    if (slot < 0 || slot >= kNumBands || found == menu.actions.end())
        return;
    const auto& action = found->second;
    if (action.kind == BandMenuAction::Kind::custom)
    {
        bandStrips[static_cast<size_t>(slot)]->editMultiplier();
        return;
    }

    // Everything one choice writes lands in one undo transaction: flush what came before, write, flush.
    processor.beginNewUndoStep();
    if (action.kind == BandMenuAction::Kind::step)
        stepMultiplier(slot, action.value > 0.0f ? 1 : -1);
    for (const auto& [name, value] : bandMenuWrites(action, processor.bandParameters(slot)))
        setParameterValue(bandParameterId(slot + 1, name), value);
    processor.beginNewUndoStep();
}
