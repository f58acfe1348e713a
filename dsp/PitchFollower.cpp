// Pitch follower: lock, log-domain smoothing, loss counting, freeze and the band-frequency rule.
#include "dsp/PitchFollower.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace vivera::dsp
{

namespace
{
constexpr float kSmoothingSeconds = 0.03f;
constexpr float kMinBandHz = 20.0f;
} // namespace

void resetFollower(PitchFollower& follower) noexcept
{
    follower.logPitch = std::log(220.0f);
    follower.bandLogPitch = follower.logPitch;
    follower.alignedMix = 0.0f;
    follower.hasPitch = false;
    follower.samplesSinceLoss = 0;
    follower.pitchReading = 0.0f;
    std::fill(std::begin(follower.freezeLatched), std::end(follower.freezeLatched), false);
}

float updatePitch(PitchFollower& follower, const PitchFollowerInput& input, int n, double sampleRate) noexcept
{
    n = std::max(n, 0);
    follower.pitchReading = input.hasDetectorInput ? input.trackerPitchHz : 0.0f;
    const float target = input.lock ? input.manualFrequencyHz : follower.pitchReading;

    if (target > 0.0f)
    {
        const float logTarget = std::log(target);
        if (!input.lock && !follower.hasPitch)
            follower.logPitch = logTarget; // first acquisition: no glide from the 220 Hz start value
        const float a = std::exp(-static_cast<float>(n) / static_cast<float>(sampleRate * kSmoothingSeconds));
        follower.logPitch = follower.logPitch + (logTarget - follower.logPitch) * (1.0f - a);
        if (!input.lock && follower.pitchReading > 0.0f)
        {
            follower.hasPitch = true;
            follower.samplesSinceLoss = 0;
        }
    }
    else
    {
        // Saturating: a plain int would overflow after about 12 hours at 48 kHz and, gone negative, would
        // end the pitch-lost state.
        const int limit = std::numeric_limits<int>::max();
        follower.samplesSinceLoss =
            follower.samplesSinceLoss > limit - n ? limit : follower.samplesSinceLoss + n;
    }
    follower.bandLogPitch = follower.logPitch;
    return smoothedPitchHz(follower);
}

void followAlignedPitch(PitchFollower& follower, const PitchAligner& aligner, bool aligned, int n,
                        double sampleRate) noexcept
{
    const float step = static_cast<float>(std::max(n, 0) / (sampleRate * kSmoothingSeconds));
    const bool wanted = aligned && aligner.hasAligned;
    follower.alignedMix =
        wanted ? std::min(1.0f, follower.alignedMix + step) : std::max(0.0f, follower.alignedMix - step);
    // Fully aligned, the causal glide's last-bit wobble must not reach the bands: a band whose frequency
    // does not change is not designed again.
    if (follower.alignedMix >= 1.0f)
        follower.bandLogPitch = aligner.alignedLogPitch;
    else if (follower.alignedMix > 0.0f)
        follower.bandLogPitch =
            follower.logPitch + follower.alignedMix * (aligner.alignedLogPitch - follower.logPitch);
    else
        follower.bandLogPitch = follower.logPitch;
}

float smoothedPitchHz(const PitchFollower& follower) noexcept
{
    return std::exp(follower.bandLogPitch);
}

bool isPitchAvailable(const PitchFollower& follower, bool lock) noexcept
{
    return lock || follower.hasPitch;
}

float bandFrequency(PitchFollower& follower, int band, const BandPitchInput& input, bool lock,
                    double sampleRate) noexcept
{
    if (band < 0 || band >= kNumBands)
        return 0.0f;
    bool& latched = follower.freezeLatched[band];
    if (!(input.added && input.enabled && isPitchAvailable(follower, lock)))
    {
        latched = input.freeze; // no capture while the band is not considered
        return 0.0f;
    }

    const float pitch = smoothedPitchHz(follower);
    if (input.freeze && !latched)
        follower.frozenPitch[band] = pitch;
    latched = input.freeze;

    const float base = latched ? follower.frozenPitch[band] : pitch;
    const float frequency = base * input.multiplier;
    const float maxHz = static_cast<float>(0.49 * sampleRate);
    // Negated so that a NaN multiplier also yields an inactive band.
    if (!(frequency >= kMinBandHz && frequency <= maxHz))
        return 0.0f;
    return frequency;
}

int pitchLossSamples(double sampleRate) noexcept
{
    return static_cast<int>(0.7 * sampleRate);
}

bool isPitchLost(const PitchFollower& follower, bool lock, double sampleRate) noexcept
{
    return !lock && follower.samplesSinceLoss > pitchLossSamples(sampleRate);
}

bool isAutoBypassed(const PitchFollower& follower, bool autoBypass, bool lock, double sampleRate) noexcept
{
    return autoBypass && follower.hasPitch && isPitchLost(follower, lock, sampleRate);
}

float publishedPitchHz(const PitchFollower& follower, bool lock) noexcept
{
    return isPitchAvailable(follower, lock) ? smoothedPitchHz(follower) : 0.0f;
}

} // namespace vivera::dsp
