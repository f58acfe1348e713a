#include "engine/pipeline/LookaheadDelay.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double kLookaheadSeconds = 0.1;
constexpr double kLookaheadCrossfadeSeconds = 0.03;
constexpr double kDelayFadeSeconds = 0.005;

// One channel's stretch of samples against its ring with a fixed mix and fade; the ring and the channel are
// separate buffers.
void delayStretch(float* __restrict ringSamples, float* __restrict samples, int n, float mix,
                  float fade) noexcept
{
    for (int i = 0; i < n; ++i)
    {
        const float old = ringSamples[i];
        const float x = samples[i];
        ringSamples[i] = x;
        samples[i] = x + mix * (old * fade - x);
    }
}
} // namespace

void LookaheadDelay::prepare(double sampleRate, bool lookaheadOn)
{
    length = static_cast<int>(std::lround(kLookaheadSeconds * sampleRate));
    const int ringLength = std::max(1, length);
    if (ring.getNumChannels() != 4 || ring.getNumSamples() != ringLength)
        ring.setSize(4, ringLength);
    clearRing();
    writePosition = 0;

    mix = (lookaheadOn && length > 0) ? 1.0f : 0.0f;
    mixStep = 1.0f / static_cast<float>(std::max(1L, std::lround(kLookaheadCrossfadeSeconds * sampleRate)));
    fade = 1.0f;
    fadeStep = 1.0f / static_cast<float>(std::max(1L, std::lround(kDelayFadeSeconds * sampleRate)));
    fadeOutPending = false;
    wasPlaying = false;
    expectedNextSample = -1;
}

void LookaheadDelay::clearRing() noexcept
{
    // Cleared through the channel pointers: the buffer's own clear() may skip a buffer it believes is
    // still silent.
    for (int d = 0; d < ring.getNumChannels(); ++d)
        juce::FloatVectorOperations::clear(ring.getWritePointer(d), ring.getNumSamples());
}

void LookaheadDelay::followTransport(const TransportState& transport, int n) noexcept
{
    if (!transport.known)
        return;

    const bool playing = transport.playing;
    const bool jumped = playing && wasPlaying && transport.hasTime && expectedNextSample >= 0 &&
                        std::abs(transport.timeInSamples - expectedNextSample) > n;
    const bool wrappedToLoopStart = jumped && transport.looping && transport.hasLoopStart &&
                                    std::abs(transport.timeInSamples - transport.loopStartInSamples) <= n;
    if (playing && !wasPlaying)
    {
        clearRing();
        fade = 0.0f;
        fadeOutPending = false;
    }
    else if (playing != wasPlaying || (jumped && !wrappedToLoopStart))
    {
        fadeOutPending = true;
    }
    wasPlaying = playing;
    expectedNextSample = (playing && transport.hasTime) ? transport.timeInSamples + n : -1;
}

void LookaheadDelay::process(float* const* channels, const int* ringIndices, int count, int n,
                             bool delayed) noexcept
{
    if (length <= 0)
        return;

    float* rings[4] = {};
    for (int c = 0; c < count; ++c)
        rings[c] = ring.getWritePointer(ringIndices[c]);

    const float mixTarget = delayed ? 1.0f : 0.0f;
    int i = 0;
    while (i < n)
    {
        // Without a crossfade or a fade in progress every sample of a stretch up to the ring's end uses the
        // same mix and fade: the same arithmetic runs channel by channel over the whole stretch.
        const bool steady = mix == mixTarget && !fadeOutPending && !(fade < 1.0f);
        if (steady)
        {
            const int span = std::min(n - i, length - writePosition);
            const float steadyMix = mix, steadyFade = fade;
            for (int c = 0; c < count; ++c)
                delayStretch(rings[c] + writePosition, channels[c] + i, span, steadyMix, steadyFade);
            i += span;
            writePosition += span;
            if (writePosition == length)
                writePosition = 0;
            continue;
        }

        if (mix < mixTarget)
            mix = std::min(mixTarget, mix + mixStep);
        else if (mix > mixTarget)
            mix = std::max(mixTarget, mix - mixStep);

        if (fadeOutPending)
        {
            fade -= fadeStep;
            if (fade <= 0.0f)
            {
                clearRing();
                fade = 0.0f;
                fadeOutPending = false;
            }
        }
        else if (fade < 1.0f)
        {
            fade = std::min(1.0f, fade + fadeStep);
        }

        for (int c = 0; c < count; ++c)
        {
            const float old = rings[c][writePosition];
            const float x = channels[c][i];
            rings[c][writePosition] = x;
            channels[c][i] = x + mix * (old * fade - x);
        }
        if (++writePosition == length)
            writePosition = 0;
        ++i;
    }
}
