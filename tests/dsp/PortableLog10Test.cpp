// The detectors' logarithm: within one ulp of the exact value over the range the levels use, the usual
// answers for zero, negative, infinite and NaN inputs, and the same bits from every kernel path.
#include "dsp/PortableLog10.h"
#include "SimdLevels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace vivera::dsp
{
namespace
{
using namespace test;

// Error of a double result against a long double reference, in units of the result's last place.
double ulpError(double result, long double exact)
{
    const double rounded = static_cast<double>(exact);
    const double ulp =
        std::nextafter(std::abs(rounded), std::numeric_limits<double>::infinity()) - std::abs(rounded);
    return static_cast<double>(std::abs(static_cast<long double>(result) - exact) / ulp);
}

std::vector<double> sampleInputs()
{
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> exponent(-15.0, 6.0);
    std::uniform_real_distribution<double> nearOne(-1e-3, 1e-3);
    std::vector<double> values;
    for (int i = 0; i < 200000; ++i)
        values.push_back(std::pow(10.0, exponent(rng)));
    for (int i = 0; i < 20000; ++i)
        values.push_back(1.0 + nearOne(rng));
    for (double v : {1e-12, 1e-9, 0.5, 0.70710678118654752, 1.4142135623730951, 2.0, 10.0, 1e300,
                     std::numeric_limits<double>::min(), std::numeric_limits<double>::max()})
        values.push_back(v);
    return values;
}

TEST(PortableLog10, WithinOneUlpOfTheExactValue)
{
    double worst = 0.0;
    for (double x : sampleInputs())
    {
        const long double exact = std::log10(static_cast<long double>(x));
        worst = std::max(worst, ulpError(portableLog10(x), exact));
        ASSERT_LT(ulpError(portableLog10(x), exact), 1.0) << x;
    }
    EXPECT_GT(worst, 0.0) << "the comparison must see rounding at all";
}

TEST(PortableLog10, SpecialInputs)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(portableLog10(1.0), 0.0);
    EXPECT_FALSE(std::signbit(portableLog10(1.0)));
    EXPECT_EQ(portableLog10(0.0), -inf);
    EXPECT_EQ(portableLog10(-0.0), -inf);
    EXPECT_EQ(portableLog10(inf), inf);
    EXPECT_TRUE(std::isnan(portableLog10(-1.0)));
    EXPECT_TRUE(std::isnan(portableLog10(-inf)));
    EXPECT_TRUE(std::isnan(portableLog10(std::numeric_limits<double>::quiet_NaN())));
    const double subnormal = std::numeric_limits<double>::denorm_min() * 12345.0;
    EXPECT_LT(ulpError(portableLog10(subnormal), std::log10(static_cast<long double>(subnormal))), 1.0);
}

// Every length (vector bodies and tails) and every kind of input, special lanes mixed among normal ones.
TEST(PortableLog10, EveryKernelPathGivesTheScalarBits)
{
    std::vector<double> input = sampleInputs();
    input.resize(4000);
    const double specials[] = {
        0.0,    -0.0, -2.0, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(),
        1e-310, 1.0};
    for (size_t i = 0; i < input.size(); i += 37)
        input[i] = specials[(i / 37) % (sizeof specials / sizeof specials[0])];
    std::vector<double> expected(input.size());
    for (size_t i = 0; i < input.size(); ++i)
        expected[i] = portableLog10(input[i]);

    for (SimdLevel level : supportedSimdLevels())
    {
        ScopedSimdLevel forced(level);
        for (int n : {0, 1, 2, 3, 4, 5, 7, 8, 31, 32, 33, 4000})
        {
            std::vector<double> out(static_cast<size_t>(n), 99.0);
            portableLog10Block(input.data(), out.data(), n);
            if (n == 0) // an empty vector's data() may be null, which memcmp must never be given
                continue;
            ASSERT_EQ(std::memcmp(out.data(), expected.data(), sizeof(double) * static_cast<size_t>(n)), 0)
                << simdLevelName(level) << " n " << n;
        }
        std::vector<double> inPlace = input; // same array in and out
        portableLog10Block(inPlace.data(), inPlace.data(), static_cast<int>(inPlace.size()));
        ASSERT_EQ(std::memcmp(inPlace.data(), expected.data(), sizeof(double) * input.size()), 0)
            << simdLevelName(level) << " in place";
    }
}

TEST(SimdLevel, ForcingClampsToTheSupportedLevel)
{
    forceSimdLevel(SimdLevel::scalar);
    EXPECT_EQ(activeSimdLevel(), SimdLevel::scalar);
    forceSimdLevel(SimdLevel::avx2);
    EXPECT_EQ(activeSimdLevel(), supportedSimdLevel());
    resetSimdLevel();
    EXPECT_EQ(activeSimdLevel(), supportedSimdLevel());
    EXPECT_EQ(supportedSimdLevelCount(), static_cast<int>(supportedSimdLevel()) + 1);
}

} // namespace
} // namespace vivera::dsp
