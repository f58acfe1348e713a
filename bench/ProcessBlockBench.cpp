// Cost of the whole processBlock at 48 kHz stereo for typical and worst-case settings, as a real-time factor
// (audio seconds processed per CPU second, counter "realtime").
#include "engine/PluginProcessor.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include <cmath>

namespace
{
constexpr double kRate = 48000.0;

enum class Setting
{
    defaultInstance,
    typicalVocal,
    worstCase,
    sixteenStaticBells
};

void set(VezovevaDirADAudioProcessor& p, const juce::String& id, float plainValue)
{
    auto* parameter = p.parameters.getParameter(id);
    parameter->setValueNotifyingHost(parameter->convertTo0to1(plainValue));
}

void configure(VezovevaDirADAudioProcessor& p, Setting setting)
{
    if (setting == Setting::typicalVocal)
    {
        // Six bands at 12 dB/oct, two of them dynamic.
        const float mults[] = {1.0f, 2.0f, 3.0f, 4.0f, 6.0f, 8.0f};
        for (int n = 1; n <= 6; ++n)
        {
            const auto b = "b" + juce::String(n) + "_";
            set(p, b + "add", 1.0f);
            set(p, b + "mult", mults[n - 1]);
            set(p, b + "gain", n % 2 == 0 ? 3.0f : -4.0f);
            set(p, b + "dyn", n <= 2 ? 1.0f : 0.0f);
        }
    }
    else if (setting == Setting::sixteenStaticBells)
    {
        // The closest setting to a plain 16-band parametric equaliser: static bells that follow the pitch.
        for (int n = 1; n <= 16; ++n)
        {
            const auto b = "b" + juce::String(n) + "_";
            set(p, b + "add", 1.0f);
            set(p, b + "type", 0.0f);  // Bell
            set(p, b + "slope", 1.0f); // 12 dB/oct
            set(p, b + "mult", static_cast<float>(n));
            set(p, b + "gain", n % 2 == 0 ? 3.0f : -3.0f);
            set(p, b + "dyn", 0.0f);
        }
    }
    else if (setting == Setting::worstCase)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add(juce::AudioChannelSet::stereo());
        layout.inputBuses.add(juce::AudioChannelSet::stereo());
        layout.outputBuses.add(juce::AudioChannelSet::stereo());
        p.setBusesLayout(layout);
        for (int n = 1; n <= 16; ++n)
        {
            const auto b = "b" + juce::String(n) + "_";
            set(p, b + "add", 1.0f);
            set(p, b + "type", n % 2 == 0 ? 4.0f : 5.0f); // High Pass / Low Pass
            set(p, b + "slope", 5.0f);                    // 96 dB/oct
            set(p, b + "dyn", 1.0f);
            set(p, b + "detsc", 1.0f);
            set(p, b + "mult", 0.5f + 0.75f * float(n));
        }
        set(p, "sc", 1.0f);
        set(p, "soft_clip", 1.0f);
    }
}

void processBlockCost(benchmark::State& state, Setting setting)
{
    const int block = static_cast<int>(state.range(0));
    VezovevaDirADAudioProcessor processor;
    configure(processor, setting);
    processor.setRateAndBufferSizeDetails(kRate, block);
    processor.prepareToPlay(kRate, block);

    const int channels = processor.getTotalNumInputChannels();
    juce::AudioBuffer<float> source(channels, 48000);
    for (int i = 0; i < source.getNumSamples(); ++i)
        for (int c = 0; c < channels; ++c)
        {
            const double f = c < 2 ? 220.0 : 330.0;
            double v = 0.0;
            for (int h = 1; h <= 6; ++h)
                v += std::sin(2.0 * M_PI * f * h * i / kRate) / h;
            source.setSample(c, i, static_cast<float>(0.2 * v));
        }

    juce::AudioBuffer<float> work(channels, block);
    juce::MidiBuffer midi;
    int position = 0;
    for (auto _ : state)
    {
        if (position + block > source.getNumSamples())
            position = 0;
        for (int c = 0; c < channels; ++c)
            work.copyFrom(c, 0, source, c, position, block);
        processor.processBlock(work, midi);
        benchmark::DoNotOptimize(work.getReadPointer(0));
        position += block;
    }
    state.counters["realtime"] = benchmark::Counter(static_cast<double>(state.iterations()) * block / kRate,
                                                    benchmark::Counter::kIsRate);
}
} // namespace

BENCHMARK_CAPTURE(processBlockCost, defaultInstance, Setting::defaultInstance)->Arg(32)->Arg(512)->Arg(2048);
BENCHMARK_CAPTURE(processBlockCost, typicalVocal, Setting::typicalVocal)->Arg(512);
BENCHMARK_CAPTURE(processBlockCost, worstCase, Setting::worstCase)->Arg(32)->Arg(512)->Arg(2048);
BENCHMARK_CAPTURE(processBlockCost, sixteenStaticBells, Setting::sixteenStaticBells)->Arg(512);
