// Entry point of the editor benchmarks. Like the editor tests they open a real window under a bare virtual
// X server (see WindowManagerAtoms.h).
#include "tests/editor/WindowManagerAtoms.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

int main(int argc, char** argv)
{
    createWindowManagerAtoms();
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
