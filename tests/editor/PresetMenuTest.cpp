// The preset menu: its items in both languages, the user preset list, what each item ID does, and saving
// through the menu's own code path into a sandboxed documents folder.
#include "tests/editor/EditorTestSupport.h"

#include "editor/PresetMenu.h"
#include "support/ParameterFixtures.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// The sandbox plus a documents folder named through ~/.config/user-dirs.dirs, which is where the framework
// looks for it on Linux, so the preset folder is inside the temporary home on every platform we test on.
struct PresetSandbox : SettingsSandbox
{
    explicit PresetSandbox(const char* lang = "en_GB.UTF-8") : SettingsSandbox(lang)
    {
        documents = home.getChildFile("My Documents");
        documents.createDirectory();
        home.getChildFile(".config").createDirectory();
        home.getChildFile(".config/user-dirs.dirs")
            .replaceWithText("XDG_DOCUMENTS_DIR=\"$HOME/My Documents\"\n");
    }

    juce::File presets() const { return VezovevaDirADAudioProcessor::presetFolder(); }

    juce::File writePreset(const juce::String& fileName, const juce::String& content = {}) const
    {
        presets().createDirectory();
        const auto file = presets().getChildFile(fileName);
        file.replaceWithText(content.isNotEmpty()
                                 ? content
                                 : juce::String("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                                "<STATE><PARAM id=\"b1_gain\" value=\"2\"/></STATE>\r\n"));
        return file;
    }

    juce::File documents;
};

struct ShownItem
{
    int id;
    juce::String text;
    bool enabled, ticked, header, separator, hasSubMenu;
};

std::vector<ShownItem> itemsOf(const juce::PopupMenu& menu)
{
    std::vector<ShownItem> items;
    for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
    {
        const auto& item = it.getItem();
        items.push_back({item.itemID, item.text, item.isEnabled, item.isTicked, item.isSectionHeader,
                         item.isSeparator, item.subMenu != nullptr});
    }
    return items;
}

const juce::PopupMenu* subMenuOf(const juce::PopupMenu& menu)
{
    for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
        if (it.getItem().subMenu != nullptr)
            return it.getItem().subMenu.get();
    return nullptr;
}

std::vector<FactoryPreset> twoFactoryPresets()
{
    return {{juce::String::fromUTF8("Cálido"), "Warm", {{"b1_gain", 2.0f}}},
            {"Brillante", "Bright", {{"b2_add", 1.0f}}}};
}

// A save dialog that records what it was asked and answers later, as the real one does.
struct RecordingDialog
{
    int launches = 0;
    juce::File initialFile;
    std::function<void(const juce::File&)> answer;

    VezovevaDirADAudioProcessorEditor::SaveDialog asDialog()
    {
        return [this](const juce::File& initial, std::function<void(const juce::File&)> onChosen)
        {
            ++launches;
            initialFile = initial;
            answer = std::move(onChosen);
        };
    }
};

// The editor with a recording dialog and a folder opener that only counts.
struct MenuFixture
{
    MenuFixture()
    {
        f.editor->setSaveDialog(dialog.asDialog());
        f.editor->setFolderOpener([this](const juce::File& folder) { opened.push_back(folder); });
    }

    void choose(int id) { f.editor->handlePresetMenuResult(id, f.editor->makePresetMenu().actions); }

    int idOfUserPreset(const juce::String& name)
    {
        for (const auto& [id, action] : f.editor->makePresetMenu().actions)
            if (action.kind == PresetMenuAction::Kind::user && userPresetMenuText(action.file) == name)
                return id;
        return -1;
    }

    EditorFixture f;
    RecordingDialog dialog;
    std::vector<juce::File> opened;
};
} // namespace

TEST(PresetMenu, ItemsInOrderInBothLanguages)
{
    struct Case
    {
        const char* lang;
        std::vector<juce::String> texts;
        std::vector<juce::String> factory;
    };
    const Case cases[] = {
        {"en_GB.UTF-8",
         {"Init (default settings)", "Factory", "", "My presets", "A", "b", "", "Save preset...",
          "Open the presets folder"},
         {"Warm", "Bright"}},
        {"es_ES.UTF-8",
         {"Init (valores por defecto)", juce::String::fromUTF8("De fábrica"), "", "Mis presets", "A", "b", "",
          "Guardar preset...", "Abrir la carpeta de presets"},
         {juce::String::fromUTF8("Cálido"), "Brillante"}},
    };
    for (const auto& c : cases)
    {
        PresetSandbox sandbox(c.lang);
        const juce::Array<juce::File> files{sandbox.home.getChildFile("A.opreset"),
                                            sandbox.home.getChildFile("b.opreset")};
        const auto contents = buildPresetMenu(twoFactoryPresets(), files, "b");
        const auto items = itemsOf(contents.menu);
        ASSERT_EQ(items.size(), c.texts.size()) << c.lang;
        for (size_t i = 0; i < items.size(); ++i)
            EXPECT_EQ(items[i].text, c.texts[i]) << c.lang << " item " << i;

        const std::vector<int> ids{1, 0, 0, 0, 1000, 1001, 0, 3, 4};
        for (size_t i = 0; i < items.size(); ++i)
            EXPECT_EQ(items[i].id, ids[i]) << c.lang << " item " << i;
        EXPECT_TRUE(items[1].hasSubMenu);
        EXPECT_TRUE(items[2].separator && items[6].separator);
        EXPECT_TRUE(items[3].header);
        EXPECT_FALSE(items[0].ticked); // the preset shown is b
        EXPECT_TRUE(items[5].ticked);
        EXPECT_FALSE(items[4].ticked);

        const auto factory = itemsOf(*subMenuOf(contents.menu));
        ASSERT_EQ(factory.size(), 2u);
        for (size_t i = 0; i < factory.size(); ++i)
        {
            EXPECT_EQ(factory[i].id, 100 + int(i));
            EXPECT_EQ(factory[i].text, c.factory[i]);
            EXPECT_TRUE(factory[i].enabled);
            EXPECT_FALSE(factory[i].ticked);
        }
    }
}

TEST(PresetMenu, TicksThePresetShown)
{
    PresetSandbox sandbox;
    const juce::Array<juce::File> files{sandbox.home.getChildFile("Mine.opreset")};
    for (const auto* name : {"", "Init"})
        EXPECT_TRUE(itemsOf(buildPresetMenu(twoFactoryPresets(), files, name).menu)[0].ticked) << name;

    const auto withBright = buildPresetMenu(twoFactoryPresets(), files, "Bright");
    const auto top = itemsOf(withBright.menu);
    EXPECT_FALSE(top[0].ticked);
    EXPECT_TRUE(top[1].ticked); // the Factory submenu holds the preset shown
    const auto factory = itemsOf(*subMenuOf(withBright.menu));
    EXPECT_FALSE(factory[0].ticked);
    EXPECT_TRUE(factory[1].ticked);
}

TEST(PresetMenu, NoFactorySubmenuWhenTheListIsEmpty)
{
    PresetSandbox sandbox;
    const auto contents = buildPresetMenu({}, {}, "Init");
    for (const auto& item : itemsOf(contents.menu))
        EXPECT_FALSE(item.hasSubMenu) << item.text;
    for (const auto& [id, action] : contents.actions)
        EXPECT_FALSE(action.kind == PresetMenuAction::Kind::factory) << id;
}

TEST(PresetMenu, EmptyOrMissingFolderShowsTheDisabledPlaceholder)
{
    PresetSandbox sandbox;
    const auto empty = sandbox.home.getChildFile("empty");
    empty.createDirectory();
    empty.getChildFile("notes.txt").replaceWithText("not a preset");
    empty.getChildFile("inner").createDirectory();
    empty.getChildFile("inner/deeper.opreset").replaceWithText("<STATE/>");
    for (const auto& folder : {empty, sandbox.home.getChildFile("missing"), juce::File()})
    {
        const auto files = findUserPresetFiles(folder);
        EXPECT_TRUE(files.isEmpty()) << folder.getFullPathName();
        const auto contents = buildPresetMenu({}, files, {});
        const auto items = itemsOf(contents.menu);
        const auto placeholder =
            std::find_if(items.begin(), items.end(), [](const ShownItem& i) { return i.id == 2; });
        ASSERT_NE(placeholder, items.end());
        EXPECT_EQ(placeholder->text, "(none yet)");
        EXPECT_FALSE(placeholder->enabled);
        EXPECT_EQ(contents.actions.count(2), 0u);
        for (const auto& item : items)
            EXPECT_LT(item.id, 1000);
    }
}

TEST(PresetMenu, UserPresetsSortedIgnoringCaseAndNamedWithoutTheExtension)
{
    PresetSandbox sandbox;
    for (const auto* name : {"b.opreset", "x.y.opreset", "A.opreset", "readme.txt", "c.opreset.bak"})
        sandbox.writePreset(name);
    const auto files = findUserPresetFiles(sandbox.presets());
    juce::StringArray names;
    for (const auto& file : files)
        names.add(userPresetMenuText(file));
    EXPECT_EQ(names.joinIntoString("|"), "A|b|x.y");

    const auto items = itemsOf(buildPresetMenu({}, files, {}).menu);
    juce::StringArray shown;
    for (const auto& item : items)
        if (item.id >= 1000)
            shown.add(juce::String(item.id) + ":" + item.text);
    EXPECT_EQ(shown.joinIntoString("|"), "1000:A|1001:b|1002:x.y");
}

TEST(PresetMenu, TheChosenExtensionIsAddedOrKept)
{
    const juce::File folder("/tmp/presets");
    EXPECT_EQ(withPresetExtension(folder.getChildFile("Lead")).getFileName(), "Lead.opreset");
    EXPECT_EQ(withPresetExtension(folder.getChildFile("Lead.opreset")).getFileName(), "Lead.opreset");
    EXPECT_EQ(withPresetExtension(folder.getChildFile("Verse.v2")).getFileName(), "Verse.v2.opreset");
    EXPECT_EQ(withPresetExtension(folder.getChildFile("Lead")).getParentDirectory(), folder);
}

// Every item ID runs its own action; IDs the menu did not offer do nothing at all.
TEST(PresetMenu, ResultsAreDispatchedById)
{
    PresetSandbox sandbox;
    MenuFixture m;
    auto& f = m.f;
    const auto& bank = VezovevaDirADAudioProcessor::factoryPresets();
    ASSERT_GE(bank.size(), 2u);
    sandbox.writePreset("Mine.opreset");

    f.set("b1_gain", 5.0f);
    f.processor.parameters.copyState();
    f.processor.undoManager.clearUndoHistory();
    const auto before = normalisedValues(f.processor);
    const int outside[] = {0,       -1,   2,    5,    99,      100 + int(bank.size()), 999, 1001,
                           1000000, -100, 1999, 3000, 1000 + 2};
    for (int id : outside)
    {
        m.choose(id);
        EXPECT_EQ(normalisedValues(f.processor), before) << id;
        EXPECT_EQ(f.processor.getPresetName(), "") << id;
        EXPECT_FALSE(f.processor.undoManager.canUndo()) << id;
    }
    EXPECT_EQ(m.dialog.launches, 0);
    EXPECT_TRUE(m.opened.empty());

    m.choose(101);
    EXPECT_EQ(f.processor.getPresetName(), bank[1].englishName);
    m.choose(1);
    EXPECT_EQ(f.processor.getPresetName(), "Init");
    EXPECT_FLOAT_EQ(f.get("b1_gain"), 0.0f);
    m.choose(1000);
    EXPECT_EQ(f.processor.getPresetName(), "Mine");
    EXPECT_FLOAT_EQ(f.get("b1_gain"), 2.0f);
    m.choose(3);
    EXPECT_EQ(m.dialog.launches, 1);
    m.choose(4);
    EXPECT_EQ(m.opened.size(), 1u);

    // The preset button's text follows on the next tick.
    f.editor->timerTick();
    EXPECT_TRUE(f.editor->widgets().preset.getButtonText().startsWith("Mine"));
}

TEST(PresetMenu, AChoiceUsesTheListCapturedWhenTheMenuWasBuilt)
{
    PresetSandbox sandbox;
    MenuFixture m;
    sandbox.writePreset("a.opreset");
    sandbox.writePreset("c.opreset");
    const auto captured = m.f.editor->makePresetMenu();
    sandbox.writePreset("b.opreset"); // a fresh scan would put b at 1001
    m.f.editor->handlePresetMenuResult(1001, captured.actions);
    EXPECT_EQ(m.f.processor.getPresetName(), "c");
}

TEST(PresetMenu, APresetThatNoLongerParsesIsIgnored)
{
    PresetSandbox sandbox;
    MenuFixture m;
    const auto file = sandbox.writePreset("Broken.opreset");
    m.f.set("b2_gain", 4.0f);
    m.f.processor.parameters.copyState();
    m.f.processor.undoManager.clearUndoHistory();
    const auto captured = m.f.editor->makePresetMenu();
    file.replaceWithText("<STATE><PARAM id=\"b1_gain\" val"); // damaged after the menu was built
    const auto before = normalisedValues(m.f.processor);
    m.f.editor->handlePresetMenuResult(1000, captured.actions);
    EXPECT_EQ(normalisedValues(m.f.processor), before);
    EXPECT_EQ(m.f.processor.getPresetName(), "");
    EXPECT_FALSE(m.f.processor.undoManager.canUndo());
}

// Save through the menu, change everything, load the file back through the menu: all 387 values return.
TEST(PresetMenu, SaveAndLoadRoundTripThroughTheMenu)
{
    PresetSandbox sandbox;
    MenuFixture m;
    auto& f = m.f;
    ASSERT_FALSE(sandbox.presets().exists());

    setEveryParameterAwayFromDefault(f.processor);
    const auto saved = normalisedValues(f.processor);
    ASSERT_EQ(saved.size(), 387u);

    m.choose(3);
    ASSERT_EQ(m.dialog.launches, 1);
    EXPECT_TRUE(sandbox.presets().isDirectory()) << "the folder is created before the dialog opens";
    EXPECT_EQ(m.dialog.initialFile, sandbox.presets().getChildFile("Preset.opreset"));
    EXPECT_TRUE(sandbox.presets().isAChildOf(sandbox.documents));
    m.dialog.answer(sandbox.presets().getChildFile("Round trip")); // typed without the extension
    const auto file = sandbox.presets().getChildFile("Round trip.opreset");
    ASSERT_TRUE(file.existsAsFile());
    EXPECT_EQ(f.processor.getPresetName(), "Round trip");

    // Everything else changes; the three session choices (kept by a load) stay as saved.
    auto& parameters = f.processor.getParameters();
    for (int i = 0; i < parameters.size(); ++i)
    {
        const auto id = dynamic_cast<juce::RangedAudioParameter*>(parameters[i])->getParameterID();
        if (id != "lookahead" && id != "mon_sig" && id != "mon_ch")
            parameters[i]->setValueNotifyingHost(parameters[i]->getDefaultValue());
    }
    ASSERT_NE(normalisedValues(f.processor), saved);

    const int id = m.idOfUserPreset("Round trip");
    ASSERT_GE(id, 1000);
    m.choose(id);
    const auto loaded = normalisedValues(f.processor);
    for (int i = 0; i < parameters.size(); ++i)
        EXPECT_FLOAT_EQ(loaded[size_t(i)], saved[size_t(i)])
            << dynamic_cast<juce::RangedAudioParameter*>(parameters[i])->getParameterID();
    EXPECT_EQ(f.processor.getPresetName(), "Round trip");
}

TEST(PresetMenu, SavingKeepsAGivenExtensionAndACancelDoesNothing)
{
    PresetSandbox sandbox;
    MenuFixture m;
    m.choose(3);
    m.dialog.answer(juce::File()); // cancelled
    EXPECT_EQ(m.f.processor.getPresetName(), "");
    EXPECT_TRUE(findUserPresetFiles(sandbox.presets()).isEmpty());

    m.choose(3);
    m.dialog.answer(sandbox.presets().getChildFile("Verse.opreset"));
    EXPECT_EQ(m.f.processor.getPresetName(), "Verse");
    const auto files = findUserPresetFiles(sandbox.presets());
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files[0].getFileName(), "Verse.opreset");
}

TEST(PresetMenu, ADialogStillOpenWhenTheEditorClosesSavesNothing)
{
    PresetSandbox sandbox;
    MenuFixture m;
    m.choose(3);
    ASSERT_TRUE(m.dialog.answer != nullptr);
    m.f.editor.reset();
    m.dialog.answer(sandbox.presets().getChildFile("Too late"));
    EXPECT_FALSE(sandbox.presets().getChildFile("Too late.opreset").exists());
    EXPECT_EQ(m.f.processor.getPresetName(), "");
}

TEST(PresetMenu, AFolderThatCannotBeCreatedMakesSaveAndOpenDoNothingVisible)
{
    PresetSandbox sandbox;
    // A plain file where the company folder should be: nothing can be created below it.
    ASSERT_TRUE(sandbox.documents.getChildFile("Vidizaridaza").replaceWithText("in the way"));
    MenuFixture m;
    m.f.processor.savePresetFile(sandbox.home.getChildFile("Earlier.opreset"));
    ASSERT_EQ(m.f.processor.getPresetName(), "Earlier");

    m.choose(4);
    EXPECT_TRUE(m.opened.empty());

    m.choose(3);
    ASSERT_EQ(m.dialog.launches, 1);
    m.dialog.answer(sandbox.presets().getChildFile("Lost"));
    EXPECT_FALSE(m.f.editor->savePresetAs(sandbox.presets().getChildFile("Lost")));
    EXPECT_EQ(m.f.processor.getPresetName(), "Earlier");
    EXPECT_FALSE(sandbox.presets().exists());
}

TEST(PresetMenu, ANameTheFileSystemRefusesFailsCleanly)
{
    PresetSandbox sandbox;
    MenuFixture m;
    m.f.processor.savePresetFile(sandbox.home.getChildFile("Earlier.opreset"));
    m.choose(3);
    // Longer than any file system allows for one name.
    m.dialog.answer(sandbox.presets().getChildFile(juce::String::repeatedString("n", 300)));
    EXPECT_EQ(m.f.processor.getPresetName(), "Earlier");
    EXPECT_TRUE(findUserPresetFiles(sandbox.presets()).isEmpty());
}

TEST(PresetMenu, OpenTheFolderCreatesItFirst)
{
    PresetSandbox sandbox;
    MenuFixture m;
    ASSERT_FALSE(sandbox.presets().exists());
    m.choose(4);
    ASSERT_EQ(m.opened.size(), 1u);
    EXPECT_EQ(m.opened[0], sandbox.presets());
    EXPECT_TRUE(sandbox.presets().isDirectory());
}

// The preset button opens a real popup menu (asynchronously); dismissing it does nothing.
TEST(PresetMenu, TheButtonShowsTheMenuAndDismissingItChangesNothing)
{
    PresetSandbox sandbox;
    MenuFixture m;
    juce::DocumentWindow window("Vivera", juce::Colours::black, 0, true);
    window.setUsingNativeTitleBar(false);
    window.setTitleBarHeight(0);
    window.setContentNonOwned(m.f.editor.get(), true);
    window.setVisible(true);
    pumpMessagesUntil([] { return false; }, 50);

    const auto before = normalisedValues(m.f.processor);
    m.f.editor->widgets().preset.onClick();
    EXPECT_TRUE(pumpMessagesUntil(
        [] { return juce::ModalComponentManager::getInstance()->getNumModalComponents() > 0; }, 2000));
    EXPECT_TRUE(juce::PopupMenu::dismissAllActiveMenus());
    pumpMessagesUntil([] { return juce::ModalComponentManager::getInstance()->getNumModalComponents() == 0; },
                      2000);
    EXPECT_EQ(normalisedValues(m.f.processor), before);
    EXPECT_EQ(m.dialog.launches, 0);
    window.clearContentComponent();
}
