#include "dsp/PitchAligner.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace vivera::dsp
{

namespace
{
// Measured on sampled instruments against exact note timing (tools/tracker-eval): a continuous move
// reaches the bands this long after the reading that shows it, a note change this much earlier than that.
constexpr double kReadingAgeSeconds = 0.046;
constexpr double kNoteChangeAdvanceSeconds = 0.030;
// The causal glide's time constant: a jump spread over this long moves the band no faster per step.
constexpr double kGlideSeconds = 0.030;
// Larger jumps between successive readings are note changes; vibrato moves far less per reading.
constexpr float kJumpLog = 0.035f;          // about 60 cents
constexpr float kSmallestMoveLog = 1.0e-5f; // about 0.02 cents

int steps(double seconds, double sampleRate)
{
    return static_cast<int>(std::lround(seconds * sampleRate / kSubBlockSize));
}

float& slot(PitchAligner& aligner, int64_t index)
{
    return aligner.logReading[static_cast<size_t>(index % PitchAligner::kCapacity)];
}

void addToWindow(PitchAligner& aligner, float value, int sign)
{
    if (value == 0.0f)
        return;
    aligner.windowSum += sign * static_cast<double>(value);
    aligner.windowCount += sign;
    if (aligner.windowCount == 0)
        aligner.windowSum = 0.0; // no drift carried over a gap
}

void pushGridStep(PitchAligner& aligner, float readingHz)
{
    const int64_t index = ++aligner.newest;
    if (readingHz > 0.0f && std::isfinite(readingHz))
    {
        const float value = std::log(readingHz);
        // A jump (or the first reading) is placed earlier: the steps before it take the new value. None of
        // them has entered the window yet.
        if (aligner.lastLogReading == 0.0f || std::abs(value - aligner.lastLogReading) > kJumpLog)
            for (int64_t j = std::max<int64_t>(0, index - aligner.advanceSteps); j < index; ++j)
                slot(aligner, j) = value;
        aligner.lastLogReading = value;
    }
    // A step without a reading holds the last one, so a note after a rest glides from the pitch held in the
    // rest as the causal follower does; before the first reading there is nothing (0).
    slot(aligner, index) = aligner.lastLogReading;

    // The window is centred delaySteps behind the newest step.
    const int64_t entering = index - (aligner.delaySteps - aligner.halfWindow);
    const int64_t leaving = entering - 2 * aligner.halfWindow - 1;
    if (entering >= 0)
        addToWindow(aligner, slot(aligner, entering), +1);
    if (leaving >= 0)
        addToWindow(aligner, slot(aligner, leaving), -1);
    if (aligner.windowCount > 0)
    {
        // The mean creeps by a fraction of a cent whenever the reading does; the bands take only moves they
        // could show, so a held note keeps its designs.
        const auto mean = static_cast<float>(aligner.windowSum / aligner.windowCount);
        if (!aligner.hasAligned || std::abs(mean - aligner.alignedLogPitch) >= kSmallestMoveLog)
            aligner.alignedLogPitch = mean;
        aligner.hasAligned = true;
    }
}
} // namespace

void prepareAligner(PitchAligner& aligner, double sampleRate) noexcept
{
    const int maxSteps = PitchAligner::kCapacity - 1;
    // Steep as the causal glide at most: one step moves a jump by 1 / (window length) <= 1 - exp(-step /
    // tau).
    const double stepShare = 1.0 - std::exp(-kSubBlockSize / (sampleRate * kGlideSeconds));
    const int window = static_cast<int>(std::ceil(1.0 / stepShare));
    aligner.halfWindow = std::clamp(window / 2, 0, maxSteps / 4);
    aligner.advanceSteps = std::clamp(steps(kNoteChangeAdvanceSeconds, sampleRate), 0, maxSteps / 4);
    // The window's newest step must be final: no later jump may still move it.
    const int centre =
        std::max(steps(kReadingAgeSeconds, sampleRate), aligner.advanceSteps + aligner.halfWindow);
    aligner.delaySteps = std::min(centre, maxSteps / 2);
    resetAligner(aligner);
}

void resetAligner(PitchAligner& aligner) noexcept
{
    std::fill(std::begin(aligner.logReading), std::end(aligner.logReading), 0.0f);
    aligner.newest = -1;
    aligner.pendingSamples = 0;
    aligner.lastLogReading = 0.0f;
    aligner.windowSum = 0.0;
    aligner.windowCount = 0;
    aligner.alignedLogPitch = 0.0f;
    aligner.hasAligned = false;
}

void pushAlignerReading(PitchAligner& aligner, float readingHz, int n) noexcept
{
    aligner.pendingSamples += std::max(n, 0);
    while (aligner.pendingSamples >= kSubBlockSize)
    {
        aligner.pendingSamples -= kSubBlockSize;
        pushGridStep(aligner, readingHz);
    }
}

} // namespace vivera::dsp
