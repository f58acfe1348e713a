// The preset menu's contents: built from the factory list and the user's preset files, in the current
// language, together with the table that says what each item ID does. Kept apart from the popup itself
// so the items, ticks and actions can be checked without showing a menu.
#pragma once

#include "engine/state/PluginState.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <map>
#include <vector>

namespace PresetMenuIds
{
inline constexpr int init = 1;
inline constexpr int noUserPresets = 2; // the disabled placeholder
inline constexpr int save = 3;
inline constexpr int openFolder = 4;
inline constexpr int firstFactory = 100;
inline constexpr int firstUser = 1000;
} // namespace PresetMenuIds

struct PresetMenuAction
{
    enum class Kind
    {
        init,
        factory,
        user,
        save,
        openFolder
    };
    Kind kind = Kind::init;
    int factoryIndex = -1; // factory
    juce::File file;       // user
};

struct PresetMenuContents
{
    juce::PopupMenu menu;
    std::map<int, PresetMenuAction> actions; // every item that does something, by ID
};

// The user presets: the *.opreset files directly in `folder`, sorted by full path ignoring case. A missing
// folder has none.
juce::Array<juce::File> findUserPresetFiles(const juce::File& folder);

// A user preset's menu text: its file name without the extension.
juce::String userPresetMenuText(const juce::File& file);

// The menu in the current language. The item of the preset named `currentPresetName` is ticked.
PresetMenuContents buildPresetMenu(const std::vector<FactoryPreset>& factory,
                                   const juce::Array<juce::File>& userFiles,
                                   const juce::String& currentPresetName);

// What the preset button shows for the stored preset name: "Init" when there is none, a factory preset's
// name in the current language (the state stores its English name), any other name as it is.
juce::String presetDisplayName(const std::vector<FactoryPreset>& factory, const juce::String& storedName);

// The file a save dialog's choice is written to: ".opreset" appended unless the name already ends so.
juce::File withPresetExtension(const juce::File& chosen);
