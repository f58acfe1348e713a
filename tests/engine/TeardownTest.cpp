// An instance freed on a host's own thread while the message thread runs its callbacks: the teardown waits
// for the message thread to be between callbacks and keeps it there, and never hangs a host whose message
// thread has stopped dispatching.
#include "engine/PluginProcessor.h"
#include "engine/TeardownLock.h"

#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <random>
#include <thread>

namespace
{
struct CountingTimer : juce::Timer
{
    std::atomic<int> ticks{0};
    void timerCallback() override { ++ticks; }
};

TEST(TeardownLock, HoldsTheMessageThreadBetweenCallbacksUntilReleased)
{
    CountingTimer timer;
    timer.startTimer(1);
    std::atomic<bool> finished{false};
    int ticksWhileHeld = -1;
    bool held = false;
    std::thread host(
        [&]
        {
            {
                TeardownLock lock;
                lock.acquire();
                held = lock.isHeld();
                const int before = timer.ticks.load();
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                ticksWhileHeld = timer.ticks.load() - before;
            }
            finished = true;
        });
    EXPECT_TRUE(pumpMessagesUntil([&] { return finished.load(); }, 5000));
    host.join();
    EXPECT_TRUE(held);
    EXPECT_EQ(ticksWhileHeld, 0);
    const int after = timer.ticks.load();
    EXPECT_TRUE(pumpMessagesUntil([&] { return timer.ticks.load() > after; }, 1000)) << "released";
    timer.stopTimer();
}

TEST(TeardownLock, TakesNothingOnTheMessageThreadAndGivesUpOnALoopThatDispatchesNothing)
{
    TeardownLock onMessageThread;
    onMessageThread.acquire();
    EXPECT_FALSE(onMessageThread.isHeld());

    // This thread, the message thread, joins the host's thread instead of dispatching.
    bool held = true;
    std::thread host(
        [&]
        {
            TeardownLock lock(100);
            lock.acquire();
            held = lock.isHeld();
        });
    host.join();
    EXPECT_FALSE(held);
    pumpMessagesUntil([] { return false; }, 20); // the abandoned lock request finds no one waiting
}

TEST(Teardown, FreeingAProcessorOffTheMessageThreadWhileItsParametersChangeIsSafe)
{
    // The parameter tree copies changed values into its state on a message-thread timer (every 20 ms while
    // values change). Like a host's automation, the host's thread moves every parameter, then frees the
    // processor at a random moment of the copy that follows. A sanitizer build reports any overlap.
    std::mt19937 random(27);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::uniform_int_distribution<int> pauseMicroseconds(0, 25000);
    for (int round = 0; round < 40; ++round)
    {
        auto processor = std::make_unique<VezovevaDirADAudioProcessor>();
        const auto pause = std::chrono::microseconds(pauseMicroseconds(random));
        std::atomic<bool> freed{false};
        std::thread host(
            [&]
            {
                for (int pass = 0; pass < 3; ++pass)
                {
                    for (auto* parameter : processor->getParameters())
                        parameter->setValueNotifyingHost(unit(random));
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
                std::this_thread::sleep_for(pause);
                processor.reset();
                freed = true;
            });
        EXPECT_TRUE(pumpMessagesUntil([&] { return freed.load(); }, 5000));
        host.join();
    }
}
} // namespace
