// Pitch tracker cost: a second of audio through the whole tracker at common rates, and the difference
// function alone (through the FFT) against the direct sums. Counters report audio seconds per CPU second.
#include "dsp/PitchTracker.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace
{
using vivera::dsp::PitchTracker;

std::vector<float> harmonicTone(double frequencyHz, double sampleRate, size_t n)
{
    std::vector<float> out(n);
    for (size_t i = 0; i < n; ++i)
    {
        double sum = 0.0;
        for (int h = 1; h <= 8; ++h)
            sum += std::sin(6.283185307179586 * h * frequencyHz * i / sampleRate) / h;
        out[i] = static_cast<float>(0.1 * sum);
    }
    return out;
}

// One second of a 220 Hz tone per iteration, pushed sample by sample as the pipeline does.
void trackerPerSecond(benchmark::State& state)
{
    const double fs = static_cast<double>(state.range(0));
    auto tracker = std::make_unique<PitchTracker>();
    tracker->prepare(fs);
    tracker->applySettings(15.0f, -80.0f, 20.0f, 5000.0f);
    const auto signal = harmonicTone(220.0, fs, static_cast<size_t>(fs));
    for (auto _ : state)
    {
        for (float x : signal)
            tracker->pushSample(x);
        benchmark::DoNotOptimize(tracker->pitchHz);
    }
    state.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["ns_per_sample"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * fs,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::OneK::kIs1000);
}
BENCHMARK(trackerPerSecond)->Arg(44100)->Arg(48000)->Arg(96000)->Unit(benchmark::kMillisecond);

// The input filters and decimation alone: silence never reaches the difference function.
void trackerFeedOnly(benchmark::State& state)
{
    auto tracker = std::make_unique<PitchTracker>();
    tracker->prepare(48000.0);
    const std::vector<float> silence(48000, 0.0f);
    for (auto _ : state)
    {
        for (float x : silence)
            tracker->pushSample(x);
        benchmark::DoNotOptimize(tracker->pitchHz);
    }
    state.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(trackerFeedOnly)->Unit(benchmark::kMillisecond);

std::vector<float> randomFrame()
{
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    std::vector<float> frame(PitchTracker::kFrameSize);
    for (auto& v : frame)
        v = dist(rng);
    return frame;
}

// Reference: the direct sums over the newest samples, one reduction per lag.
void differenceDirect(const float* frame, int windowLength, int maxLag, double* d)
{
    const int n = PitchTracker::kFrameSize;
    d[0] = 0.0;
    for (int tau = 1; tau <= maxLag; ++tau)
    {
        double sum = 0.0;
        for (int i = n - windowLength; i < n; ++i)
        {
            const double diff = static_cast<double>(frame[i]) - static_cast<double>(frame[i - tau]);
            sum += diff * diff;
        }
        d[tau] = sum;
    }
}

constexpr int kMaxLag48k = 401;
constexpr int kWindow48k = PitchTracker::kFrameSize - kMaxLag48k;

void differenceFunction(benchmark::State& state)
{
    const auto frame = randomFrame();
    std::vector<double> d(PitchTracker::kMaxLag + 1);
    auto difference = std::make_unique<vivera::dsp::DifferenceFunction>();
    difference->prepare();
    for (auto _ : state)
    {
        difference->compute(frame.data(), kWindow48k, kMaxLag48k, d.data());
        benchmark::DoNotOptimize(d.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(differenceFunction)->Unit(benchmark::kMicrosecond);

void differenceFunctionDirectReference(benchmark::State& state)
{
    const auto frame = randomFrame();
    std::vector<double> d(PitchTracker::kMaxLag + 1);
    for (auto _ : state)
    {
        differenceDirect(frame.data(), kWindow48k, kMaxLag48k, d.data());
        benchmark::DoNotOptimize(d.data());
        benchmark::ClobberMemory();
    }
    state.counters["MAC_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kWindow48k * kMaxLag48k, benchmark::Counter::kIsRate);
}
BENCHMARK(differenceFunctionDirectReference)->Unit(benchmark::kMicrosecond);

} // namespace
