// Real FFT: spectra against a direct DFT at every supported size, and the round trip.
#include "dsp/RealFft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace vivera::dsp
{
namespace
{

TEST(RealFft, MatchesTheDirectTransformAndRoundTrips)
{
    static RealFft fft;
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    for (int n = 4; n <= RealFft::kMaxSize; n *= 2)
    {
        fft.prepare(n);
        ASSERT_EQ(fft.size, n);
        std::vector<double> x(n), spectrum(n + 2), back(n);
        for (auto& v : x)
            v = dist(rng);
        fft.forward(x.data(), spectrum.data());
        for (int k = 0; k <= n / 2; ++k)
        {
            double re = 0.0, im = 0.0;
            for (int i = 0; i < n; ++i)
            {
                const double angle = -2.0 * 3.14159265358979323846 * static_cast<double>(k) * i / n;
                re += x[i] * std::cos(angle);
                im += x[i] * std::sin(angle);
            }
            ASSERT_NEAR(spectrum[2 * k], re, 1e-12 * n) << "n " << n << " bin " << k;
            ASSERT_NEAR(spectrum[2 * k + 1], im, 1e-12 * n) << "n " << n << " bin " << k;
        }
        fft.inverse(spectrum.data(), back.data());
        for (int i = 0; i < n; ++i)
            ASSERT_NEAR(back[i], x[i], 1e-14 * n) << "n " << n << " sample " << i;
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
