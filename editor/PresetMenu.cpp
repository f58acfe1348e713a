#include "editor/PresetMenu.h"

#include "editor/controls/Localisation.h"

#include <algorithm>

namespace
{
PresetMenuAction action(PresetMenuAction::Kind kind, int factoryIndex = -1, const juce::File& file = {})
{
    return {kind, factoryIndex, file};
}

juce::String text(const char* spanish, const char* english)
{
    return tr(juce::String::fromUTF8(spanish), juce::String::fromUTF8(english));
}
} // namespace

juce::Array<juce::File> findUserPresetFiles(const juce::File& folder)
{
    if (!folder.isDirectory())
        return {};
    auto files = folder.findChildFiles(juce::File::findFiles, false, "*.opreset");
    std::sort(files.begin(), files.end(),
              [](const juce::File& a, const juce::File& b)
              { return a.getFullPathName().compareIgnoreCase(b.getFullPathName()) < 0; });
    return files;
}

juce::String userPresetMenuText(const juce::File& file)
{
    return file.getFileNameWithoutExtension();
}

PresetMenuContents buildPresetMenu(const std::vector<FactoryPreset>& factory,
                                   const juce::Array<juce::File>& userFiles,
                                   const juce::String& currentPresetName)
{
    using Kind = PresetMenuAction::Kind;
    PresetMenuContents contents;
    auto& menu = contents.menu;
    const auto isCurrent = [&](const juce::String& name)
    { return name.isNotEmpty() && name == currentPresetName; };

    menu.addItem(PresetMenuIds::init, text("Init (valores por defecto)", "Init (default settings)"), true,
                 currentPresetName.isEmpty() || currentPresetName == "Init");
    contents.actions[PresetMenuIds::init] = action(Kind::init);

    if (!factory.empty())
    {
        juce::PopupMenu factoryMenu;
        bool anyTicked = false;
        for (size_t i = 0; i < factory.size(); ++i)
        {
            const int id = PresetMenuIds::firstFactory + static_cast<int>(i);
            const auto& entry = factory[i];
            const bool ticked = isCurrent(entry.englishName);
            anyTicked = anyTicked || ticked;
            factoryMenu.addItem(id, isEnglish() ? entry.englishName : entry.spanishName, true, ticked);
            contents.actions[id] = action(Kind::factory, static_cast<int>(i));
        }
        menu.addSubMenu(text("De fábrica", "Factory"), factoryMenu, true, juce::Image(), anyTicked);
    }

    menu.addSeparator();
    menu.addSectionHeader(text("Mis presets", "My presets"));
    if (userFiles.isEmpty())
        menu.addItem(PresetMenuIds::noUserPresets, text("(todavía no hay ninguno)", "(none yet)"), false);
    for (int i = 0; i < userFiles.size(); ++i)
    {
        const int id = PresetMenuIds::firstUser + i;
        const auto name = userPresetMenuText(userFiles[i]);
        menu.addItem(id, name, true, isCurrent(name));
        contents.actions[id] = action(Kind::user, -1, userFiles[i]);
    }

    menu.addSeparator();
    menu.addItem(PresetMenuIds::save, text("Guardar preset...", "Save preset..."));
    contents.actions[PresetMenuIds::save] = action(Kind::save);
    menu.addItem(PresetMenuIds::openFolder, text("Abrir la carpeta de presets", "Open the presets folder"));
    contents.actions[PresetMenuIds::openFolder] = action(Kind::openFolder);
    return contents;
}

juce::File withPresetExtension(const juce::File& chosen)
{
    if (chosen.hasFileExtension("opreset"))
        return chosen;
    // Appended, not substituted: "Verse.v2" is saved as "Verse.v2.opreset", keeping what was typed.
    return chosen.getSiblingFile(chosen.getFileName() + ".opreset");
}

juce::String presetDisplayName(const std::vector<FactoryPreset>& factory, const juce::String& storedName)
{
    if (storedName.isEmpty())
        return "Init";
    for (const auto& entry : factory)
        if (entry.englishName == storedName)
            return tr(entry.spanishName, entry.englishName);
    return storedName;
}
