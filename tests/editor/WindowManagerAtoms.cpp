#include "tests/editor/WindowManagerAtoms.h"

#include <juce_core/juce_core.h>

#if JUCE_LINUX || JUCE_BSD
#include <X11/Xlib.h>

// The connection stays open for the whole run: a virtual server that loses its last client resets and
// forgets every atom.
void createWindowManagerAtoms()
{
    static Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return;
    for (const char* name :
         {"WM_CHANGE_STATE", "WM_DELETE_WINDOW", "WM_PROTOCOLS", "WM_STATE", "WM_TAKE_FOCUS",
          "_MOTIF_WM_HINTS", "_NET_FRAME_EXTENTS", "_NET_WM_PING", "_NET_WM_STATE", "_NET_WM_STATE_ABOVE",
          "_NET_WM_STATE_FULLSCREEN", "_NET_WM_STATE_HIDDEN", "_NET_WM_STATE_SKIP_TASKBAR",
          "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_COMBO", "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WORKAREA"})
        XInternAtom(display, name, False);
    XFlush(display);
}
#else
void createWindowManagerAtoms() {}
#endif
