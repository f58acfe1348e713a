// The band menu: its items and ticks for a band's current values, in both languages, what each choice
// writes (one undo step each), and the real popup: dismissing it, or closing the editor while it is open,
// writes nothing.
#include "tests/editor/EditorTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
const juce::String times = juce::String::fromUTF8("\xc3\x97");

struct FoundItem
{
    juce::String path; // submenu names down to the item, joined with " / "
    juce::String text;
    int id = 0;
    bool ticked = false;
};

void collect(const juce::PopupMenu& menu, const juce::String& path, std::vector<FoundItem>& items)
{
    for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
    {
        const auto& item = it.getItem();
        if (item.subMenu != nullptr)
            collect(*item.subMenu, path.isEmpty() ? item.text : path + " / " + item.text, items);
        else if (item.itemID != 0)
            items.push_back({path, item.text, item.itemID, item.isTicked});
    }
}

std::vector<FoundItem> itemsOf(const BandMenu& menu)
{
    std::vector<FoundItem> items;
    collect(menu.menu, {}, items);
    return items;
}

class Menu : public testing::Test
{
protected:
    SettingsSandbox sandbox{"en_GB.UTF-8"};
    EditorFixture f;
    VezovevaDirADAudioProcessorEditor& editor = *f.editor;

    BandMenu menuFor(int slot) { return buildBandMenu(f.processor.bandParameters(slot)); }

    // The ID of the item with this text in this submenu path; fails the test when there is none.
    int idOf(const BandMenu& menu, const juce::String& path, const juce::String& text)
    {
        for (const auto& item : itemsOf(menu))
            if (item.path == path && item.text == text)
                return item.id;
        ADD_FAILURE() << "no item " << path << " / " << text;
        return -1;
    }

    std::vector<float> band(int n)
    {
        std::vector<float> values;
        for (const char* name : {BandParam::add, BandParam::on, BandParam::type, BandParam::slope,
                                 BandParam::chan, BandParam::mult, BandParam::gain, BandParam::q,
                                 BandParam::solo, BandParam::freeze, BandParam::dyn, BandParam::dynmode,
                                 BandParam::thresh, BandParam::ratio, BandParam::attack, BandParam::release})
            values.push_back(f.get(bandParameterId(n, name)));
        return values;
    }

    // Values restored by undo come back through the parameters' normalised range: equal within rounding.
    static void expectSame(const std::vector<float>& actual, const std::vector<float>& expected, int id)
    {
        ASSERT_EQ(actual.size(), expected.size());
        for (size_t k = 0; k < actual.size(); ++k)
            EXPECT_NEAR(actual[k], expected[k], 1e-4f * std::max(1.0f, std::abs(expected[k])))
                << "choice " << id << ", value " << k;
    }

    // Starts from a clean undo history with everything so far flushed into the tree.
    void settle()
    {
        f.processor.beginNewUndoStep();
        f.processor.undoManager.clearUndoHistory();
    }
};
} // namespace

// Every multiplier item close to the band's multiplier is ticked, wherever it is.
TEST_F(Menu, MultiplierTicks)
{
    struct Case
    {
        float multiplier;
        std::vector<juce::String> ticked;
    };
    const std::vector<Case> cases{
        {2.0f, {"Harmonics / H2", "Even only / H2"}},
        {3.0f, {"Harmonics / H3", "Odd only / H3", "Intervals / + 1 octave / P 5th (" + times + "3.00)"}},
        {1.0f, {" / Fundamental (" + times + "1)", "Odd only / H1"}},
        {0.25f, {"Sub-harmonics / " + juce::String::fromUTF8("\xe2\x88\x92") + "2 oct (" + times + "0.25)"}},
        {1.13f, {"Intervals / Maj 2nd (" + times + "1.13)"}},
        {1.128f, {"Intervals / Maj 2nd (" + times + "1.13)"}},
        {2.7f, {}},
    };
    for (const auto& c : cases)
    {
        f.set("b1_mult", c.multiplier);
        std::vector<juce::String> ticked;
        for (const auto& item : itemsOf(menuFor(0)))
            if (item.ticked && item.id >= BandMenuIds::firstMultiplier)
                ticked.push_back(item.path + " / " + item.text);
        EXPECT_EQ(ticked, c.ticked) << c.multiplier;
    }
}

// Interval items store the ratio rounded to two decimals, octave by octave.
TEST_F(Menu, IntervalsStoreTwoDecimals)
{
    struct Case
    {
        const char* path;
        const char* name;
        float stored;
    };
    for (const auto& c :
         {Case{"Intervals", "Maj 2nd", 1.13f}, Case{"Intervals", "Min 2nd", 1.07f},
          Case{"Intervals", "Maj 7th", 1.88f}, Case{"Intervals / + 1 octave", "P 5th", 3.0f},
          Case{"Intervals / + 2 octaves", "Maj 3rd", 5.0f}, Case{"Intervals / + 3 octaves", "Min 2nd", 8.53f},
          Case{"Intervals / + 3 octaves", "Maj 7th", 15.0f}})
    {
        f.set("b1_mult", 1.0f);
        const auto menu = menuFor(0);
        const juce::String text = juce::String(c.name) + " (" + times + juce::String(c.stored, 2) + ")";
        editor.applyBandMenuChoice(0, menu, idOf(menu, c.path, text));
        EXPECT_FLOAT_EQ(f.get("b1_mult"), c.stored) << c.path << " " << c.name;
    }
}

TEST_F(Menu, ItemCountsAndIds)
{
    const auto items = itemsOf(menuFor(0));
    int harmonics = 0, even = 0, odd = 0, intervals = 0;
    for (const auto& item : items)
    {
        harmonics += item.path == "Harmonics" ? 1 : 0;
        even += item.path == "Even only" ? 1 : 0;
        odd += item.path == "Odd only" ? 1 : 0;
        intervals += item.path.startsWith("Intervals") ? 1 : 0;
    }
    EXPECT_EQ(harmonics, 20);
    EXPECT_EQ(even, 32);
    EXPECT_EQ(odd, 17);
    EXPECT_EQ(intervals, 44);
    // Multiplier IDs count up from 1000 in the order the items are added.
    std::vector<int> ids;
    for (const auto& item : items)
        if (item.id >= BandMenuIds::firstMultiplier)
            ids.push_back(item.id);
    ASSERT_EQ(ids.size(), 2u + 1u + 20u + 32u + 17u + 44u);
    for (size_t k = 0; k < ids.size(); ++k)
        EXPECT_EQ(ids[k], BandMenuIds::firstMultiplier + static_cast<int>(k));
}

// 96 dB/oct is offered only to the pass filters; a slope the menu does not offer is not ticked.
TEST_F(Menu, SlopeItems)
{
    struct Case
    {
        int type, slope;
        bool brickwall;
        int tickedId; // 0: none
    };
    for (const auto& c :
         {Case{0, 1, false, 21}, Case{1, 0, false, 20}, Case{2, 4, false, 24}, Case{3, 2, false, 22},
          Case{4, 5, true, 25}, Case{5, 3, true, 23}, Case{6, 1, false, 21}, Case{7, 1, false, 21},
          Case{8, 1, false, 21}, Case{9, 1, false, 21}, Case{0, 5, false, 0}})
    {
        f.set("b1_type", static_cast<float>(c.type));
        f.set("b1_slope", static_cast<float>(c.slope));
        bool brickwall = false;
        int ticked = 0;
        for (const auto& item : itemsOf(menuFor(0)))
            if (item.path == "Slope")
            {
                brickwall = brickwall || item.id == 25;
                if (item.ticked)
                    ticked = item.id;
            }
        EXPECT_EQ(brickwall, c.brickwall) << "type " << c.type;
        EXPECT_EQ(ticked, c.tickedId) << "type " << c.type << " slope " << c.slope;
    }
}

// Type, channel and switch items are ticked from the band's values.
TEST_F(Menu, TypeChannelAndSwitchTicks)
{
    f.set("b1_type", 9.0f);
    f.set("b1_chan", 2.0f);
    f.set("b1_on", 1.0f);
    f.set("b1_dyn", 0.0f);
    f.set("b1_solo", 1.0f);
    f.set("b1_freeze", 0.0f);
    std::vector<int> ticked;
    for (const auto& item : itemsOf(menuFor(0)))
        if (item.ticked && item.id < BandMenuIds::firstMultiplier)
            ticked.push_back(item.id);
    EXPECT_EQ(ticked, (std::vector<int>{19, 21, 42, 35, 30}));
}

// What the type items write besides the type.
TEST_F(Menu, TypeChoices)
{
    struct Case
    {
        int id;
        float gainBefore;
        float gain, thresh, attack, release, dynmode, q;
    };
    // q stays at 3 unless the type sets it; the dynamic settings stay at their defaults for ordinary types.
    const float keep = -1000.0f;
    for (const auto& c : {Case{16, 3.0f, 3.0f, -36.0f, 1.0f, 60.0f, 0.0f, 3.0f},
                          Case{16, 0.0f, 4.0f, -36.0f, 1.0f, 60.0f, 0.0f, 3.0f},
                          Case{16, 0.4f, 4.0f, -36.0f, 1.0f, 60.0f, 0.0f, 3.0f},
                          Case{17, 0.0f, -6.0f, -12.0f, 1.0f, 70.0f, 0.0f, 3.0f},
                          Case{17, -2.0f, -2.0f, -12.0f, 1.0f, 70.0f, 0.0f, 3.0f},
                          Case{18, 0.0f, 4.0f, -45.0f, 30.0f, 300.0f, 1.0f, 3.0f},
                          Case{19, 0.0f, 4.0f, -36.0f, 1.0f, 100.0f, 1.0f, 3.0f},
                          Case{11, 0.0f, 0.0f, keep, keep, keep, keep, 0.7f},
                          Case{12, 2.0f, 2.0f, keep, keep, keep, keep, 0.7f},
                          Case{14, 0.0f, 0.0f, keep, keep, keep, keep, 0.7f},
                          Case{15, 0.0f, 0.0f, keep, keep, keep, keep, 0.7f},
                          Case{13, 0.0f, 0.0f, keep, keep, keep, keep, 3.0f},
                          Case{10, 5.0f, 5.0f, keep, keep, keep, keep, 3.0f}})
    {
        f.set("b1_type", 0.0f);
        f.set("b1_dyn", 0.0f);
        f.set("b1_gain", c.gainBefore);
        f.set("b1_q", 3.0f);
        f.set("b1_thresh", -20.0f);
        f.set("b1_attack", 10.0f);
        f.set("b1_release", 150.0f);
        f.set("b1_dynmode", 0.0f);
        if (c.id == 10)
            f.set("b1_type", 3.0f);
        editor.applyBandMenuChoice(0, menuFor(0), c.id);
        const bool dynamic = c.id >= 16;
        EXPECT_EQ(f.get("b1_type"), static_cast<float>(c.id - 10)) << c.id;
        EXPECT_EQ(f.get("b1_dyn"), dynamic ? 1.0f : 0.0f) << c.id;
        EXPECT_NEAR(f.get("b1_gain"), c.gain, 1e-4f) << c.id << " from " << c.gainBefore;
        EXPECT_NEAR(f.get("b1_q"), c.q, 1e-3f) << c.id;
        EXPECT_NEAR(f.get("b1_thresh"), c.thresh == keep ? -20.0f : c.thresh, 1e-3f) << c.id;
        EXPECT_NEAR(f.get("b1_attack"), c.attack == keep ? 10.0f : c.attack, 1e-3f) << c.id;
        EXPECT_NEAR(f.get("b1_release"), c.release == keep ? 150.0f : c.release, 1e-2f) << c.id;
        EXPECT_EQ(f.get("b1_dynmode"), c.dynmode == keep ? 0.0f : c.dynmode) << c.id;
    }
}

// The menu never clears dynamics: Notch after Sibilance is a dynamic notch.
TEST_F(Menu, NotchAfterSibilanceKeepsDynamics)
{
    editor.applyBandMenuChoice(0, menuFor(0), 17);
    EXPECT_EQ(f.get("b1_dyn"), 1.0f);
    editor.applyBandMenuChoice(0, menuFor(0), 13);
    EXPECT_EQ(f.get("b1_type"), 3.0f);
    EXPECT_EQ(f.get("b1_dyn"), 1.0f);
}

TEST_F(Menu, SlopeChannelSwitchesAndSteps)
{
    struct Case
    {
        int id;
        const char* parameter;
        float before, after;
    };
    for (const auto& c :
         {Case{20, "b1_slope", 1.0f, 0.0f}, Case{24, "b1_slope", 1.0f, 4.0f}, Case{41, "b1_chan", 0.0f, 1.0f},
          Case{42, "b1_chan", 0.0f, 2.0f}, Case{40, "b1_chan", 2.0f, 0.0f}, Case{30, "b1_solo", 0.0f, 1.0f},
          Case{30, "b1_solo", 1.0f, 0.0f}, Case{31, "b1_freeze", 0.0f, 1.0f}, Case{35, "b1_on", 1.0f, 0.0f},
          Case{36, "b1_dyn", 0.0f, 1.0f}, Case{36, "b1_dyn", 1.0f, 0.0f}, Case{33, "b1_mult", 3.4f, 4.0f},
          Case{34, "b1_mult", 3.4f, 3.0f}, Case{33, "b1_mult", 1.5f, 1.6f}, Case{999, "b1_mult", 2.0f, 2.0f},
          Case{0, "b1_mult", 2.0f, 2.0f}})
    {
        f.set(c.parameter, c.before);
        editor.applyBandMenuChoice(0, menuFor(0), c.id);
        EXPECT_NEAR(f.get(c.parameter), c.after, 1e-4f) << c.id << " " << c.parameter;
    }
    // A slot from outside 0..15 is ignored.
    f.set("b1_solo", 0.0f);
    editor.applyBandMenuChoice(-1, menuFor(0), 30);
    editor.applyBandMenuChoice(16, menuFor(0), 30);
    EXPECT_EQ(f.get("b1_solo"), 0.0f);
}

// Custom opens the strip's multiplier entry, as a double-click does, and writes nothing yet.
TEST_F(Menu, CustomOpensTheMultiplierEntry)
{
    settle();
    auto& label = editor.widgets().strips[0]->widgets().multiplier;
    editor.applyBandMenuChoice(0, menuFor(0), BandMenuIds::customMultiplier);
    EXPECT_TRUE(label.isBeingEdited());
    label.hideEditor(true);
    EXPECT_FALSE(f.processor.undoManager.canUndo());
}

// Every choice is exactly one undo step, however many parameters it writes.
TEST_F(Menu, EachChoiceIsOneUndoStep)
{
    f.set("b1_mult", 2.0f);
    for (int id : {16, 19, 11, 13, 25, 22, 41, 30, 31, 35, 36, 33, 34, 1005})
    {
        if (id == 25)
            f.set("b1_type", 4.0f);
        settle();
        const auto before = band(1);
        editor.applyBandMenuChoice(0, menuFor(0), id);
        const auto after = band(1);
        ASSERT_NE(before, after) << id;
        auto& undo = f.processor.undoManager;
        ASSERT_TRUE(undo.canUndo()) << id;
        undo.undo();
        expectSame(band(1), before, id);
        EXPECT_FALSE(undo.canUndo()) << "more than one step: " << id;
        undo.redo();
        expectSame(band(1), after, id);
    }
}

// Every text in the interface's language (a few product words such as "Bell" and "Solo" are shared).
TEST_F(Menu, Languages)
{
    struct Case
    {
        bool english;
        std::vector<const char*> paths;
        const char* next;
        std::vector<std::pair<const char*, int>> switches;
        const char* octave;
        std::vector<const char*> slopes;
    };
    for (const auto& c : {Case{true,
                               {"Sub-harmonics", "Harmonics", "Even only", "Odd only", "Intervals", "Type",
                                "Slope", "Channel  (ST / MID / SIDE)"},
                               "Next harmonic  (+)",
                               {{"Enabled", BandMenuIds::enabled},
                                {"Dynamics", BandMenuIds::dynamics},
                                {"Solo", BandMenuIds::solo},
                                {"Lock (hold frequency)", BandMenuIds::freeze}},
                               "Intervals / + 1 octave",
                               {"6 dB/oct  (Gentle)", "12 dB/oct  (Standard)", "18 dB/oct  (Sharp)",
                                "24 dB/oct  (Steep)", "48 dB/oct  (Steepest)"}},
                          Case{false,
                               {"Subarmónicos", "Armónicos", "Solo pares", "Solo impares", "Intervalos",
                                "Tipo", "Pendiente", "Canal  (ST / MID / SIDE)", "Intervalos / + 2 octavas"},
                               "Armónico siguiente  (+)",
                               {{"Activada", BandMenuIds::enabled},
                                {"Dinámica", BandMenuIds::dynamics},
                                {"Solo", BandMenuIds::solo},
                                {"Candado (fijar frecuencia)", BandMenuIds::freeze}},
                               "Intervalos / + 1 octava",
                               {"6 dB/oct  (Suave)", "12 dB/oct  (Estándar)", "18 dB/oct  (Marcada)",
                                "24 dB/oct  (Pronunciada)", "48 dB/oct  (Máxima)"}}})
    {
        useLanguage(c.english);
        const auto menu = menuFor(0);
        for (const char* path : c.paths)
        {
            bool found = false;
            for (const auto& item : itemsOf(menu))
                found = found || item.path == juce::String::fromUTF8(path);
            EXPECT_TRUE(found) << path;
        }
        EXPECT_EQ(idOf(menu, "", juce::String::fromUTF8(c.next)), BandMenuIds::nextHarmonic);
        for (const auto& [text, id] : c.switches)
            EXPECT_EQ(idOf(menu, "", juce::String::fromUTF8(text)), id) << text;
        for (size_t s = 0; s < c.slopes.size(); ++s)
            EXPECT_EQ(idOf(menu, c.english ? "Slope" : "Pendiente", juce::String::fromUTF8(c.slopes[s])),
                      20 + static_cast<int>(s))
                << c.slopes[s];
        EXPECT_GT(idOf(menu, juce::String::fromUTF8(c.octave),
                       "P 5th (" + juce::String::fromUTF8("\xc3\x97") + "3.00)"),
                  0);
        const juce::String types = c.english ? "Type" : "Tipo";
        EXPECT_EQ(idOf(menu, types, "Bell  (B)"), 10);
        EXPECT_EQ(
            idOf(menu, types,
                 c.english ? "Transient  (TR) - attacks only" : "Transient  (TR) - solo en los ataques"),
            16);
    }
}

namespace
{

// The popup menu window on the desktop, if one is open.
juce::Component* openMenuWindow()
{
    auto& desktop = juce::Desktop::getInstance();
    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* c = desktop.getComponent(i); c != nullptr && c->getName() == "menu" && c->isVisible())
            return c;
    return nullptr;
}

void pressInMenu(int keyCode)
{
    if (auto* menu = openMenuWindow())
        menu->keyPressed(juce::KeyPress(keyCode));
}

// Down twice highlights "Fundamental (x1)", the second item.
void highlightFundamental()
{
    pressInMenu(juce::KeyPress::downKey);
    pressInMenu(juce::KeyPress::downKey);
}

void pump(int ms)
{
    pumpMessagesUntil([] { return false; }, ms);
}
} // namespace

// The real popup: a choice is written as one step; Escape writes nothing.
TEST(BandMenuPopup, ChoosingAndDismissing)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    HostWindow window(*f.editor);
    f.set("b1_mult", 3.0f);
    f.set("b2_add", 1.0f);
    f.processor.beginNewUndoStep();
    f.processor.undoManager.clearUndoHistory();

    f.editor->showBandMenu(1, juce::PopupMenu::Options().withTargetScreenArea({100, 100, 1, 1}));
    EXPECT_EQ(f.editor->getSelectedBand(), 1) << "the menu's band is selected first";
    ASSERT_TRUE(pumpMessagesUntil([] { return openMenuWindow() != nullptr; }, 1000));
    pressInMenu(juce::KeyPress::escapeKey);
    ASSERT_TRUE(pumpMessagesUntil([] { return openMenuWindow() == nullptr; }, 1000));
    pump(50);
    EXPECT_FLOAT_EQ(f.get("b2_mult"), 2.0f);
    EXPECT_FALSE(f.processor.undoManager.canUndo());

    f.editor->showBandMenu(1, juce::PopupMenu::Options().withTargetScreenArea({100, 100, 1, 1}));
    ASSERT_TRUE(pumpMessagesUntil([] { return openMenuWindow() != nullptr; }, 1000));
    highlightFundamental();
    pressInMenu(juce::KeyPress::returnKey);
    ASSERT_TRUE(pumpMessagesUntil([&] { return f.get("b2_mult") == 1.0f; }, 1000));
    EXPECT_FLOAT_EQ(f.get("b1_mult"), 3.0f);
    ASSERT_TRUE(f.processor.undoManager.canUndo());
    f.processor.undoManager.undo();
    EXPECT_FLOAT_EQ(f.get("b2_mult"), 2.0f);
    EXPECT_FALSE(f.processor.undoManager.canUndo());
}

// The host closes the editor while the menu is open: whatever happens to the menu then writes nothing.
TEST(BandMenuPopup, ClosingTheEditorWhileOpenWritesNothing)
{
    SettingsSandbox sandbox;
    for (const bool anchoredToStrip : {false, true})
    {
        EditorFixture f;
        auto window = std::make_unique<HostWindow>(*f.editor);
        f.set("b1_mult", 3.0f);
        if (anchoredToStrip)
            clickCentre(f.editor->widgets().strips[0]->widgets().type);
        else
            f.editor->showBandMenu(0, juce::PopupMenu::Options().withTargetScreenArea({100, 100, 1, 1}));
        ASSERT_TRUE(pumpMessagesUntil([] { return openMenuWindow() != nullptr; }, 1000)) << anchoredToStrip;
        highlightFundamental();

        window.reset();
        f.editor.reset();
        pressInMenu(juce::KeyPress::returnKey);
        pump(100);
        juce::PopupMenu::dismissAllActiveMenus();
        pump(50);
        EXPECT_FLOAT_EQ(f.get("b1_mult"), 3.0f) << anchoredToStrip;
    }
}

// Mouse presses on a strip: its background selects it, ON switches the band, x removes it.
TEST(BandMenuPopup, StripClicks)
{
    SettingsSandbox sandbox;
    EditorFixture f;
    for (int n : {2, 3})
        f.set(bandParameterId(n, BandParam::add), 1.0f);
    HostWindow window(*f.editor);
    f.editor->timerTick();
    auto& strip = *f.editor->widgets().strips[2];
    ASSERT_TRUE(strip.isShowing());

    clickThroughPeer(strip, {strip.getWidth() / 2, 3});
    EXPECT_EQ(f.editor->getSelectedBand(), 2);
    EXPECT_TRUE(strip.isSelected());

    clickCentre(strip.widgets().on);
    EXPECT_EQ(f.get("b3_on"), 0.0f);
    clickCentre(strip.widgets().solo);
    EXPECT_EQ(f.get("b3_solo"), 1.0f);

    clickCentre(strip.widgets().remove);
    EXPECT_EQ(f.get("b3_add"), 0.0f);
    EXPECT_EQ(f.get("b3_solo"), 0.0f);
    EXPECT_EQ(f.editor->getSelectedBand(), 0) << "the lowest other added slot";
}
