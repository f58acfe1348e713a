#include "tests/editor/SharedDisplayErrors.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#if JUCE_LINUX || JUCE_BSD
#include <X11/Xlib.h>

// What another test process does to us on the shared display: a window that existed a moment ago is gone
// when a request names it. The error must be reported and survived, not end this process.
TEST(SharedDisplay, AnErrorAboutAVanishedWindowIsSurvived)
{
    tolerateErrorsFromTheSharedDisplay(); // as the test run's main does
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Window vanished = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(display, vanished);

    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    EXPECT_EQ(XQueryTree(display, vanished, &root, &parent, &children, &count), 0);
    XSync(display, False);
    XCloseDisplay(display);
}
#endif
