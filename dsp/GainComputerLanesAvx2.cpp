// 256-bit gain computers: four detectors to a register and up to four registers per sample, so the
// ballistics recursion of one detector overlaps the others'. Branches of the scalar form become lane
// selections between values each computed exactly as the scalar form would. Built with AVX2 for this file
// alone; it uses intrinsics and raw pointers only, so no shared inline code is compiled for AVX2 here.
#include "dsp/GainComputerLanes.h"

#include <immintrin.h>

namespace vivera::dsp::kernels
{
namespace
{
constexpr int kLanes = 4;
constexpr int kRegisters = 4;
constexpr int kMaxChunk = 32;

__m256d fromLanes(const GainLane* const* lanes, double (*field)(const GainLane&)) noexcept
{
    alignas(32) double v[kLanes];
    for (int l = 0; l < kLanes; ++l)
        v[l] = lanes[l] != nullptr ? field(*lanes[l]) : 0.0;
    return _mm256_load_pd(v);
}

__m256d maskFromLanes(const GainLane* const* lanes, bool (*flag)(const GainLane&)) noexcept
{
    alignas(32) long long v[kLanes];
    for (int l = 0; l < kLanes; ++l)
        v[l] = lanes[l] != nullptr && flag(*lanes[l]) ? -1 : 0;
    return _mm256_castsi256_pd(_mm256_load_si256(reinterpret_cast<const __m256i*>(v)));
}

// rows[i] = sample i of the four lanes' arrays (zeros for a missing array).
void transposeIn(const double* const* arrays, int m, double (*rows)[kLanes]) noexcept
{
    int i = 0;
    for (; i + kLanes <= m; i += kLanes)
    {
        const __m256d r0 = _mm256_loadu_pd(arrays[0] + i), r1 = _mm256_loadu_pd(arrays[1] + i);
        const __m256d r2 = _mm256_loadu_pd(arrays[2] + i), r3 = _mm256_loadu_pd(arrays[3] + i);
        const __m256d t0 = _mm256_unpacklo_pd(r0, r1), t1 = _mm256_unpackhi_pd(r0, r1);
        const __m256d t2 = _mm256_unpacklo_pd(r2, r3), t3 = _mm256_unpackhi_pd(r2, r3);
        _mm256_store_pd(rows[i], _mm256_permute2f128_pd(t0, t2, 0x20));
        _mm256_store_pd(rows[i + 1], _mm256_permute2f128_pd(t1, t3, 0x20));
        _mm256_store_pd(rows[i + 2], _mm256_permute2f128_pd(t0, t2, 0x31));
        _mm256_store_pd(rows[i + 3], _mm256_permute2f128_pd(t1, t3, 0x31));
    }
    for (; i < m; ++i)
        for (int l = 0; l < kLanes; ++l)
            rows[i][l] = arrays[l][i];
}

struct Register
{
    __m256d levelScale, fullBandScale, sibilance, above, threshold;
    __m256d hardKnee, halfWidth, minusHalfWidth, twiceWidth, slope, attack, release;
    __m256d levelDb, reductionDb;
};
} // namespace

void runGainLanesAvx2(const GainLane* lanes, int count, int m) noexcept
{
    alignas(32) static const double kZeros[kMaxChunk] = {};
    for (int first = 0; first < count; first += kLanes * kRegisters)
    {
        const int batchLanes = count - first < kLanes * kRegisters ? count - first : kLanes * kRegisters;
        const int registers = (batchLanes + kLanes - 1) / kLanes;
        const GainLane* lane[kRegisters][kLanes];
        Register reg[kRegisters];
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

            Register& g = reg[r];
            const GainLane* const* in = lane[r];
            g.levelScale = fromLanes(in, [](const GainLane& x) { return x.transient ? 10.0 : 20.0; });
            g.fullBandScale = _mm256_set1_pd(10.0);
            g.sibilance =
                maskFromLanes(in, [](const GainLane& x) { return !x.transient && x.fullBand != nullptr; });
            g.above = maskFromLanes(in, [](const GainLane& x) { return x.above; });
            g.threshold = fromLanes(in, [](const GainLane& x) { return x.thresholdDb; });
            const __m256d width = fromLanes(in, [](const GainLane& x) { return x.kneeWidth; });
            g.hardKnee = _mm256_cmp_pd(width, _mm256_set1_pd(0.01), _CMP_LT_OQ);
            g.halfWidth = _mm256_mul_pd(_mm256_set1_pd(0.5), width);
            g.minusHalfWidth = _mm256_mul_pd(_mm256_set1_pd(-0.5), width);
            g.twiceWidth = _mm256_mul_pd(_mm256_set1_pd(2.0), width);
            g.slope = fromLanes(in, [](const GainLane& x) { return x.slope; });
            g.attack = fromLanes(in, [](const GainLane& x) { return x.attack; });
            g.release = fromLanes(in, [](const GainLane& x) { return x.release; });
            g.levelDb = fromLanes(in, [](const GainLane& x) { return *x.levelDb; });
            g.reductionDb = fromLanes(in, [](const GainLane& x) { return *x.reductionDb; });
        }

        const __m256d zero = _mm256_setzero_pd(), one = _mm256_set1_pd(1.0);
        for (int i = 0; i < m; ++i)
            for (int r = 0; r < registers; ++r)
            {
                Register& g = reg[r];
                // Level in dB: 20·log10 of the envelope (less 10·log10 of the full-band energy for
                // sibilance), or 10·log10 of the transient energy ratio.
                const __m256d scaled = _mm256_mul_pd(g.levelScale, _mm256_load_pd(level[r][i]));
                const __m256d lessFullBand =
                    _mm256_sub_pd(scaled, _mm256_mul_pd(g.fullBandScale, _mm256_load_pd(fullBand[r][i])));
                g.levelDb = _mm256_blendv_pd(scaled, lessFullBand, g.sibilance);
                const __m256d over = _mm256_blendv_pd(_mm256_sub_pd(g.threshold, g.levelDb),
                                                      _mm256_sub_pd(g.levelDb, g.threshold), g.above);
                // Knee: zero below it, the excess above it, a quadratic within it; a hard knee is max(over,
                // 0).
                const __m256d x = _mm256_add_pd(over, g.halfWidth);
                __m256d excess = _mm256_div_pd(_mm256_mul_pd(x, x), g.twiceWidth);
                excess = _mm256_blendv_pd(excess, over, _mm256_cmp_pd(over, g.halfWidth, _CMP_GT_OQ));
                excess = _mm256_blendv_pd(excess, zero, _mm256_cmp_pd(over, g.minusHalfWidth, _CMP_LT_OQ));
                const __m256d hard = _mm256_blendv_pd(over, zero, _mm256_cmp_pd(over, zero, _CMP_LT_OQ));
                excess = _mm256_blendv_pd(excess, hard, g.hardKnee);
                // Ballistics: attack while the wanted reduction rises above the smoothed one, else release.
                const __m256d wanted = _mm256_mul_pd(excess, g.slope);
                const __m256d coeff =
                    _mm256_blendv_pd(g.release, g.attack, _mm256_cmp_pd(wanted, g.reductionDb, _CMP_GT_OQ));
                g.reductionDb = _mm256_add_pd(_mm256_mul_pd(_mm256_sub_pd(one, coeff), wanted),
                                              _mm256_mul_pd(coeff, g.reductionDb));
            }

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
