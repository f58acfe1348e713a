// The editor window: header, control row, graph with meter, strip row and the sliding dynamics panel. One
// 33 ms timer pulls what the engine publishes into the widgets; every user action writes parameters
// through change gestures, and every mouse press starts a new undo step.
#pragma once

#include "editor/EditorLayout.h"
#include "editor/GraphComponent.h"
#include "editor/PresetMenu.h"
#include "editor/controls/BandMenu.h"
#include "editor/controls/BandStrip.h"
#include "editor/controls/DetectorBar.h"
#include "editor/controls/DynPanel.h"
#include "editor/controls/EqLookAndFeel.h"
#include "editor/controls/HeaderButtons.h"
#include "editor/controls/Localisation.h"
#include "editor/controls/MeterComponent.h"
#include "editor/controls/Palette.h"
#include "editor/controls/PitchReadout.h"
#include "editor/controls/StripButtons.h"
#include "engine/PluginProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <functional>
#include <memory>

class VezovevaDirADAudioProcessorEditor : public juce::AudioProcessorEditor, private juce::Timer
{
public:
    explicit VezovevaDirADAudioProcessorEditor(VezovevaDirADAudioProcessor& processor);
    ~VezovevaDirADAudioProcessorEditor() override;

    void mouseDown(const juce::MouseEvent& event) override;
    void mouseUp(const juce::MouseEvent& event) override;
    void paint(juce::Graphics& g) override;
    bool keyPressed(const juce::KeyPress& key) override;
    void resized() override;

    // Band slots and selection.
    void selectBand(int slot);
    void addBandSlot();
    void removeBandSlot(int slot);
    void stepMultiplier(int slot, int direction);
    int getSelectedBand() const noexcept { return selectedBand; }

    // The band menu: selects the slot, then shows its menu without blocking; a choice is one undo step.
    void showBandMenu(int slot, const juce::PopupMenu::Options& options);
    // What the menu does with a chosen item ID (public so tests can choose without a popup on screen).
    void applyBandMenuChoice(int slot, const BandMenu& menu, int itemId);

    void setTooltipsEnabled(bool on);
    void refreshLanguageTexts();

    // The preset menu: shown asynchronously under the preset button; its result runs the item's action
    // from the table captured when the menu was built (so a folder changed meanwhile does not matter).
    void showPresetMenu();
    PresetMenuContents makePresetMenu() const;
    void handlePresetMenuResult(int id, const std::map<int, PresetMenuAction>& actions);

    // Saving: `SaveDialog` asks for a file starting from `initialFile` and calls back with the choice (an
    // empty file when cancelled), possibly after returning. The default shows the system's save dialog.
    using SaveDialog =
        std::function<void(const juce::File& initialFile, std::function<void(const juce::File&)> onChosen)>;
    void setSaveDialog(SaveDialog dialog) { saveDialog = std::move(dialog); }
    // What opens a folder in the system's file browser (replaced in tests, which must not launch one).
    void setFolderOpener(std::function<void(const juce::File&)> opener) { folderOpener = std::move(opener); }
    // Writes the preset to the dialog's choice, adding the extension; false (and nothing changed) when the
    // choice is empty or the file cannot be written.
    bool savePresetAs(const juce::File& chosen);

    // The About window, replaced each time it is opened; it lives until replaced or until the editor goes.
    void showAboutWindow();
    juce::AlertWindow* getAboutWindow() const noexcept { return aboutWindow.get(); }

    // One tick of the 33 ms timer (public so tests and benchmarks can drive it without waiting).
    void timerTick() { timerCallback(); }

    // Writes a plain value inside one change gesture; an unknown ID does nothing.
    void setParameterValue(const juce::String& id, float plainValue);

    // What tests and tools look at.
    struct Widgets;
    Widgets widgets();
    const EditorLayout& currentLayout() const noexcept { return layout; }
    float getDynPanelOpen() const noexcept { return dynPanelOpen; }
    bool hasTooltipWindow() const noexcept { return tooltipWindow != nullptr; }
    bool hasEmblem() const noexcept { return emblem != nullptr; }

private:
    struct GlobalKnob
    {
        juce::Slider slider;
        juce::Label caption;
        std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment> attachment;
    };

    void timerCallback() override;
    void buildGlobalKnob(GlobalKnob& knob, const juce::String& caption, const juce::String& parameterId);
    void layoutStrips();
    // Scrolls the strip row the least that shows the cell (a strip's or the add cell's bounds) whole.
    void scrollStripsToShow(juce::Rectangle<int> cell);
    void paintGroupCaption(juce::Graphics& g, const juce::Rectangle<int>& area, const juce::String& text);
    void paintMonitorIcon(juce::Graphics& g);
    bool isMonitoringSpecial() const;
    void paintEmblem(juce::Graphics& g);
    static void setTextIfChanged(juce::Button& button, const juce::String& text);
    void startPresetSave();
    void openPresetFolder();
    void launchSystemSaveDialog(const juce::File& initialFile,
                                std::function<void(const juce::File&)> onChosen);

    VezovevaDirADAudioProcessor& processor;

    juce::TextButton undoButton{juce::String::fromUTF8("\xe2\x86\xb6")};
    juce::TextButton redoButton{juce::String::fromUTF8("\xe2\x86\xb7")};
    juce::TextButton presetButton;
    juce::TextButton aboutButton{"i"};
    TitleButton titleButton;
    std::unique_ptr<juce::AlertWindow> aboutWindow;
    std::unique_ptr<juce::FileChooser> presetChooser; // kept alive while its asynchronous dialog is open
    SaveDialog saveDialog;
    std::function<void(const juce::File&)> folderOpener;
    juce::Rectangle<int> titleArea;
    std::unique_ptr<juce::Drawable> emblem;
    EqLookAndFeel lookAndFeel;
    PitchReadout pitchReadout;
    DetectorBar detectorBar;
    MeterComponent levelMeter;
    GraphComponent graph;
    DynPanel dynPanel;
    juce::TextButton outputButton, deltaButton{"DELTA"}, stereoButton{"ST"}, midButton{"MID"},
        sideButton{"SIDE"};
    juce::Rectangle<int> headerArea, monitorIconArea;
    bool monitorIconLit = false; // the colour the icon was last painted or asked to repaint in
    juce::Rectangle<int> detectorGroupArea, pitchGroupArea, outputGroupArea;
    std::unique_ptr<LangTooltipWindow> tooltipWindow;
    juce::TextButton languageButton;
    BulbButton bulbButton;
    AddSlotButton addSlotButton;
    juce::Viewport stripViewport;
    juce::Component stripContainer;
    juce::Component dynContainer;
    float dynPanelOpen = 0.0f;
    std::array<std::unique_ptr<BandStrip>, kNumBands> bandStrips;
    std::array<GlobalKnob, EditorLayout::knobCount> globalKnobs;
    juce::TextButton bypassButton{"BYPASS"}, scPitchButton{"SC PITCH"}, autoBypassButton{"AUTO BYP"},
        autoGainButton{"AUTO"}, clipButton{"CLIP"}, freeMoveButton{"FREE MOVE"}, lookaheadButton{"LOOKAHEAD"};
    juce::TextButton slotAButton{"A"}, slotBButton{"B"}, copySlotButton{"A>B"};
    PadlockButton padlockButton{Palette::gold};
    std::array<std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment>, 8> buttonAttachments;
    int selectedBand = 0;
    int shownEnglish = -1; // the language the texts were last written in: 1 English, 0 Spanish

    EditorLayout layout;
    TelemetrySnapshot telemetry;
    juce::Image emblemImage; // the emblem rendered once per size: its paths are costly to fill every paint

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(VezovevaDirADAudioProcessorEditor)
};

// The editor's widgets by name, for tests and the snapshot tool.
struct VezovevaDirADAudioProcessorEditor::Widgets
{
    juce::TextButton &undo, &redo, &preset, &about, &language, &output, &delta, &stereo, &mid, &side, &bypass,
        &scPitch, &autoBypass, &autoGain, &clip, &freeMove, &lookahead, &slotA, &slotB, &copySlot;
    TitleButton& title;
    BulbButton& bulb;
    PadlockButton& padlock;
    AddSlotButton& addSlot;
    PitchReadout& pitchReadout;
    DetectorBar& detectorBar;
    MeterComponent& levelMeter;
    GraphComponent& graph;
    DynPanel& dynPanel;
    juce::Component& dynContainer;
    juce::Viewport& stripViewport;
    juce::Component& stripContainer;
    std::array<std::unique_ptr<BandStrip>, kNumBands>& strips;
    std::array<juce::Slider*, EditorLayout::knobCount> knobs;
    std::array<juce::Label*, EditorLayout::knobCount> knobCaptions;
};
