// Band detector cost per band and sample, in 32-sample sub-blocks as the pipeline calls it, for each
// envelope and channel mode. Counters report ns per sample and audio seconds per CPU second (one band).
#include "dsp/BandDetector.h"
#include "dsp/DetectorSettingsRules.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace
{
using namespace vivera::dsp;

enum Variant : int
{
    kRmsStereo,
    kPeakStereo,
    kRmsMid,
    kTransientStereo,
    kSibilanceStereo,
};

BandDynamicsParameters parametersFor(int variant)
{
    BandDynamicsParameters p;
    p.dyn = 1.0f;
    switch (variant)
    {
    case kPeakStereo:
        p.det = 0.0f;
        break;
    case kRmsMid:
        p.chan = 1.0f;
        break;
    case kTransientStereo:
        p.type = kBandTransient;
        break;
    case kSibilanceStereo:
        p.type = kBandSibilance;
        break;
    default:
        break;
    }
    return p;
}

void detectorPerSample(benchmark::State& state)
{
    constexpr double fs = 48000.0;
    constexpr int kSubBlock = 32;
    const auto settings = detectorSettingsForBand(parametersFor(static_cast<int>(state.range(0))));
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
    std::vector<float> left(48000), right(48000);
    for (size_t i = 0; i < left.size(); ++i)
    {
        left[i] = dist(rng);
        right[i] = dist(rng);
    }
    BandDetector detector;
    double sink = 0.0;
    for (auto _ : state)
    {
        for (size_t o = 0; o < left.size(); o += kSubBlock)
            sink += runDetector(detector, settings, left.data() + o, right.data() + o, kSubBlock, 1000.0, fs);
        benchmark::DoNotOptimize(sink);
    }
    const double samples = static_cast<double>(state.iterations()) * left.size();
    state.counters["ns_per_sample"] =
        benchmark::Counter(samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                           benchmark::Counter::OneK::kIs1000);
    state.counters["realtime_x"] = benchmark::Counter(samples / fs, benchmark::Counter::kIsRate);
}
BENCHMARK(detectorPerSample)
    ->ArgName("variant")
    ->Arg(kRmsStereo)
    ->Arg(kPeakStereo)
    ->Arg(kRmsMid)
    ->Arg(kTransientStereo)
    ->Arg(kSibilanceStereo)
    ->Unit(benchmark::kMillisecond);

} // namespace

namespace
{
// Sixteen RMS stereo detectors per sub-block, one call each (as the pipeline calls them today) or all in one
// runDetectors call. Counters are per stereo sample for all sixteen together.
void sixteenDetectors(benchmark::State& state)
{
    constexpr double fs = 48000.0;
    constexpr int kSubBlock = 32;
    constexpr int kDetectors = 16;
    const bool together = state.range(0) != 0;
    const auto settings = detectorSettingsForBand(parametersFor(kRmsStereo));
    std::mt19937 rng(6);
    std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
    std::vector<float> left(48000), right(48000);
    for (size_t i = 0; i < left.size(); ++i)
    {
        left[i] = dist(rng);
        right[i] = dist(rng);
    }
    std::vector<BandDetector> detectors(kDetectors);
    std::vector<DetectorJob> jobs(kDetectors);
    double sink = 0.0;
    for (auto _ : state)
    {
        for (size_t o = 0; o < left.size(); o += kSubBlock)
        {
            for (int k = 0; k < kDetectors; ++k)
            {
                const double scHz = 110.0 * (k + 1);
                if (together)
                    jobs[static_cast<size_t>(k)] = {&detectors[static_cast<size_t>(k)],
                                                    &settings,
                                                    left.data() + o,
                                                    right.data() + o,
                                                    scHz,
                                                    0.0};
                else
                    sink += runDetector(detectors[static_cast<size_t>(k)], settings, left.data() + o,
                                        right.data() + o, kSubBlock, scHz, fs);
            }
            if (together)
            {
                runDetectors(jobs.data(), kDetectors, kSubBlock, fs);
                sink += jobs[0].amount;
            }
        }
        benchmark::DoNotOptimize(sink);
    }
    const double samples = static_cast<double>(state.iterations()) * left.size();
    state.counters["ns_per_sample"] =
        benchmark::Counter(samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                           benchmark::Counter::OneK::kIs1000);
    state.counters["realtime_x"] = benchmark::Counter(samples / fs, benchmark::Counter::kIsRate);
}
BENCHMARK(sixteenDetectors)->ArgName("together")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
} // namespace
