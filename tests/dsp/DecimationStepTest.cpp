// The input cascade run a decimation period at a time must give what the three recursions give sample by
// sample (up to rounding), identically on every vector path, and must stop before a period whose result is
// not finite so that the caller can clear the recursions there.
#include "dsp/DecimationStep.h"
#include "SimdLevels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace vivera::dsp
{
namespace
{
using test::ScopedSimdLevel;
using test::simdLevelName;
using test::supportedSimdLevels;

struct Cascade
{
    TrackerBiquad highPass, lowPass1, lowPass2;
};

Cascade designedCascade(double fs, double hpHz, double lpHz)
{
    Cascade c;
    designTrackerBiquad(c.highPass, TrackerBiquadKind::highPass, hpHz, 0.70710678, fs, 20.0);
    designTrackerBiquad(c.lowPass1, TrackerBiquadKind::lowPass, lpHz, 0.5412, fs, 5000.0);
    designTrackerBiquad(c.lowPass2, TrackerBiquadKind::lowPass, lpHz, 1.30656, fs, 5000.0);
    return c;
}

TEST(DecimationStep, MatchesTheRecursionsOnEveryPath)
{
    struct Case
    {
        double fs, hpHz, lpHz;
        int length;
    };
    const Case cases[] = {{48000.0, 20.0, 4800.0, 4},   {96000.0, 20.0, 4800.0, 8},
                          {44100.0, 500.0, 200.0, 4},   {16000.0, 20.0, 5000.0, 1},
                          {192000.0, 80.0, 3000.0, 16}, {88200.0, 20.0, 4410.0, 7}};
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    for (const auto& c : cases)
    {
        const int periods = 200;
        std::vector<float> input(static_cast<size_t>(periods * c.length));
        for (auto& v : input)
            v = dist(rng);

        Cascade reference = designedCascade(c.fs, c.hpHz, c.lpHz);
        std::vector<double> expected;
        for (size_t i = 0; i < input.size(); ++i)
        {
            const double y = processTrackerBiquad(
                reference.lowPass2,
                processTrackerBiquad(reference.lowPass1, processTrackerBiquad(reference.highPass, input[i])));
            if ((i + 1) % static_cast<size_t>(c.length) == 0)
                expected.push_back(y);
        }

        const Cascade filters = designedCascade(c.fs, c.hpHz, c.lpHz);
        static DecimationStep step;
        designDecimationStep(step, filters.highPass, filters.lowPass1, filters.lowPass2, c.length);
        ASSERT_EQ(step.length, c.length);
        std::vector<float> firstPath;
        for (const SimdLevel level : supportedSimdLevels())
        {
            const ScopedSimdLevel scoped(level);
            double states[DecimationStep::kStates] = {};
            std::vector<float> kept(static_cast<size_t>(periods));
            ASSERT_EQ(runDecimationSteps(step, states, input.data(), periods, kept.data()), periods);
            for (int p = 0; p < periods; ++p)
                ASSERT_NEAR(kept[p], expected[p], 1e-6 * (1.0 + std::abs(expected[p])))
                    << simdLevelName(level) << " fs " << c.fs << " period " << p;
            const double finalStates[] = {reference.highPass.s1, reference.highPass.s2,
                                          reference.lowPass1.s1, reference.lowPass1.s2,
                                          reference.lowPass2.s1, reference.lowPass2.s2};
            for (int j = 0; j < DecimationStep::kStates; ++j)
                EXPECT_NEAR(states[j], finalStates[j], 1e-9 * (1.0 + std::abs(finalStates[j])))
                    << simdLevelName(level) << " fs " << c.fs << " state " << j;
            if (firstPath.empty())
                firstPath = kept;
            else
                EXPECT_EQ(kept, firstPath) << simdLevelName(level) << " fs " << c.fs;
        }
    }
}

TEST(DecimationStep, StopsBeforeANonFinitePeriodAndRejectsLongPeriods)
{
    const Cascade filters = designedCascade(48000.0, 20.0, 4800.0);
    static DecimationStep step;
    designDecimationStep(step, filters.highPass, filters.lowPass1, filters.lowPass2, 4);
    std::vector<float> input(40, 0.25f);
    input[13] = std::numeric_limits<float>::infinity(); // inside the fourth period
    for (const SimdLevel level : supportedSimdLevels())
    {
        const ScopedSimdLevel scoped(level);
        double states[DecimationStep::kStates] = {};
        float kept[10] = {};
        EXPECT_EQ(runDecimationSteps(step, states, input.data(), 10, kept), 3) << simdLevelName(level);
        for (double s : states)
            EXPECT_TRUE(std::isfinite(s)) << simdLevelName(level);
    }

    designDecimationStep(step, filters.highPass, filters.lowPass1, filters.lowPass2,
                         DecimationStep::kMaxLength + 1);
    EXPECT_EQ(step.length, 0);
}

} // namespace
} // namespace vivera::dsp
