// What must hold after any input, however damaged: a refused input changes nothing; an accepted one leaves
// every parameter valid, and what it set survives a save and a restore.
#pragma once

#include "engine/PluginProcessor.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

// The entry points libFuzzer calls, defined by each fuzzer.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// Hostile input makes the framework's XML and ValueTree code assert on what it then handles; printing
// thousands of those lines costs more than the reading itself. They are counted by place and printed once
// at exit, where scripts/fuzz picks them up.
class AssertionCounter : public juce::Logger
{
public:
    void report() const
    {
        for (const auto& [where, count] : counts)
            std::fprintf(stderr, "JUCE assertions counted: %d x %s\n", count, where.toRawUTF8());
    }

    void logMessage(const juce::String& message) override
    {
        if (message.startsWith("JUCE Assertion failure in "))
            ++counts[message.fromFirstOccurrenceOf(" in ", false, false)];
        else
            std::fprintf(stderr, "%s\n", message.toRawUTF8());
    }

private:
    std::map<juce::String, int> counts;
};

// One processor for the whole run: building 387 parameters per input would dominate the time. It and the
// assertion counter live until the process ends and are never destroyed, since the framework's shutdown at
// exit would otherwise run after its own static bookkeeping is gone.
inline AssertionCounter* assertionCounter = nullptr;

inline VezovevaDirADAudioProcessor& fuzzProcessor()
{
    if (assertionCounter == nullptr)
    {
        assertionCounter = new AssertionCounter();
        juce::Logger::setCurrentLogger(assertionCounter);
        std::atexit([] { assertionCounter->report(); });
    }
    static auto* juceInitialiser = new juce::ScopedJuceInitialiser_GUI();
    static auto* instance = new VezovevaDirADAudioProcessor();
    juce::ignoreUnused(juceInitialiser);
    return *instance;
}

struct Snapshot
{
    std::vector<float> values;
    juce::String presetName;

    explicit Snapshot(VezovevaDirADAudioProcessor& processor) : presetName(processor.getPresetName())
    {
        for (auto* parameter : processor.getParameters())
            values.push_back(parameter->getValue());
    }
};

inline void requireValidValues(const Snapshot& snapshot)
{
    for (const float value : snapshot.values)
        if (!std::isfinite(value) || value < 0.0f || value > 1.0f)
            std::abort();
}

// Runs one input through `feed` (which tells whether the input was accepted) on the shared processor and
// checks the rules; oversized inputs are skipped.
template <typename Feed> int fuzzOneInput(const uint8_t* data, size_t size, Feed&& feed)
{
    if (size > (1u << 20))
        return 0;
    auto& processor = fuzzProcessor();
    const Snapshot before(processor);
    if (!feed(processor, data, size))
    {
        const Snapshot after(processor);
        if (after.values != before.values || after.presetName != before.presetName)
            std::abort();
        return 0;
    }

    const Snapshot loaded(processor);
    requireValidValues(loaded);
    juce::MemoryBlock saved;
    processor.getStateInformation(saved);
    if (!processor.restoreState(saved.getData(), static_cast<int>(saved.getSize())))
        std::abort();
    const Snapshot restored(processor);
    if (restored.presetName != loaded.presetName)
        std::abort();
    for (size_t i = 0; i < loaded.values.size(); ++i)
        if (std::abs(restored.values[i] - loaded.values[i]) > 1.0e-6f)
            std::abort();
    return 0;
}
