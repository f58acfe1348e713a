// The window system's own interface is only visible with the X headers, which clash with other framework
// modules: this file includes nothing else.
#if defined(__linux__)
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1
#endif
#include "bench/ScreenCopies.h"

void waitForScreenCopies(juce::ComponentPeer& peer)
{
#if JUCE_LINUX
    auto* windowSystem = juce::XWindowSystem::getInstance();
    const auto window = (::Window)peer.getNativeHandle();
    for (int attempt = 0; attempt < 1000 && windowSystem->getNumPaintsPendingForWindow(window) > 0; ++attempt)
    {
        XSync(windowSystem->getDisplay(), False);
        windowSystem->processPendingPaintsForWindow(window);
    }
#else
    juce::ignoreUnused(peer);
#endif
}
