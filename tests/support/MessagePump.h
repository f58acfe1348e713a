// Lets a test act as a host's message loop: a plug-in module reports latency and other changes to its host
// asynchronously, so a test must dispatch pending messages before it can see them.
#pragma once

#include <juce_events/juce_events.h>

#include <functional>

#if JUCE_MAJOR_VERSION >= 8
namespace juce::detail
{
bool dispatchNextMessageOnSystemQueue(bool returnIfNoPendingMessages);
}
namespace vivera_test_detail = juce::detail;
#else
namespace juce
{
bool dispatchNextMessageOnSystemQueue(bool returnIfNoPendingMessages);
}
namespace vivera_test_detail = juce;
#endif

// Dispatches messages until the condition holds or the time runs out; returns the condition.
inline bool pumpMessagesUntil(const std::function<bool()>& condition, int timeoutMs = 2000)
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32>(timeoutMs);
    while (!condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;
        if (!vivera_test_detail::dispatchNextMessageOnSystemQueue(true))
            juce::Thread::sleep(1);
    }
    return true;
}
