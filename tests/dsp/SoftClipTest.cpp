// Soft clipper curve: transparent below -3 dBFS, smooth at the knee, and never above full scale.
#include "dsp/SoftClip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vivera::dsp
{
namespace
{
constexpr double kKnee = 0.70794578438;

TEST(SoftClip, CurvePoints)
{
    EXPECT_EQ(softClip(0.5), 0.5);
    EXPECT_EQ(softClip(-0.5), -0.5);
    EXPECT_EQ(softClip(kKnee), kKnee);
    EXPECT_NEAR(softClip(1.0), 0.93, 0.005);
    EXPECT_LT(softClip(2.0), 1.0);
    EXPECT_GT(softClip(2.0), 1.0 - 1e-4);
    EXPECT_EQ(softClip(-2.0), -softClip(2.0));
}

TEST(SoftClip, ContinuousWithUnitSlopeAtTheKnee)
{
    const double h = 1e-7;
    EXPECT_NEAR(softClip(kKnee + h), kKnee + h, 1e-12);
    EXPECT_NEAR((softClip(kKnee + 2 * h) - softClip(kKnee + h)) / h, 1.0, 1e-5);
}

TEST(SoftClip, NeverExceedsFullScaleAndIsMonotonic)
{
    double previous = softClip(0.0);
    for (double x = 0.0; x < 1e4; x = x * 1.001 + 1e-4)
    {
        const double y = softClip(x);
        ASSERT_LE(std::abs(y), 1.0) << x;
        ASSERT_LE(std::abs(softClip(-x)), 1.0) << x;
        ASSERT_GE(y, previous) << x;
        previous = y;
    }
    EXPECT_LE(softClip(std::numeric_limits<double>::infinity()), 1.0);
    EXPECT_GE(softClip(-std::numeric_limits<double>::infinity()), -1.0);
    EXPECT_LE(softClip(std::numeric_limits<double>::max()), 1.0);
}

} // namespace
} // namespace vivera::dsp
