// One sample of four detectors' gain computers in a 256-bit register, shared by the kernels compiled for
// AVX2 (include it only in files built with AVX2). Branches of the scalar form become lane selections
// between values each computed exactly as the scalar form would.
#pragma once

#include <immintrin.h>

namespace vivera::dsp::kernels::avx2
{

// Four gain computers' settings (lane by lane) and states.
struct GainRegister
{
    __m256d levelScale, fullBandScale, sibilance, above, threshold;
    __m256d hardKnee, halfWidth, minusHalfWidth, twiceWidth, slope, attack, release;
    __m256d levelDb, reductionDb;
};

// The knee's derived widths from the knee widths of the four lanes.
inline void setKneeWidths(GainRegister& g, __m256d width) noexcept
{
    g.hardKnee = _mm256_cmp_pd(width, _mm256_set1_pd(0.01), _CMP_LT_OQ);
    g.halfWidth = _mm256_mul_pd(_mm256_set1_pd(0.5), width);
    g.minusHalfWidth = _mm256_mul_pd(_mm256_set1_pd(-0.5), width);
    g.twiceWidth = _mm256_mul_pd(_mm256_set1_pd(2.0), width);
}

// One sample: level, excess over the threshold, knee, slope and ballistics. level and fullBand are the
// sample's log10 values.
inline void gainStep(GainRegister& g, __m256d level, __m256d fullBand) noexcept
{
    const __m256d zero = _mm256_setzero_pd(), one = _mm256_set1_pd(1.0);
    // Level in dB: 20·log10 of the envelope (less 10·log10 of the full-band energy for sibilance), or
    // 10·log10 of the transient energy ratio.
    const __m256d scaled = _mm256_mul_pd(g.levelScale, level);
    const __m256d lessFullBand = _mm256_sub_pd(scaled, _mm256_mul_pd(g.fullBandScale, fullBand));
    g.levelDb = _mm256_blendv_pd(scaled, lessFullBand, g.sibilance);
    const __m256d over = _mm256_blendv_pd(_mm256_sub_pd(g.threshold, g.levelDb),
                                          _mm256_sub_pd(g.levelDb, g.threshold), g.above);
    // Knee: zero below it, the excess above it, a quadratic within it; a hard knee is max(over, 0).
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
    g.reductionDb =
        _mm256_add_pd(_mm256_mul_pd(_mm256_sub_pd(one, coeff), wanted), _mm256_mul_pd(coeff, g.reductionDb));
}

} // namespace vivera::dsp::kernels::avx2
