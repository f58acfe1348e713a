// Waiting for a window's copies to the screen outside the event loop.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// Returns once the screen has confirmed every shared-memory copy of the peer's window, so its next repaint
// is not skipped. The confirmations normally arrive through the event loop.
void waitForScreenCopies(juce::ComponentPeer& peer);
