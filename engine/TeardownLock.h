// Keeps the message thread out of a teardown that runs on another thread. Hosts may free an instance on a
// thread of their own while the message thread is inside one of that instance's callbacks: the parameter
// tree's flush of changed values, the latency report, the undo history's change message. Holding the
// message manager's lock from the start of the teardown until its last member is gone lets every such
// callback finish before the teardown starts, and none start during it.
#pragma once

#include <juce_events/juce_events.h>

#include <optional>

class TeardownLock
{
public:
    explicit TeardownLock(int maxWaitMilliseconds = 2000) : maxWaitMs(maxWaitMilliseconds) {}
    ~TeardownLock() = default; // releases the lock, if held

    // Waits until the message thread is between callbacks and holds it there. Nothing to wait for on the
    // message thread itself, without a message manager, or once its loop was told to stop (nothing can be
    // posted to it then, so no callback can come). A message thread that dispatches nothing (a host that
    // drives the loop itself and has stopped doing so) runs none of our callbacks either, so the wait is
    // bounded instead of hanging the host.
    void acquire();

    bool isHeld() const noexcept { return lock.has_value() && lock->lockWasGained(); }

private:
    const int maxWaitMs;
    std::optional<juce::MessageManagerLock> lock;

    JUCE_DECLARE_NON_COPYABLE(TeardownLock)
};
