// Sets a parameter from a command-line text: a number in the parameter's plain range, a choice item's
// name, or on/off for a switch. Shared by the command-line tools.
#pragma once

#include "engine/PluginProcessor.h"

// Returns an empty string on success, else a one-line reason; the parameter is unchanged on failure.
juce::String applyParameterSetting(VezovevaDirADAudioProcessor& processor, const juce::String& id,
                                   const juce::String& text);
