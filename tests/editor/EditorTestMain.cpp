// Entry point of the editor tests: real windows under a bare virtual X server (see WindowManagerAtoms.h).
#include "tests/editor/SharedDisplayErrors.h"
#include "tests/editor/WindowManagerAtoms.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    tolerateErrorsFromTheSharedDisplay();
    createWindowManagerAtoms();
    juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
