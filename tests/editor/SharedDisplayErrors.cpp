#include "tests/editor/SharedDisplayErrors.h"

#include <juce_core/juce_core.h>

#if JUCE_LINUX || JUCE_BSD
#include <X11/Xlib.h>

#include <cstdio>

namespace
{
int reportAndContinue(Display*, XErrorEvent* event)
{
    std::fprintf(stderr, "X error %d on request %d ignored (another process's window?)\n",
                 static_cast<int>(event->error_code), static_cast<int>(event->request_code));
    return 0;
}
} // namespace

void tolerateErrorsFromTheSharedDisplay()
{
    XSetErrorHandler(reportAndContinue);
}
#else
void tolerateErrorsFromTheSharedDisplay() {}
#endif
