// 256-bit body of the whole level detector: one lane per detector; the left (or only) and right sidechain
// filters in two registers, or in one for up to two detectors. Built with AVX2 for this file alone; besides
// intrinsics and raw pointers it compiles only the AVX2 step headers, which no other kind of file includes.
#include "dsp/LevelDetectorLanes.h"

#include "dsp/GainComputerStepAvx2.h"
#include "dsp/LaneRegistersAvx2.h"
#include "dsp/PortableLog10.h"
#include "dsp/PortableLog10Avx2Lanes.h"

#include <immintrin.h>

namespace vivera::dsp::kernels
{
namespace
{
constexpr int kLanes = kLevelDetectorLanes;
static_assert(kLanes == avx2::kRegisterLanes, "one detector per lane of a register");
using avx2::fromLanes;
using avx2::maskFromLanes;
using avx2::transposeIn;
constexpr int kMaxChunk = 32;
constexpr double kAmplitudeFloor = 1e-9;

// A state-variable section per lane: term for term processSvfSection.
struct SvfRegister
{
    __m256d a1, a2, a3, m0, m1, m2, ic1, ic2;

    __m256d step(__m256d u) noexcept
    {
        const __m256d e = _mm256_sub_pd(u, ic2);
        const __m256d bp = _mm256_add_pd(_mm256_mul_pd(a1, ic1), _mm256_mul_pd(a2, e));
        const __m256d lp = _mm256_add_pd(_mm256_add_pd(ic2, _mm256_mul_pd(a2, ic1)), _mm256_mul_pd(a3, e));
        ic1 = _mm256_sub_pd(_mm256_mul_pd(_mm256_set1_pd(2.0), bp), ic1);
        ic2 = _mm256_sub_pd(_mm256_mul_pd(_mm256_set1_pd(2.0), lp), ic2);
        return _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(m0, u), _mm256_mul_pd(m1, bp)),
                             _mm256_mul_pd(m2, lp));
    }
};

// One lane of a filter register: a detector's left (or only) or right sidechain filter, or idle.
struct FilterSlot
{
    const LevelDetectorLane* lane = nullptr;
    bool right = false;

    bool used() const noexcept { return lane != nullptr && (!right || lane->b != nullptr); }
    const double* input(const double* zeros) const noexcept
    {
        return used() ? (right ? lane->b : lane->a) : zeros;
    }
    double* ic1() const noexcept { return right ? lane->ic1R : lane->ic1L; }
    double* ic2() const noexcept { return right ? lane->ic2R : lane->ic2L; }
};

SvfRegister svfRegister(const FilterSlot* slot) noexcept
{
    alignas(32) double a1[kLanes], a2[kLanes], a3[kLanes], m0[kLanes], m1[kLanes], m2[kLanes];
    alignas(32) double ic1[kLanes], ic2[kLanes];
    for (int l = 0; l < kLanes; ++l)
    {
        const SvfCoefficients c = slot[l].lane != nullptr ? *slot[l].lane->filter : SvfCoefficients{};
        a1[l] = c.a1;
        a2[l] = c.a2;
        a3[l] = c.a3;
        m0[l] = c.m0;
        m1[l] = c.m1;
        m2[l] = c.m2;
        ic1[l] = slot[l].used() ? *slot[l].ic1() : 0.0;
        ic2[l] = slot[l].used() ? *slot[l].ic2() : 0.0;
    }
    return {_mm256_load_pd(a1), _mm256_load_pd(a2), _mm256_load_pd(a3),  _mm256_load_pd(m0),
            _mm256_load_pd(m1), _mm256_load_pd(m2), _mm256_load_pd(ic1), _mm256_load_pd(ic2)};
}

void storeFilterStates(const FilterSlot* slot, const SvfRegister& r) noexcept
{
    alignas(32) double ic1[kLanes], ic2[kLanes];
    _mm256_store_pd(ic1, r.ic1);
    _mm256_store_pd(ic2, r.ic2);
    for (int l = 0; l < kLanes; ++l)
        if (slot[l].used())
        {
            *slot[l].ic1() = ic1[l];
            *slot[l].ic2() = ic2[l];
        }
}

void storeLanes(const LevelDetectorLane* const* lane, __m256d value, double* LevelDetectorLane::*target,
                bool (*wanted)(const LevelDetectorLane&)) noexcept
{
    alignas(32) double v[kLanes];
    _mm256_store_pd(v, value);
    for (int l = 0; l < kLanes; ++l)
        if (lane[l] != nullptr && wanted(*lane[l]))
            *(lane[l]->*target) = v[l];
}
// Paired: at most two detectors, whose four sidechain filters share one register (left filters in lanes 0
// and 1, right filters in lanes 2 and 3); otherwise the left filters fill one register and the right ones
// another.
template <bool Paired> void runLevelDetectors(const LevelDetectorLane* lanes, int count, int m) noexcept
{
    alignas(32) static const double kZeros[kMaxChunk] = {};
    const LevelDetectorLane* lane[kLanes];
    for (int l = 0; l < kLanes; ++l)
        lane[l] = l < count ? &lanes[l] : nullptr;
    constexpr int kRegisters = Paired ? 1 : 2;
    FilterSlot slot[kRegisters][kLanes];
    for (int l = 0; l < kLanes; ++l)
    {
        if (Paired)
            slot[0][l] = {lane[l % 2], l >= 2};
        else
        {
            slot[0][l] = {lane[l], false};
            slot[kRegisters - 1][l] = {lane[l], true};
        }
    }
    alignas(32) double in[kRegisters][kMaxChunk][kLanes];
    SvfRegister filter[kRegisters];
    for (int r = 0; r < kRegisters; ++r)
    {
        const double* inputs[kLanes];
        for (int l = 0; l < kLanes; ++l)
            inputs[l] = slot[r][l].input(kZeros);
        transposeIn(inputs, m, in[r]);
        filter[r] = svfRegister(slot[r]);
    }

    const __m256d stereo = maskFromLanes(lane, [](const LevelDetectorLane& x) { return x.b != nullptr; });
    const __m256d rms = maskFromLanes(lane, [](const LevelDetectorLane& x) { return x.rms; });
    const __m256d follow10ms = fromLanes(lane, [](const LevelDetectorLane& x) { return x.follow10ms; });
    const __m256d peakDecay = fromLanes(lane, [](const LevelDetectorLane& x) { return x.peakDecay; });
    __m256d meanSquare = fromLanes(lane, [](const LevelDetectorLane& x) { return *x.meanSquare; });
    __m256d envelope = fromLanes(lane, [](const LevelDetectorLane& x) { return *x.envelope; });

    avx2::GainRegister gain;
    gain.levelScale = _mm256_set1_pd(20.0);
    gain.fullBandScale = _mm256_set1_pd(10.0);
    gain.sibilance = _mm256_setzero_pd();
    gain.above = maskFromLanes(lane, [](const LevelDetectorLane& x) { return x.above; });
    gain.threshold = fromLanes(lane, [](const LevelDetectorLane& x) { return x.thresholdDb; });
    avx2::setKneeWidths(gain, fromLanes(lane, [](const LevelDetectorLane& x) { return x.kneeWidth; }));
    gain.slope = fromLanes(lane, [](const LevelDetectorLane& x) { return x.slope; });
    gain.attack = fromLanes(lane, [](const LevelDetectorLane& x) { return x.attack; });
    gain.release = fromLanes(lane, [](const LevelDetectorLane& x) { return x.release; });
    gain.levelDb = fromLanes(lane, [](const LevelDetectorLane& x) { return *x.levelDb; });
    gain.reductionDb = fromLanes(lane, [](const LevelDetectorLane& x) { return *x.reductionDb; });

    const int activeLanes = (1 << count) - 1;
    const __m256d half = _mm256_set1_pd(0.5), floor = _mm256_set1_pd(kAmplitudeFloor);
    const __m256d signBit = _mm256_set1_pd(-0.0), zero = _mm256_setzero_pd();
    // Three passes over the chunk: the filters and envelopes, whose recursions overlap one another; the
    // logarithms, independent of one another; the gain computers. A logarithm's long latency would hold up
    // a single sample loop.
    alignas(32) double arguments[kMaxChunk][kLanes];
    for (int t = 0; t < m; ++t)
    {
        __m256d ya, yb;
        if constexpr (Paired)
        {
            ya = filter[0].step(_mm256_load_pd(in[0][t]));
            yb = _mm256_permute2f128_pd(ya, ya, 0x01); // each detector's right filter beside its left
        }
        else
        {
            ya = filter[0].step(_mm256_load_pd(in[0][t]));
            yb = filter[kRegisters - 1].step(_mm256_load_pd(in[kRegisters - 1][t]));
        }
        // Energy and peak of the filtered pair in Stereo, of the single filtered signal otherwise.
        const __m256d energy = _mm256_blendv_pd(
            _mm256_mul_pd(ya, ya),
            _mm256_mul_pd(half, _mm256_add_pd(_mm256_mul_pd(ya, ya), _mm256_mul_pd(yb, yb))), stereo);
        const __m256d absA = _mm256_andnot_pd(signBit, ya), absB = _mm256_andnot_pd(signBit, yb);
        // std::max(p, q) is q when p < q, else p: the instruction max(q, p).
        const __m256d peak = _mm256_blendv_pd(absA, _mm256_max_pd(absB, absA), stereo);
        meanSquare = _mm256_add_pd(meanSquare, _mm256_mul_pd(_mm256_sub_pd(energy, meanSquare), follow10ms));
        envelope = _mm256_max_pd(peak, _mm256_mul_pd(peakDecay, envelope));
        _mm256_store_pd(arguments[t],
                        _mm256_blendv_pd(_mm256_add_pd(envelope, floor),
                                         _mm256_add_pd(_mm256_sqrt_pd(meanSquare), floor), rms));
    }

    alignas(32) double levels[kMaxChunk][kLanes];
    // Zero, subnormal or non-finite arguments go through the scalar function.
    auto logarithms = [](__m256d argument, int special, double* out) noexcept
    {
        _mm256_store_pd(out, avx2::log10NormalLanes(argument));
        if (special != 0)
        {
            alignas(32) double in[kLanes];
            _mm256_store_pd(in, argument);
            for (int l = 0; l < kLanes; ++l)
                if ((special >> l) & 1)
                    out[l] = portableLog10(in[l]);
        }
    };
    if constexpr (Paired)
    {
        // Only lanes 0 and 1 carry a detector: two samples to a register.
        const int active = activeLanes | activeLanes << 2;
        for (int t = 0; t < m; t += 2)
        {
            const int next = t + 1 < m ? t + 1 : t;
            const __m256d argument =
                _mm256_set_m128d(_mm_load_pd(arguments[next]), _mm_load_pd(arguments[t]));
            alignas(32) double out[kLanes];
            logarithms(argument, avx2::log10SpecialLanes(argument) & active, out);
            levels[t][0] = out[0];
            levels[t][1] = out[1];
            levels[next][0] = out[2];
            levels[next][1] = out[3];
        }
        for (int t = 0; t < m; ++t)
            levels[t][2] = levels[t][3] = 0.0;
    }
    else
    {
        for (int t = 0; t < m; ++t)
        {
            const __m256d argument = _mm256_load_pd(arguments[t]);
            logarithms(argument, avx2::log10SpecialLanes(argument) & activeLanes, levels[t]);
        }
    }

    for (int t = 0; t < m; ++t)
        avx2::gainStep(gain, _mm256_load_pd(levels[t]), zero);

    auto always = [](const LevelDetectorLane&) { return true; };
    auto isRms = [](const LevelDetectorLane& x) { return x.rms; };
    auto isPeak = [](const LevelDetectorLane& x) { return !x.rms; };
    for (int r = 0; r < kRegisters; ++r)
        storeFilterStates(slot[r], filter[r]);
    storeLanes(lane, meanSquare, &LevelDetectorLane::meanSquare, isRms);
    // The RMS envelope is the root of the final mean square, as the phased form leaves it.
    storeLanes(lane, _mm256_sqrt_pd(meanSquare), &LevelDetectorLane::envelope, isRms);
    storeLanes(lane, envelope, &LevelDetectorLane::envelope, isPeak);
    storeLanes(lane, gain.levelDb, &LevelDetectorLane::levelDb, always);
    storeLanes(lane, gain.reductionDb, &LevelDetectorLane::reductionDb, always);
}

} // namespace

void runLevelDetectorsAvx2(const LevelDetectorLane* lanes, int count, int m) noexcept
{
    if (count <= 2)
        runLevelDetectors<true>(lanes, count, m);
    else
        runLevelDetectors<false>(lanes, count, m);
}

} // namespace vivera::dsp::kernels
