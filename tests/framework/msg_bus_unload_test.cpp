// Unloading code while the message bus calls into it: the bounded wait for calls under way
// in removed callbacks.

#include "framework/msg_bus.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

namespace zt {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A callback that stays inside until it is let out.
struct Gate {
    std::mutex lock;
    std::condition_variable changed;
    bool entered = false;
    bool open = false;
    bool left = false;

    bool WaitEntered() {
        std::unique_lock<std::mutex> guard(lock);
        return changed.wait_for(guard, milliseconds(10000), [this] { return entered; });
    }
    void Open() {
        std::lock_guard<std::mutex> guard(lock);
        open = true;
        changed.notify_all();
    }
    bool Left() {
        std::lock_guard<std::mutex> guard(lock);
        return left;
    }
};

int ZT_MSG_CALL StayUntilOpen(int, std::intptr_t, std::intptr_t, void* userData) {
    auto* gate = static_cast<Gate*>(userData);
    std::unique_lock<std::mutex> guard(gate->lock);
    gate->entered = true;
    gate->changed.notify_all();
    gate->changed.wait(guard, [gate] { return gate->open; });
    gate->left = true;
    return 0;
}

int ZT_MSG_CALL Elsewhere(int, std::intptr_t, std::intptr_t, void*) {
    return 0;
}

// The one-byte range of a callback: code holding it and nothing else.
std::pair<std::uintptr_t, std::uintptr_t> CodeOf(TztMsgCallback callback) {
    const auto address = reinterpret_cast<std::uintptr_t>(callback);
    return {address, address + 1};
}

TEST(MsgBusUnload, TheWaitEndsOnlyOnceAWorkerLeftTheRemovedCallbackAndIsBounded) {
    for (bool byCode : {false, true}) {
        SCOPED_TRACE(byCode ? "removed as code" : "unsubscribed");
        TztPluginMsgMan bus;
        Gate gate;
        TztSubscription* handle = bus.Subscribe(5, &StayUntilOpen, &gate, 0, 0);
        ASSERT_NE(handle, nullptr);
        std::thread worker([&bus] { bus.Broadcast(5, 0, 0); });
        ASSERT_TRUE(gate.WaitEntered());

        const auto [begin, end] = CodeOf(&StayUntilOpen);
        if (byCode)
            EXPECT_EQ(bus.UnsubscribeCode(begin, end), 1u);
        else
            EXPECT_EQ(bus.Unsubscribe(handle), TztPluginMsgMan::kOk);
        const auto start = Clock::now();
        EXPECT_FALSE(bus.WaitForCallsInCode(begin, end, 50)) << "the worker is still inside";
        const auto waited = Clock::now() - start;
        EXPECT_GE(waited, milliseconds(50));
        EXPECT_LT(waited, milliseconds(2000)) << "the wait is bounded";
        const auto [otherBegin, otherEnd] = CodeOf(&Elsewhere);
        EXPECT_TRUE(bus.WaitForCallsInCode(otherBegin, otherEnd, 0)) << "other code is free";

        gate.Open();
        EXPECT_TRUE(bus.WaitForCallsInCode(begin, end, 10000));
        EXPECT_TRUE(gate.Left());
        worker.join();
    }
}

int ZT_MSG_CALL Count(int, std::intptr_t, std::intptr_t, void* userData) {
    ++*static_cast<int*>(userData);
    return 1;
}

TEST(MsgBusUnload, AMainThreadRequestWhoseRecordWentWhileItWaitedRunsNothingAndThePassGoesOn) {
    TztPluginMsgMan* bus = nullptr;
    TztSubscription* handle = nullptr;
    TztMsgBusPlatform platform;
    // The main thread takes the request up only after the record was removed.
    platform.MainThreadCall = [&](const std::function<int()>& call) {
        bus->Unsubscribe(handle);
        return call();
    };
    TztPluginMsgMan mainThreadBus(platform);
    bus = &mainThreadBus;
    int removedCalls = 0, laterCalls = 0;
    mainThreadBus.Subscribe(7, &Count, &laterCalls, 0, 0);

    handle = mainThreadBus.Subscribe(7, &Count, &removedCalls, 10, TztPluginMsgMan::kMainThread);
    EXPECT_EQ(mainThreadBus.Query(7, 0, 0), 1) << "the removed record did not refuse";
    handle = mainThreadBus.Subscribe(7, &Count, &removedCalls, 10, TztPluginMsgMan::kMainThread);
    mainThreadBus.Broadcast(7, 0, 0);
    EXPECT_EQ(removedCalls, 0);
    EXPECT_EQ(laterCalls, 2) << "the next record still runs";
    const auto [begin, end] = CodeOf(&Count);
    EXPECT_TRUE(mainThreadBus.WaitForCallsInCode(begin, end, 0)) << "the skipped calls ended";
}

} // namespace
} // namespace zt
