// Entry point of the benchmarks that use the framework: its message manager and GUI subsystems live for
// the whole run and go before the program's static objects, so the run ends cleanly.
#include "SimdLevelOption.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

int main(int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    applySimdLevelOption();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
