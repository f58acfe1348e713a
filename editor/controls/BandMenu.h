// The band menu: harmonic multiplier, interval, type, slope, channel and switches of one band, built fresh
// from its current values. Building is separate from showing so the items, their ticks and what each
// choice writes can be checked without a popup on screen.
#pragma once

#include "engine/PluginProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <map>
#include <utility>
#include <vector>

namespace BandMenuIds
{
constexpr int firstType = 10;  // 10..19: type = id - 10
constexpr int firstSlope = 20; // 20..25: slope = id - 20
constexpr int solo = 30;
constexpr int freeze = 31;
constexpr int customMultiplier = 32;
constexpr int nextHarmonic = 33;
constexpr int previousHarmonic = 34;
constexpr int enabled = 35;
constexpr int dynamics = 36;
constexpr int firstChannel = 40; // 40..42: chan = id - 40
constexpr int firstMultiplier = 1000;
} // namespace BandMenuIds

// What one item does when chosen.
struct BandMenuAction
{
    enum class Kind
    {
        multiplier, // write `mult` = value
        type,       // write `type` = value and the settings that go with it
        slope,
        channel,
        toggle, // flip the switch named by `parameter`
        custom, // open the multiplier's text entry
        step    // step the multiplier up (value > 0) or down
    };
    Kind kind = Kind::multiplier;
    float value = 0.0f;
    const char* parameter = nullptr;               // short band parameter name, for toggles
    BoolHandle BandParameters::*toggled = nullptr; // and its handle, to read the current state
};

struct BandMenu
{
    juce::PopupMenu menu;
    std::map<int, BandMenuAction> actions; // by item ID
};

// The menu for a band as its parameters are now, in the current language.
BandMenu buildBandMenu(const BandParameters& band);

// The parameter writes (short name, plain value), in order, that an action makes on a band as it is now.
// Empty for the actions that write nothing by themselves (custom entry, stepping).
std::vector<std::pair<const char*, float>> bandMenuWrites(const BandMenuAction& action,
                                                          const BandParameters& band);

// A multiplier rounded to two decimals as the menu offers it (half away from zero): 9/8 gives 1.13.
float roundedMultiplier(double ratio);
