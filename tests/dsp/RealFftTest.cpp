// Real FFT: spectra against a direct DFT in double at every supported size and on every vector path, and the
// round trip. The transform runs in single precision: its errors are a few units of float rounding times the
// spectrum's scale (sqrt(n) for unit-range noise), while a wrong twiddle, slot or lane is off by the scale
// itself.
#include "dsp/RealFft.h"
#include "SimdLevels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace vivera::dsp
{
namespace
{
using test::ScopedSimdLevel;
using test::simdLevelName;
using test::supportedSimdLevels;

constexpr double kFloatEpsilon = 1.1920929e-7;

TEST(RealFft, MatchesTheDirectTransformAndRoundTrips)
{
    static RealFft fft;
    for (const SimdLevel level : supportedSimdLevels())
    {
        const ScopedSimdLevel scoped(level);
        std::mt19937 rng(11);
        std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
        for (int n = 4; n <= RealFft::kMaxSize; n *= 2)
        {
            fft.prepare(n);
            ASSERT_EQ(fft.size, n);
            std::vector<float> x(n), spectrum(n + 2), back(n);
            for (auto& v : x)
                v = dist(rng);
            fft.forward(x.data(), spectrum.data());
            const double tolerance = 8.0 * kFloatEpsilon * std::log2(n) * std::sqrt(n);
            for (int k = 0; k <= n / 2; ++k)
            {
                double re = 0.0, im = 0.0;
                for (int i = 0; i < n; ++i)
                {
                    const double angle = -2.0 * 3.14159265358979323846 * static_cast<double>(k) * i / n;
                    re += x[i] * std::cos(angle);
                    im += x[i] * std::sin(angle);
                }
                ASSERT_NEAR(spectrum[2 * k], re, tolerance)
                    << simdLevelName(level) << " n " << n << " bin " << k;
                ASSERT_NEAR(spectrum[2 * k + 1], im, tolerance)
                    << simdLevelName(level) << " n " << n << " bin " << k;
            }
            fft.inverse(spectrum.data(), back.data());
            for (int i = 0; i < n; ++i)
                ASSERT_NEAR(back[i], x[i], 8.0 * kFloatEpsilon * std::log2(n))
                    << simdLevelName(level) << " n " << n << " sample " << i;
        }
    }
}

// The packed spectra skip the reordering; a product of two of them must still give the circular
// cross-correlation, including the DC and Nyquist bins that share a slot.
TEST(RealFft, PackedSpectraGiveTheCircularCrossCorrelation)
{
    static RealFft fft;
    static RealFft::PackedSpectrum a, b;
    for (const SimdLevel level : supportedSimdLevels())
    {
        const ScopedSimdLevel scoped(level);
        std::mt19937 rng(5);
        std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
        for (int n = 4; n <= RealFft::kMaxSize; n *= 2)
        {
            fft.prepare(n);
            std::vector<float> x(n), y(n), correlation(n);
            for (int i = 0; i < n; ++i)
            {
                x[i] = dist(rng);
                y[i] = dist(rng) + 0.5f; // a DC offset exercises the packed DC bin
            }
            fft.forwardPacked(x.data(), a);
            fft.forwardPacked(y.data(), b);
            fft.multiplyConjugate(a, b);
            fft.inversePacked(b, correlation.data());
            for (int m = 0; m < n; ++m)
            {
                double direct = 0.0;
                for (int k = 0; k < n; ++k)
                    direct += static_cast<double>(x[k]) * y[(k + m) % n];
                ASSERT_NEAR(correlation[m], direct, 16.0 * kFloatEpsilon * std::log2(n) * std::sqrt(n))
                    << simdLevelName(level) << " n " << n << " lag " << m;
            }
        }
    }
}

TEST(RealFft, SizeIsClampedToAPowerOfTwo)
{
    static RealFft fft;
    const std::pair<int, int> cases[] = {{0, 4}, {-5, 4}, {5, 4}, {1000, 512}, {1024, 1024}, {4096, 1024}};
    for (const auto& [requested, expected] : cases)
    {
        fft.prepare(requested);
        EXPECT_EQ(fft.size, expected) << requested;
    }
}

} // namespace
} // namespace vivera::dsp
