// The look of the framework's own widgets inside the real editor, checked by pixels and through the tooltip
// window: knob value boxes are raised pills with the knob's current tooltip, and every popup menu the editor
// opens uses the editor's colours.
#include "editor/controls/Palette.h"
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

juce::Label* valueBoxOf(juce::Slider& knob)
{
    for (auto* child : knob.getChildren())
        if (auto* label = dynamic_cast<juce::Label*>(child))
            return label;
    return nullptr;
}

// Every knob of the editor that is showing: the global row, the strips shown and the dynamics panel.
std::vector<juce::Slider*> showingKnobs(VezovevaDirADAudioProcessorEditor& editor)
{
    auto w = editor.widgets();
    std::vector<juce::Slider*> knobs(w.knobs.begin(), w.knobs.end());
    for (auto& strip : w.strips)
        if (strip->isShowing())
        {
            knobs.push_back(&strip->widgets().gain);
            knobs.push_back(&strip->widgets().q);
        }
    auto& panel = w.dynPanel;
    for (auto* knob : {&panel.threshKnob, &panel.ratioKnob, &panel.attackKnob, &panel.releaseKnob,
                       &panel.kneeKnob, &panel.rangeKnob, &panel.scFreqKnob, &panel.scQKnob})
        if (knob->isShowing())
            knobs.push_back(knob);
    return knobs;
}

// The popup menu window on the desktop, if one is open.
juce::Component* openMenuWindow()
{
    auto& desktop = juce::Desktop::getInstance();
    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* c = desktop.getComponent(i); c != nullptr && c->getName() == "menu" && c->isVisible())
            return c;
    return nullptr;
}
} // namespace

// Under band 1's open dynamics panel, every knob's value box shows a raised pill around cream text: a point
// just inside the pill's left end, where no glyph reaches, is Palette::raised in the editor's own picture.
TEST(EditorLook, EveryKnobValueBoxIsARaisedPill)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    f.set("b1_dyn", 1.0f);
    f.set("b2_add", 1.0f);
    HostWindow window(*f.editor);
    f.editor->selectBand(0);
    for (int i = 0; i < 30; ++i)
        f.editor->timerTick();
    ASSERT_TRUE(f.editor->widgets().dynPanel.isShowing());

    const auto knobs = showingKnobs(*f.editor);
    ASSERT_EQ(knobs.size(), 8u + 2u * 2u + 8u);
    const auto picture = f.editor->createComponentSnapshot(f.editor->getLocalBounds(), true, 1.0f);
    for (auto* knob : knobs)
    {
        auto* box = valueBoxOf(*knob);
        ASSERT_NE(box, nullptr);
        const auto area = f.editor->getLocalArea(box, box->getLocalBounds());
        const auto inPill = juce::Point<int>(area.getX() + 5, area.getCentreY());
        EXPECT_EQ(picture.getPixelAt(inPill.x, inPill.y), Palette::raised)
            << knob->getParentComponent()->getName() << " " << box->getText() << " at " << inPill.toString();
        EXPECT_EQ(box->findColour(juce::Label::textColourId), Palette::text) << box->getText();
        EXPECT_FLOAT_EQ(box->getFont().getHeight(), 11.5f) << box->getText();
    }
}

// The preset menu and the band menu come up in the editor's colours: a panel-coloured background.
TEST(EditorLook, PopupMenusUseTheEditorsColours)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    HostWindow window(*f.editor);
    auto w = f.editor->widgets();
    const std::vector<std::pair<const char*, juce::Component*>> openers{
        {"preset button", &w.preset}, {"band type button", &w.strips[0]->widgets().type}};
    for (const auto& [name, opener] : openers)
    {
        clickCentre(*opener);
        ASSERT_TRUE(pumpMessagesUntil([] { return openMenuWindow() != nullptr; }, 2000)) << name;
        auto* menu = openMenuWindow();
        EXPECT_NE(dynamic_cast<EqLookAndFeel*>(&menu->getLookAndFeel()), nullptr) << name;
        const auto picture = menu->createComponentSnapshot(menu->getLocalBounds(), true, 1.0f);
        // The left margin, beside the items' tick column, half-way down.
        EXPECT_EQ(picture.getPixelAt(3, picture.getHeight() / 2), Palette::panel) << name;
        juce::PopupMenu::dismissAllActiveMenus();
        pumpMessagesUntil([] { return openMenuWindow() == nullptr; }, 2000);
    }
}

// A value box shows its knob's tooltip as it is now: the global knobs' boxes explain their knob, and the
// threshold box follows the band type's new explanation.
TEST(EditorLook, ValueBoxesShowTheirKnobsCurrentTooltip)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    HostWindow window(*f.editor);
    window.toFront(true);
    pumpMessagesUntil([] { return juce::Process::isForegroundProcess(); }, 500);
    if (!juce::Process::isForegroundProcess())
        GTEST_SKIP() << "the virtual display gave the window no focus";
    useLanguage(true);
    LangTooltipWindow tips(f.editor.get(), 600);
    auto w = f.editor->widgets();

    EXPECT_EQ(tips.getTipFor(*valueBoxOf(*w.knobs[0])),
              "Detector confidence threshold. Low = strict, high = permissive");

    f.set("b1_type", static_cast<float>(vivera::dsp::kBandSibilance));
    f.editor->selectBand(0);
    for (int i = 0; i < 30; ++i)
        f.editor->timerTick();
    EXPECT_EQ(tips.getTipFor(*valueBoxOf(w.dynPanel.threshKnob)),
              "Relative threshold (dB relative to the whole signal): the closer to 0, the stronger the band "
              "must be to count as sibilant");
}
