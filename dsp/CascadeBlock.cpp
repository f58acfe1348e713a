// Block kernels for a band cascade. Each section is a causal filter of its own input, so a cascade may be
// run in pieces, one piece over the whole block before the next, without changing a single bit. Runs of
// consecutive state-variable sections are software-pipelined with their states in registers, so the long
// latency chain of one section overlaps the others'; a stereo pair shares one SSE2 register, or with AVX2
// two sections of a stereo pair share one 256-bit register.
#include "dsp/CascadeBlock.h"
#include "dsp/CascadeBlockKernels.h"
#include "dsp/Constants.h"
#include "dsp/SimdBuild.h"
#include "dsp/SimdLevel.h"

#include <algorithm>

// VIVERA_NO_SIMD builds the portable scalar kernels only (as on targets without SSE2).
#if !defined(VIVERA_NO_SIMD) &&                                                                              \
    (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2))
#include <emmintrin.h>
#define VIVERA_CASCADE_SSE2 1
#endif

namespace vivera::dsp
{
namespace
{

// One channel: plain doubles.
struct Mono
{
    using Value = double;
    static Value broadcast(double v) noexcept { return v; }
    static Value add(Value a, Value b) noexcept { return a + b; }
    static Value sub(Value a, Value b) noexcept { return a - b; }
    static Value mul(Value a, Value b) noexcept { return a * b; }
};

#if VIVERA_CASCADE_SSE2
// Left and right in one register: the same IEEE operations on both lanes.
struct StereoSse2
{
    using Value = __m128d;
    static Value broadcast(double v) noexcept { return _mm_set1_pd(v); }
    static Value add(Value a, Value b) noexcept { return _mm_add_pd(a, b); }
    static Value sub(Value a, Value b) noexcept { return _mm_sub_pd(a, b); }
    static Value mul(Value a, Value b) noexcept { return _mm_mul_pd(a, b); }
};
#endif

using StateArray = std::array<double, kMaxSections> BandChannelState::*;

// Channel access for the two layouts: one buffer and one state, or a left/right pair of each.
struct MonoIo
{
    double* x;
    BandChannelState* st;
    double load(int i) const noexcept { return x[i]; }
    void store(int i, double v) const noexcept { x[i] = v; }
    double state(StateArray member, int s) const noexcept { return (st->*member)[static_cast<size_t>(s)]; }
    void setState(StateArray member, int s, double v) const noexcept
    {
        (st->*member)[static_cast<size_t>(s)] = v;
    }
};

#if VIVERA_CASCADE_SSE2
struct StereoIo
{
    double* left;
    double* right;
    BandChannelState* stL;
    BandChannelState* stR;
    __m128d load(int i) const noexcept { return _mm_set_pd(right[i], left[i]); }
    void store(int i, __m128d v) const noexcept
    {
        _mm_store_sd(left + i, v);
        _mm_storeh_pd(right + i, v);
    }
    __m128d state(StateArray member, int s) const noexcept
    {
        return _mm_set_pd((stR->*member)[static_cast<size_t>(s)], (stL->*member)[static_cast<size_t>(s)]);
    }
    void setState(StateArray member, int s, __m128d v) const noexcept
    {
        _mm_store_sd(&(stL->*member)[static_cast<size_t>(s)], v);
        _mm_storeh_pd(&(stR->*member)[static_cast<size_t>(s)], v);
    }
};
#endif

// Sections first..first+Count-1, all state-variable, as a software pipeline: iteration t runs section s on
// sample t - s, so the sections of one iteration are independent and their long input-to-output chains
// overlap. States stay in locals. Term for term the arithmetic of processSvfSection.
template <class Ops, int Count, class Io>
void runSvfRun(const BandCascade& cascade, int first, const Io& io, int n) noexcept
{
    using V = typename Ops::Value;
    V a1[Count], a2[Count], a3[Count], m0[Count], m1[Count], m2[Count], ic1[Count], ic2[Count];
    for (int s = 0; s < Count; ++s)
    {
        const SvfCoefficients& c = cascade.sections[static_cast<size_t>(first + s)].svf;
        a1[s] = Ops::broadcast(c.a1);
        a2[s] = Ops::broadcast(c.a2);
        a3[s] = Ops::broadcast(c.a3);
        m0[s] = Ops::broadcast(c.m0);
        m1[s] = Ops::broadcast(c.m1);
        m2[s] = Ops::broadcast(c.m2);
        ic1[s] = io.state(&BandChannelState::ic1, first + s);
        ic2[s] = io.state(&BandChannelState::ic2, first + s);
    }
    const V two = Ops::broadcast(2.0);
    auto section = [&](int s, V u) noexcept
    {
        const V e = Ops::sub(u, ic2[s]);
        const V bp = Ops::add(Ops::mul(a1[s], ic1[s]), Ops::mul(a2[s], e));
        const V lp = Ops::add(Ops::add(ic2[s], Ops::mul(a2[s], ic1[s])), Ops::mul(a3[s], e));
        ic1[s] = Ops::sub(Ops::mul(two, bp), ic1[s]);
        ic2[s] = Ops::sub(Ops::mul(two, lp), ic2[s]);
        return Ops::add(Ops::add(Ops::mul(m0[s], u), Ops::mul(m1[s], bp)), Ops::mul(m2[s], lp));
    };

    V stageOut[Count]; // stageOut[s]: section s's output from the previous iteration
    // Later sections first, so each reads its predecessor's output before it is overwritten.
    auto partialIteration = [&](int t) noexcept
    {
        for (int s = Count - 1; s >= 0; --s)
        {
            const int sample = t - s;
            if (sample < 0 || sample >= n)
                continue;
            stageOut[s] = section(s, s == 0 ? io.load(sample) : stageOut[s - 1]);
            if (s == Count - 1)
                io.store(sample, stageOut[s]);
        }
    };
    const int fill = Count - 1;
    const int total = n + fill;
    for (int t = 0; t < std::min(fill, total); ++t)
        partialIteration(t);
    for (int t = fill; t < n; ++t)
    {
        for (int s = Count - 1; s > 0; --s)
            stageOut[s] = section(s, stageOut[s - 1]);
        stageOut[0] = section(0, io.load(t));
        io.store(t - fill, stageOut[Count - 1]);
    }
    for (int t = std::max(fill, n); t < total; ++t)
        partialIteration(t);

    for (int s = 0; s < Count; ++s)
    {
        io.setState(&BandChannelState::ic1, first + s, ic1[s]);
        io.setState(&BandChannelState::ic2, first + s, ic2[s]);
    }
}

// One one-pole section over the block; the arithmetic of processOnePole.
template <class Ops, class Io>
void runOnePole(const FilterSection& section, int index, const Io& io, int n) noexcept
{
    using V = typename Ops::Value;
    const V G = Ops::broadcast(section.G);
    V s = io.state(&BandChannelState::s, index);
    for (int i = 0; i < n; ++i)
    {
        const V u = io.load(i);
        const V d = Ops::mul(Ops::sub(u, s), G);
        const V low = Ops::add(s, d);
        s = Ops::add(low, d);
        io.store(i, section.isHighPass ? Ops::sub(u, low) : low);
    }
    io.setState(&BandChannelState::s, index, s);
}

// Longest run in one pipeline: four sections' states and outputs still fit the sixteen SSE2 registers;
// longer runs spill and measure slower.
constexpr int kMaxRun = 4;

// All sections of the cascade, in order, consecutive state-variable sections in runs of up to kMaxRun.
template <class Ops, class Io> void runSections(const BandCascade& cascade, const Io& io, int n) noexcept
{
    int first = 0;
    while (first < cascade.sectionCount)
    {
        if (cascade.sections[static_cast<size_t>(first)].isOnePole)
        {
            runOnePole<Ops>(cascade.sections[static_cast<size_t>(first)], first, io, n);
            ++first;
            continue;
        }
        int count = 1;
        while (first + count < cascade.sectionCount && count < kMaxRun &&
               !cascade.sections[static_cast<size_t>(first + count)].isOnePole)
            ++count;
        switch (count)
        {
        case 1:
            runSvfRun<Ops, 1>(cascade, first, io, n);
            break;
        case 2:
            runSvfRun<Ops, 2>(cascade, first, io, n);
            break;
        case 3:
            runSvfRun<Ops, 3>(cascade, first, io, n);
            break;
        default:
            runSvfRun<Ops, 4>(cascade, first, io, n);
            break;
        }
        first += count;
    }
}

#if VIVERA_CASCADE_SSE2
// One channel, sections first..first+2H-1, two sections to a register: lane 0 runs section j on sample
// t - j while lane 1 runs section j + H on sample t - j - H, fed by lane 0 of the last pair. A mono chain
// then uses both lanes like a stereo pair does. During pipeline fill and drain the lanes without a sample
// compute on padding and keep their states.
template <int H>
void runPairedSvfRun(const BandCascade& cascade, int first, double* x, BandChannelState& st, int n) noexcept
{
    constexpr int kDepth = 2 * H;
    __m128d a1[H], a2[H], a3[H], m0[H], m1[H], m2[H], ic1[H], ic2[H], stageOut[H];
    for (int j = 0; j < H; ++j)
    {
        const size_t lo = static_cast<size_t>(first + j), hi = static_cast<size_t>(first + j + H);
        const SvfCoefficients& c0 = cascade.sections[lo].svf;
        const SvfCoefficients& c1 = cascade.sections[hi].svf;
        a1[j] = _mm_set_pd(c1.a1, c0.a1);
        a2[j] = _mm_set_pd(c1.a2, c0.a2);
        a3[j] = _mm_set_pd(c1.a3, c0.a3);
        m0[j] = _mm_set_pd(c1.m0, c0.m0);
        m1[j] = _mm_set_pd(c1.m1, c0.m1);
        m2[j] = _mm_set_pd(c1.m2, c0.m2);
        ic1[j] = _mm_set_pd(st.ic1[hi], st.ic1[lo]);
        ic2[j] = _mm_set_pd(st.ic2[hi], st.ic2[lo]);
        stageOut[j] = _mm_setzero_pd();
    }
    const __m128d two = _mm_set1_pd(2.0);
    auto section = [&](int j, __m128d u) noexcept
    {
        const __m128d e = _mm_sub_pd(u, ic2[j]);
        const __m128d bp = _mm_add_pd(_mm_mul_pd(a1[j], ic1[j]), _mm_mul_pd(a2[j], e));
        const __m128d lp = _mm_add_pd(_mm_add_pd(ic2[j], _mm_mul_pd(a2[j], ic1[j])), _mm_mul_pd(a3[j], e));
        ic1[j] = _mm_sub_pd(_mm_mul_pd(two, bp), ic1[j]);
        ic2[j] = _mm_sub_pd(_mm_mul_pd(two, lp), ic2[j]);
        return _mm_add_pd(_mm_add_pd(_mm_mul_pd(m0[j], u), _mm_mul_pd(m1[j], bp)), _mm_mul_pd(m2[j], lp));
    };

    double input[kSubBlockSize + kDepth] = {};
    std::copy(x, x + n, input);
    // Lane 0: the next input sample; lane 1: the first half's last output, from the previous iteration.
    auto feed = [&](int t) noexcept { return _mm_unpacklo_pd(_mm_load_sd(input + t), stageOut[H - 1]); };
    auto partialIteration = [&](int t) noexcept
    {
        const __m128d in0 = feed(t);
        for (int j = H - 1; j >= 0; --j)
        {
            const int sample0 = t - j, sample1 = t - j - H;
            const bool active0 = sample0 >= 0 && sample0 < n, active1 = sample1 >= 0 && sample1 < n;
            if (!active0 && !active1)
                continue;
            const __m128d keep = _mm_castsi128_pd(_mm_set_epi64x(active1 ? 0 : -1, active0 ? 0 : -1));
            const __m128d old1 = ic1[j], old2 = ic2[j];
            stageOut[j] = section(j, j == 0 ? in0 : stageOut[j - 1]);
            ic1[j] = _mm_or_pd(_mm_andnot_pd(keep, ic1[j]), _mm_and_pd(keep, old1));
            ic2[j] = _mm_or_pd(_mm_andnot_pd(keep, ic2[j]), _mm_and_pd(keep, old2));
            if (j == H - 1 && active1)
                _mm_storeh_pd(x + sample1, stageOut[j]);
        }
    };
    const int fill = kDepth - 1;
    const int total = n + fill;
    for (int t = 0; t < std::min(fill, total); ++t)
        partialIteration(t);
    for (int t = fill; t < n; ++t)
    {
        const __m128d in0 = feed(t);
        for (int j = H - 1; j > 0; --j)
            stageOut[j] = section(j, stageOut[j - 1]);
        stageOut[0] = section(0, in0);
        _mm_storeh_pd(x + t - fill, stageOut[H - 1]);
    }
    for (int t = std::max(fill, n); t < total; ++t)
        partialIteration(t);

    for (int j = 0; j < H; ++j)
    {
        const size_t lo = static_cast<size_t>(first + j), hi = static_cast<size_t>(first + j + H);
        _mm_store_sd(&st.ic1[lo], ic1[j]);
        _mm_storeh_pd(&st.ic1[hi], ic1[j]);
        _mm_store_sd(&st.ic2[lo], ic2[j]);
        _mm_storeh_pd(&st.ic2[hi], ic2[j]);
    }
}

// One channel's cascade: runs of state-variable sections go two to a register where they pair up.
void runSectionsPaired(const BandCascade& cascade, double* x, BandChannelState& st, int n) noexcept
{
    const MonoIo io{x, &st};
    int first = 0;
    while (first < cascade.sectionCount)
    {
        if (cascade.sections[static_cast<size_t>(first)].isOnePole)
        {
            runOnePole<Mono>(cascade.sections[static_cast<size_t>(first)], first, io, n);
            ++first;
            continue;
        }
        int count = 1;
        while (first + count < cascade.sectionCount && count < kMaxSections &&
               !cascade.sections[static_cast<size_t>(first + count)].isOnePole)
            ++count;
        if (count % 2 == 1)
        {
            runSvfRun<Mono, 1>(cascade, first, io, n);
            ++first;
            --count;
        }
        switch (count / 2)
        {
        case 0:
            break;
        case 1:
            runPairedSvfRun<1>(cascade, first, x, st, n);
            break;
        case 2:
            runPairedSvfRun<2>(cascade, first, x, st, n);
            break;
        case 3:
            runPairedSvfRun<3>(cascade, first, x, st, n);
            break;
        default:
            runPairedSvfRun<4>(cascade, first, x, st, n);
            break;
        }
        first += count;
    }
}
#endif

#if VIVERA_CASCADE_SSE2 && VIVERA_SIMD_AVX2
// A stereo pair's cascade with the 256-bit kernel: runs of state-variable sections go two sections (four
// channels) to a register; a run's odd first section and the one-poles stay in 128-bit registers.
void runSectionsStereoPaired(const BandCascade& cascade, const StereoIo& io, int n) noexcept
{
    int first = 0;
    while (first < cascade.sectionCount)
    {
        if (cascade.sections[static_cast<size_t>(first)].isOnePole)
        {
            runOnePole<StereoSse2>(cascade.sections[static_cast<size_t>(first)], first, io, n);
            ++first;
            continue;
        }
        int count = 1;
        while (first + count < cascade.sectionCount &&
               !cascade.sections[static_cast<size_t>(first + count)].isOnePole)
            ++count;
        if (count % 2 == 1)
        {
            runSvfRun<StereoSse2, 1>(cascade, first, io, n);
            ++first;
            --count;
        }
        if (count > 0)
        {
            const size_t at = static_cast<size_t>(first);
            kernels::StereoSectionRun run{cascade.sections.data() + at,
                                          count / 2,
                                          io.left,
                                          io.right,
                                          io.stL->ic1.data() + at,
                                          io.stL->ic2.data() + at,
                                          io.stR->ic1.data() + at,
                                          io.stR->ic2.data() + at};
            kernels::runStereoSvfPairsAvx2(run, n);
        }
        first += count;
    }
}
#endif

// Dry/wet blend after the last section, as processCascade does it.
void blendWet(double wet, const double* dry, double* y, int n) noexcept
{
    for (int i = 0; i < n; ++i)
        y[i] = dry[i] + wet * (y[i] - dry[i]);
}

} // namespace

void runCascadeBlock(const BandCascade& cascade, BandChannelState& st, double* x, int n) noexcept
{
    for (int offset = 0; offset < n; offset += kSubBlockSize)
    {
        const int m = std::min(kSubBlockSize, n - offset);
        double* block = x + offset;
        double dry[kSubBlockSize];
        const bool blend = cascade.wet < 1.0;
        if (blend)
            std::copy(block, block + m, dry);
#if VIVERA_CASCADE_SSE2
        runSectionsPaired(cascade, block, st, m);
#else
        runSections<Mono>(cascade, MonoIo{block, &st}, m);
#endif
        if (blend)
            blendWet(cascade.wet, dry, block, m);
    }
}

void runCascadeBlockStereo(const BandCascade& cascade, BandChannelState& stL, BandChannelState& stR,
                           double* left, double* right, int n) noexcept
{
#if VIVERA_CASCADE_SSE2
    for (int offset = 0; offset < n; offset += kSubBlockSize)
    {
        const int m = std::min(kSubBlockSize, n - offset);
        double* l = left + offset;
        double* r = right + offset;
        double dryL[kSubBlockSize], dryR[kSubBlockSize];
        const bool blend = cascade.wet < 1.0;
        if (blend)
        {
            std::copy(l, l + m, dryL);
            std::copy(r, r + m, dryR);
        }
        const StereoIo io{l, r, &stL, &stR};
#if VIVERA_SIMD_AVX2
        if (activeSimdLevel() == SimdLevel::avx2)
            runSectionsStereoPaired(cascade, io, m);
        else
#endif
            runSections<StereoSse2>(cascade, io, m);
        if (blend)
        {
            blendWet(cascade.wet, dryL, l, m);
            blendWet(cascade.wet, dryR, r, m);
        }
    }
#else
    runCascadeBlock(cascade, stL, left, n);
    runCascadeBlock(cascade, stR, right, n);
#endif
}

} // namespace vivera::dsp
