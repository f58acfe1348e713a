// The 100 ms lookahead delay of the main and sidechain channels: a crossfade when lookahead is switched,
// and short fades when the host's transport starts, stops or jumps, so stale audio is never heard.
#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cstdint>

// The host's play head as one block sees it.
struct TransportState
{
    bool known = false; // the host reported a position for this block
    bool playing = false;
    bool hasTime = false;
    int64_t timeInSamples = 0;
    // Cycle playback: the loop's start on the same timeline, when the host reports a loop it can place.
    bool looping = false;
    bool hasLoopStart = false;
    int64_t loopStartInSamples = 0;
};

class LookaheadDelay
{
public:
    // Ring channels: 0-1 hold the main bus, 2-3 the sidechain.
    static constexpr int kMainRing = 0;
    static constexpr int kSidechainRing = 2;

    void prepare(double sampleRate, bool lookaheadOn);

    int lookaheadSamples() const noexcept { return length; }

    // Fades the delayed signal out on a stop or a jump, and starts from silence when playback starts. A
    // loop's wrap back to its start is no jump: the delay line still holds the end of the loop, which the
    // host's delay compensation expects to hear.
    void followTransport(const TransportState& transport, int n) noexcept;

    // Delays `count` channels in place; channel c uses ring channel ringIndices[c]. `delayed` chooses
    // between the delayed and the undelayed signal, crossfaded over 30 ms when it changes.
    void process(float* const* channels, const int* ringIndices, int count, int n, bool delayed) noexcept;

private:
    void clearRing() noexcept;

    juce::AudioBuffer<float> ring;
    int length = 0;
    int writePosition = 0;
    float mix = 1.0f;
    float mixStep = 0.0f;
    float fade = 1.0f;
    float fadeStep = 0.0f;
    bool fadeOutPending = false;
    bool wasPlaying = false;
    int64_t expectedNextSample = -1;
};
