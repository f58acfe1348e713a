#include "engine/TeardownLock.h"

namespace
{
// Abandons a lock attempt when its time is up: the framework's lock gives up as soon as the thread it
// watches is told to exit, and this thread tells itself so at its deadline.
class LockDeadline : public juce::Thread
{
public:
    explicit LockDeadline(int milliseconds) : juce::Thread("Teardown lock deadline"), waitMs(milliseconds) {}

    void run() override
    {
        if (!wait(waitMs))
            signalThreadShouldExit();
    }

private:
    const int waitMs;
};
} // namespace

void TeardownLock::acquire()
{
    auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();
    if (lock.has_value() || messageManager == nullptr ||
        messageManager->currentThreadHasLockedMessageManager() || messageManager->hasStopMessageBeenSent())
        return;

    LockDeadline deadline(maxWaitMs);
    if (!deadline.startThread())
        return;
    lock.emplace(&deadline);
    deadline.notify();
    deadline.stopThread(-1);
}
