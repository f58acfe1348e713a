// Cost of the band bank per stereo sample in the layouts that bound it, and of redesigning all bands.
#include "dsp/BandBank.h"
#include "dsp/BandDesign.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace
{
using namespace vivera::dsp;

constexpr double kSampleRate = 48000.0;

struct BankLayout
{
    int bands;
    float type;
    float slope;
    bool midSide; // alternate Mid and Side bands
};

BandFilterSettings settingsFor(const BankLayout& layout)
{
    BandFilterSettings s;
    s.type = layout.type;
    s.slope = layout.slope;
    s.gainDb = 6.0f;
    s.q = 2.0f;
    return s;
}

void designAll(BandBank& bank, BandBankRouting& routing, const BankLayout& layout, double pitch)
{
    for (int k = 0; k < kNumBands; ++k)
    {
        const bool used = k < layout.bands;
        const double f = used ? std::min(pitch * (k + 1), 0.45 * kSampleRate) : 0.0;
        BandCascade& cascade = bank.cascades[static_cast<size_t>(k)];
        setBandActive(bank, k, designBand(settingsFor(layout), kSampleRate, f, false, 1.0, cascade));
        routing.chan[static_cast<size_t>(k)] = layout.midSide ? 1 + (k % 2) : 0;
    }
}

void runBank(benchmark::State& state, const BankLayout& layout, bool redesignEachSubBlock,
             bool perSample = false)
{
    BandBank bank;
    resetBandBank(bank);
    BandBankRouting routing;
    routing.pitchAvailable = true;
    designAll(bank, routing, layout, 110.0);

    std::mt19937 rng(1);
    std::uniform_real_distribution<double> noise(-0.5, 0.5);
    std::vector<double> sourceL(4096), sourceR(4096);
    for (size_t i = 0; i < sourceL.size(); ++i)
    {
        sourceL[i] = noise(rng);
        sourceR[i] = noise(rng);
    }
    double L[kSubBlockSize], R[kSubBlockSize];
    size_t offset = 0;
    double pitch = 110.0;
    for (auto _ : state)
    {
        if (redesignEachSubBlock)
        {
            pitch = pitch > 200.0 ? 110.0 : pitch * 1.001;
            designAll(bank, routing, layout, pitch);
        }
        for (int i = 0; i < kSubBlockSize; ++i)
        {
            L[i] = sourceL[offset + static_cast<size_t>(i)];
            R[i] = sourceR[offset + static_cast<size_t>(i)];
        }
        offset = (offset + kSubBlockSize) % sourceL.size();
        if (perSample)
            for (int i = 0; i < kSubBlockSize; ++i)
                processBandBankSample(bank, routing, L[i], R[i]);
        else
            processBandBank(bank, routing, L, R, kSubBlockSize);
        benchmark::DoNotOptimize(L);
        benchmark::DoNotOptimize(R);
    }
    const double samples = static_cast<double>(state.iterations()) * kSubBlockSize;
    state.SetItemsProcessed(static_cast<int64_t>(samples));
    // ns per stereo sample, and seconds of 48 kHz audio per CPU second.
    state.counters["ns_per_sample"] =
        benchmark::Counter(samples * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime_x"] = benchmark::Counter(samples / kSampleRate, benchmark::Counter::kIsRate);
}

void BM_BankOneBell12(benchmark::State& state)
{
    runBank(state, {1, 0.0f, 1.0f, false}, false);
}
void BM_BankSixteenHighPass96Stereo(benchmark::State& state)
{
    runBank(state, {16, 4.0f, 5.0f, false}, false);
}
void BM_BankSixteenBell96MidSide(benchmark::State& state)
{
    runBank(state, {16, 0.0f, 5.0f, true}, false);
}
void BM_BankSixteenHighPass96MidSide(benchmark::State& state)
{
    runBank(state, {16, 4.0f, 5.0f, true}, false);
}
// The per-sample reference form on the worst case, for comparison with the block form.
void BM_BankSixteenHighPass96StereoPerSample(benchmark::State& state)
{
    runBank(state, {16, 4.0f, 5.0f, false}, false, true);
}
void BM_BankSixteenHighPass96StereoWithDesign(benchmark::State& state)
{
    runBank(state, {16, 4.0f, 5.0f, false}, true);
}

// One sub-block's redesign of all 16 bands (the engine does this every 32 samples).
void runDesign(benchmark::State& state, const BankLayout& layout)
{
    BandBank bank;
    BandBankRouting routing;
    double pitch = 110.0;
    for (auto _ : state)
    {
        pitch = pitch > 200.0 ? 110.0 : pitch * 1.001;
        designAll(bank, routing, layout, pitch);
        benchmark::DoNotOptimize(bank);
    }
    const double samples = static_cast<double>(state.iterations()) * kSubBlockSize;
    state.counters["ns_per_sample"] =
        benchmark::Counter(samples * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_DesignSixteenHighPass96(benchmark::State& state)
{
    runDesign(state, {16, 4.0f, 5.0f, false});
}
void BM_DesignSixteenBell96(benchmark::State& state)
{
    runDesign(state, {16, 0.0f, 5.0f, false});
}

BENCHMARK(BM_BankOneBell12);
BENCHMARK(BM_BankSixteenHighPass96Stereo);
BENCHMARK(BM_BankSixteenBell96MidSide);
BENCHMARK(BM_BankSixteenHighPass96MidSide);
BENCHMARK(BM_BankSixteenHighPass96StereoPerSample);
BENCHMARK(BM_BankSixteenHighPass96StereoWithDesign);
BENCHMARK(BM_DesignSixteenHighPass96);
BENCHMARK(BM_DesignSixteenBell96);
} // namespace
