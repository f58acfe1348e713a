// Entry point of the editor benchmarks. Like the editor tests they open a real window under a bare virtual
// X server, where no window manager has created the _NET_* and WM_* atoms; the framework looks some of them
// up without creating them and then sets window properties with a null atom, which the server rejects with
// a fatal error. Creating the atoms first, before the framework starts, gives the window a desktop's start.
#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#if JUCE_LINUX || JUCE_BSD
#include <X11/Xlib.h>

namespace
{
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
} // namespace
#endif

int main(int argc, char** argv)
{
#if JUCE_LINUX || JUCE_BSD
    createWindowManagerAtoms();
#endif
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
