// The About window: the product's name and what it does, in the current language, with one Close button
// that Escape also presses.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

juce::String aboutMessage();

// The window, not yet shown: its owner shows it (modally, without blocking) and keeps it alive.
std::unique_ptr<juce::AlertWindow> createAboutWindow(juce::Component* associatedComponent,
                                                     juce::LookAndFeel& lookAndFeel);
