// Tells the host about a new latency from the message thread. The audio thread switches its delay at once
// and only records the latency it now has: the framework's setter takes the processor's listener lock and,
// under some plug-in formats, posts a message, neither of which the audio thread may do.
#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>

class LatencyReporter : private juce::Timer
{
public:
    explicit LatencyReporter(juce::AudioProcessor& processorToReport) : processor(processorToReport)
    {
        // Without a message loop there is no one to tell; prepareToPlay still reports.
        if (juce::MessageManager::getInstanceWithoutCreating() != nullptr)
            startTimer(kPollMilliseconds);
    }

    ~LatencyReporter() override { stopTimer(); }

    // Audio thread: no lock, no message.
    void request(int latencySamples) noexcept { wanted.store(latencySamples, std::memory_order_relaxed); }

    // Reports a pending change now (message thread, or the host's prepare call).
    void reportPending()
    {
        const int latency = wanted.load(std::memory_order_relaxed);
        if (latency >= 0 && processor.getLatencySamples() != latency)
            processor.setLatencySamples(latency);
    }

private:
    static constexpr int kPollMilliseconds = 10;

    void timerCallback() override { reportPending(); }

    juce::AudioProcessor& processor;
    std::atomic<int> wanted{-1};
};
