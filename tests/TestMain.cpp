// Test entry point: JUCE's message manager and GUI subsystems live for the whole run, so parameters, hosted
// plug-ins, timers and components behave as they do in a host.
#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
