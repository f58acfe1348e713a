// 256-bit gain computers: four detectors to a register and up to four registers per sample, so the
// ballistics recursion of one detector overlaps the others'. Built with AVX2 for this file alone; besides
// intrinsics and raw pointers it compiles only the AVX2 step headers, which no other kind of file includes.
#include "dsp/GainComputerLanes.h"
#include "dsp/GainComputerStepAvx2.h"
#include "dsp/LaneRegistersAvx2.h"

#include <immintrin.h>

namespace vivera::dsp::kernels
{
namespace
{
constexpr int kLanes = avx2::kRegisterLanes;
constexpr int kRegisters = 4;
constexpr int kMaxChunk = 32;
using avx2::fromLanes;
using avx2::maskFromLanes;
using avx2::transposeIn;
} // namespace

void runGainLanesAvx2(const GainLane* lanes, int count, int m) noexcept
{
    alignas(32) static const double kZeros[kMaxChunk] = {};
    for (int first = 0; first < count; first += kLanes * kRegisters)
    {
        const int batchLanes = count - first < kLanes * kRegisters ? count - first : kLanes * kRegisters;
        const int registers = (batchLanes + kLanes - 1) / kLanes;
        const GainLane* lane[kRegisters][kLanes];
        avx2::GainRegister reg[kRegisters];
        alignas(32) double level[kRegisters][kMaxChunk][kLanes];
        alignas(32) double fullBand[kRegisters][kMaxChunk][kLanes];
        for (int r = 0; r < registers; ++r)
        {
            const double* levelArrays[kLanes];
            const double* fullBandArrays[kLanes];
            for (int l = 0; l < kLanes; ++l)
            {
                const int index = first + r * kLanes + l;
                lane[r][l] = index < count ? &lanes[index] : nullptr;
                levelArrays[l] = lane[r][l] != nullptr ? lane[r][l]->level : kZeros;
                fullBandArrays[l] =
                    lane[r][l] != nullptr && lane[r][l]->fullBand != nullptr ? lane[r][l]->fullBand : kZeros;
            }
            transposeIn(levelArrays, m, level[r]);
            transposeIn(fullBandArrays, m, fullBand[r]);

            avx2::GainRegister& g = reg[r];
            const GainLane* const* in = lane[r];
            g.levelScale = fromLanes(in, [](const GainLane& x) { return x.transient ? 10.0 : 20.0; });
            g.fullBandScale = _mm256_set1_pd(10.0);
            g.sibilance =
                maskFromLanes(in, [](const GainLane& x) { return !x.transient && x.fullBand != nullptr; });
            g.above = maskFromLanes(in, [](const GainLane& x) { return x.above; });
            g.threshold = fromLanes(in, [](const GainLane& x) { return x.thresholdDb; });
            const __m256d width = fromLanes(in, [](const GainLane& x) { return x.kneeWidth; });
            avx2::setKneeWidths(g, width);
            g.slope = fromLanes(in, [](const GainLane& x) { return x.slope; });
            g.attack = fromLanes(in, [](const GainLane& x) { return x.attack; });
            g.release = fromLanes(in, [](const GainLane& x) { return x.release; });
            g.levelDb = fromLanes(in, [](const GainLane& x) { return *x.levelDb; });
            g.reductionDb = fromLanes(in, [](const GainLane& x) { return *x.reductionDb; });
        }

        for (int i = 0; i < m; ++i)
            for (int r = 0; r < registers; ++r)
                avx2::gainStep(reg[r], _mm256_load_pd(level[r][i]), _mm256_load_pd(fullBand[r][i]));

        for (int r = 0; r < registers; ++r)
        {
            alignas(32) double levelDb[kLanes], reductionDb[kLanes];
            _mm256_store_pd(levelDb, reg[r].levelDb);
            _mm256_store_pd(reductionDb, reg[r].reductionDb);
            for (int l = 0; l < kLanes; ++l)
                if (lane[r][l] != nullptr)
                {
                    *lane[r][l]->levelDb = levelDb[l];
                    *lane[r][l]->reductionDb = reductionDb[l];
                }
        }
    }
}

} // namespace vivera::dsp::kernels
