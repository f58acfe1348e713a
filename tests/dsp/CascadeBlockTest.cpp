// Block kernels against the per-sample recursion, bit for bit, for every layout and every block length
// (pipeline fill and drain included), with state carried across consecutive blocks, on every kernel path.
#include "dsp/CascadeBlock.h"

#include "SimdLevels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace vivera::dsp
{
namespace
{
constexpr double kFs = 48000.0;

void expectBlockKernelsMatchPerSampleRecursion();

TEST(CascadeBlock, MatchesPerSampleRecursionBitForBit)
{
    for (SimdLevel level : test::supportedSimdLevels())
    {
        SCOPED_TRACE(test::simdLevelName(level));
        const test::ScopedSimdLevel scoped(level);
        expectBlockKernelsMatchPerSampleRecursion();
    }
}

void expectBlockKernelsMatchPerSampleRecursion()
{
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    const int lengths[] = {1, 2, 3, 5, 7, 8, 9, 15, 31, 32, 33, 70};
    for (bool solo : {false, true})
        for (int kind = 0; kind <= 5; ++kind)
            for (int slope = 0; slope <= 5; ++slope)
                for (double wet : {1.0, 0.4})
                {
                    BandCascade cascade = designCascade(kind, slope, 900.0, 3.0, 9.0, kFs, solo);
                    cascade.wet = wet;
                    BandChannelState refL, refR, mono, stereoL, stereoR;
                    for (int n : lengths)
                    {
                        std::vector<double> left(static_cast<size_t>(n)), right(static_cast<size_t>(n));
                        for (int i = 0; i < n; ++i)
                        {
                            left[static_cast<size_t>(i)] = dist(rng);
                            right[static_cast<size_t>(i)] = dist(rng);
                        }
                        std::vector<double> expectedL = left, expectedR = right, monoOut = left;
                        for (int i = 0; i < n; ++i)
                        {
                            expectedL[static_cast<size_t>(i)] =
                                processCascade(cascade, refL, left[static_cast<size_t>(i)]);
                            expectedR[static_cast<size_t>(i)] =
                                processCascade(cascade, refR, right[static_cast<size_t>(i)]);
                        }
                        runCascadeBlock(cascade, mono, monoOut.data(), n);
                        runCascadeBlockStereo(cascade, stereoL, stereoR, left.data(), right.data(), n);
                        const size_t bytes = sizeof(double) * static_cast<size_t>(n);
                        ASSERT_EQ(std::memcmp(monoOut.data(), expectedL.data(), bytes), 0)
                            << "mono kind " << kind << " slope " << slope << " solo " << solo << " n " << n;
                        ASSERT_EQ(std::memcmp(left.data(), expectedL.data(), bytes), 0)
                            << "left kind " << kind << " slope " << slope << " solo " << solo << " n " << n;
                        ASSERT_EQ(std::memcmp(right.data(), expectedR.data(), bytes), 0)
                            << "right kind " << kind << " slope " << slope << " solo " << solo << " n " << n;
                    }
                    EXPECT_EQ(std::memcmp(&mono, &refL, sizeof mono), 0);
                    EXPECT_EQ(std::memcmp(&stereoL, &refL, sizeof mono), 0);
                    EXPECT_EQ(std::memcmp(&stereoR, &refR, sizeof mono), 0);
                }
}

} // namespace
} // namespace vivera::dsp
