#include "engine/CommSingleton.h"

#include <gtest/gtest.h>
#include <thread>

using namespace kelvo;
using namespace std::chrono_literals;

TEST(CommSingletonTest, PlacesGetTheTurnInArrivalOrder) {
    TCommSingleton queue;
    const auto first = queue.Enqueue();
    const auto second = queue.Enqueue();
    const auto third = queue.Enqueue();
    EXPECT_EQ(first->FName, "Kelvo_Thread_Serialization_0");
    EXPECT_EQ(third->FNumber, 2);
    EXPECT_TRUE(first->FHandle->IsSet()) << "the first place has the turn at once";
    EXPECT_FALSE(second->FHandle->IsSet());
    queue.Dequeue(first->FHandle.get(), true);
    EXPECT_TRUE(second->FHandle->IsSet());
    EXPECT_FALSE(third->FHandle->IsSet());
    // A waiting run that was stopped leaves without passing the turn on.
    queue.Dequeue(third->FHandle.get(), false);
    EXPECT_EQ(queue.Size(), 1u);
    // A place numbered like one still queued has an event of its own.
    const auto fourth = queue.Enqueue();
    EXPECT_EQ(fourth->FNumber, 1);
    EXPECT_NE(fourth->FHandle, third->FHandle);
    // The holder stopped: the turn moves on all the same.
    queue.Dequeue(second->FHandle.get(), false);
    EXPECT_TRUE(fourth->FHandle->IsSet());
}

TEST(CommSingletonTest, AWaiterWakesForTheFirstSignalAndTheStopEventGoesFirst) {
    AutoResetEvent stop, turn;
    turn.Set();
    stop.Set();
    EXPECT_EQ(AutoResetEvent::WaitAny(stop, turn), 0) << "stop is checked first";
    EXPECT_EQ(AutoResetEvent::WaitAny(stop, turn), 1);
    EXPECT_EQ(AutoResetEvent::WaitAny(stop, turn, 20ms), std::nullopt) << "signals were taken";
    std::thread later([&] {
        std::this_thread::sleep_for(30ms);
        turn.Set();
    });
    EXPECT_EQ(AutoResetEvent::WaitAny(stop, turn, 5s), 1);
    later.join();
}
