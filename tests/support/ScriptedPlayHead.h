// A host's play head driven by a test: play state and position in samples, and optionally a loop in quarter
// notes at 120 bpm (one quarter note = half a second), as a host in cycle playback reports it.
#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

struct ScriptedPlayHead : juce::AudioPlayHead
{
    static constexpr double kBpm = 120.0;
    double sampleRate = 48000.0;
    bool playing = true;
    juce::int64 time = 0;
    bool looping = false;
    double loopStartPpq = 0.0, loopEndPpq = 0.0;

    juce::Optional<PositionInfo> getPosition() const override
    {
        PositionInfo info;
        info.setIsPlaying(playing);
        info.setTimeInSamples(time);
        info.setTimeInSeconds(static_cast<double>(time) / sampleRate);
        info.setBpm(kBpm);
        info.setTimeSignature(TimeSignature{4, 4});
        info.setPpqPosition(static_cast<double>(time) / sampleRate * kBpm / 60.0);
        info.setIsLooping(looping);
        if (looping)
            info.setLoopPoints(LoopPoints{loopStartPpq, loopEndPpq});
        return info;
    }

    juce::int64 samplesAt(double ppq) const
    {
        return static_cast<juce::int64>(std::llround(ppq * 60.0 / kBpm * sampleRate));
    }

    // Moves on by one block; in a loop, wraps past its end back to its start as a host does that does not
    // split the block at the loop end.
    void advance(int n)
    {
        time += n;
        if (looping && time >= samplesAt(loopEndPpq))
            time = samplesAt(loopStartPpq) + (time - samplesAt(loopEndPpq));
    }
};
