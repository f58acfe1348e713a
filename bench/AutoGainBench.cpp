// Cost of one auto-gain estimate over sixteen bands: what a block pays whenever the pitch moves.
#include "dsp/AutoGain.h"

#include <benchmark/benchmark.h>

namespace
{
using namespace vivera::dsp;

constexpr double kSampleRate = 48000.0;

std::array<AutoGainBand, kNumBands> sixteenBands(float type, float slope)
{
    std::array<AutoGainBand, kNumBands> bands{};
    for (int k = 0; k < kNumBands; ++k)
    {
        AutoGainBand& band = bands[static_cast<size_t>(k)];
        band.used = true;
        band.mult = 0.5f + 0.75f * static_cast<float>(k + 1);
        band.filter.type = type;
        band.filter.slope = slope;
        band.filter.gainDb = k % 2 == 0 ? 4.0f : -3.0f;
    }
    return bands;
}

void estimateCost(benchmark::State& state, float type, float slope)
{
    const auto bands = sixteenBands(type, slope);
    const AutoGainGrid grid = autoGainGrid(kSampleRate);
    float pitch = 220.0f;
    for (auto _ : state)
    {
        pitch = pitch < 230.0f ? pitch + 0.01f : 220.0f; // a moving pitch: every estimate is computed anew
        benchmark::DoNotOptimize(estimateAutoGain(bands, pitch, grid));
    }
}
} // namespace

BENCHMARK_CAPTURE(estimateCost, sixteenHighPass96, 4.0f, 5.0f);
BENCHMARK_CAPTURE(estimateCost, sixteenBells12, 0.0f, 1.0f);
