// The factory preset bank: the preset files built into the binary, read once into name and value lists.
#pragma once

#include "engine/state/PluginState.h"

#include <vector>

// Reads factory entries from preset-file texts: the root's "presetName" is the English name and
// "spanishName" the Spanish one; every PARAM with a numeric value becomes an (ID, plain value) pair.
// A text that does not parse as a preset is left out.
std::vector<FactoryPreset> readFactoryPresets(const std::vector<const char*>& presetTexts);

// The bank, in file-name order (built on first use).
const std::vector<FactoryPreset>& factoryPresetBank();

// The entry whose English or Spanish name equals `name` (case ignored), or whose number (1 = first) it is;
// -1 when none matches.
int findFactoryPreset(const juce::String& nameOrNumber);
