// Delivery order, stopping rules and changes from inside callbacks of the message bus.

#include "framework/msg_bus.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace zt {
namespace {

struct Probe {
    std::vector<int>* calls;
    int id;
    int result;
};

int ZT_MSG_CALL Record(int, std::intptr_t, std::intptr_t, void* userData) {
    auto* probe = static_cast<Probe*>(userData);
    probe->calls->push_back(probe->id);
    return probe->result;
}

TEST(MsgBus, HigherPriorityFirstAndANonZeroResultStopsTheBroadcast) {
    TztPluginMsgMan bus;
    std::vector<int> calls;
    Probe low{&calls, 0, 0}, high{&calls, 100, 0}, mid{&calls, 5, 0};
    bus.Subscribe(60, &Record, &low, 0, 0);
    bus.Subscribe(60, &Record, &high, 100, 0);
    bus.Subscribe(60, &Record, &mid, 5, 0);
    bus.Broadcast(60, 0, 0);
    EXPECT_EQ(calls, (std::vector<int>{100, 5, 0}));
    calls.clear();
    high.result = 1;
    bus.Broadcast(60, 0, 0);
    EXPECT_EQ(calls, (std::vector<int>{100}));
    calls.clear();
    bus.Broadcast(61, 0, 0);
    EXPECT_TRUE(calls.empty());
}

TEST(MsgBus, QueryStopsAtTheFirstRefusalAndClosingSilencesEverything) {
    TztPluginMsgMan bus;
    std::vector<int> calls;
    EXPECT_EQ(bus.Query(9, 0, 0), 1) << "no subscriber agrees";
    Probe first{&calls, 1, 1}, second{&calls, 2, 0}, third{&calls, 3, 1};
    bus.Subscribe(9, &Record, &first, 30, 0);
    bus.Subscribe(9, &Record, &second, 20, 0);
    bus.Subscribe(9, &Record, &third, 10, 0);
    EXPECT_EQ(bus.Query(9, 0, 0), 0);
    EXPECT_EQ(calls, (std::vector<int>{1, 2}));
    calls.clear();
    bus.ClosingBroadcast(3);
    bus.Broadcast(9, 0, 0);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(bus.Query(9, 0, 0), 1);
}

TEST(MsgBus, UnsubscribeReportsFailureForNullAndClearsTheHandle) {
    TztPluginMsgMan bus;
    TztSubscription* none = nullptr;
    EXPECT_EQ(bus.Unsubscribe(none), static_cast<std::int32_t>(0x80004005u));
    std::vector<int> calls;
    Probe probe{&calls, 1, 0};
    TztSubscription* handle = bus.Subscribe(1, &Record, &probe, 0, 0);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(bus.Unsubscribe(handle), 0);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(bus.CodeCount(), 0u) << "the last record of a code removes its list";
}

// A subscriber that moves itself to another code from inside its callback.
struct Mover {
    TztPluginMsgMan* bus;
    TztSubscription* handle;
    int calls = 0;
};

int ZT_MSG_CALL MoveToNextCode(int msg, std::intptr_t, std::intptr_t, void* userData) {
    auto* mover = static_cast<Mover*>(userData);
    ++mover->calls;
    mover->bus->Unsubscribe(mover->handle);
    mover->handle = mover->bus->Subscribe(msg + 1, &MoveToNextCode, mover, 0, 0);
    return 0;
}

TEST(MsgBus, CallbacksMayUnsubscribeThemselvesAndSubscribeElsewhere) {
    TztPluginMsgMan bus;
    Mover mover{&bus, nullptr};
    mover.handle = bus.Subscribe(60, &MoveToNextCode, &mover, 0, 0);
    std::vector<int> calls;
    Probe other{&calls, 7, 0};
    bus.Subscribe(60, &Record, &other, 0, 0);
    bus.Broadcast(60, 0, 0); // the mover moves on to code 61
    EXPECT_EQ(mover.calls, 1);
    EXPECT_EQ(bus.SubscriptionCount(60), 1u);
    EXPECT_EQ(bus.SubscriptionCount(61), 1u);
    bus.Broadcast(61, 0, 0);
    EXPECT_EQ(mover.calls, 2);
    EXPECT_EQ(bus.SubscriptionCount(61), 0u);
    EXPECT_EQ(bus.SubscriptionCount(62), 1u);
    bus.Unsubscribe(mover.handle);
}

// Removes every record of its code, its own included, from inside its callback: directly
// or, with onOtherThread, from a thread that the callback waits for.
struct Sweeper {
    TztPluginMsgMan* bus;
    TztSubscription* handles[2];
    bool onOtherThread;
    int calls = 0;
};

int ZT_MSG_CALL SweepCode(int, std::intptr_t, std::intptr_t, void* userData) {
    auto* sweeper = static_cast<Sweeper*>(userData);
    ++sweeper->calls;
    auto sweep = [sweeper] {
        for (TztSubscription*& handle : sweeper->handles)
            sweeper->bus->Unsubscribe(handle);
    };
    if (sweeper->onOtherThread)
        std::thread(sweep).join();
    else
        sweep();
    return 0;
}

TEST(MsgBus, TheLastRecordsOfACodeMayGoDuringItsBroadcast) {
    for (bool onOtherThread : {false, true}) {
        SCOPED_TRACE(onOtherThread ? "another thread" : "the callback itself");
        TztPluginMsgMan bus;
        std::vector<int> calls;
        Probe later{&calls, 2, 0};
        Sweeper sweeper{&bus, {nullptr, nullptr}, onOtherThread};
        sweeper.handles[0] = bus.Subscribe(80, &SweepCode, &sweeper, 10, 0);
        sweeper.handles[1] = bus.Subscribe(80, &Record, &later, 0, 0);
        bus.Broadcast(80, 0, 0);
        EXPECT_EQ(sweeper.calls, 1);
        EXPECT_TRUE(calls.empty()) << "a record removed during the walk is not called";
        EXPECT_EQ(bus.CodeCount(), 0u);
        EXPECT_EQ(bus.Query(80, 0, 0), 1) << "nobody left to refuse";

        // The only record removes itself, and with it its code's list.
        sweeper.handles[0] = bus.Subscribe(81, &SweepCode, &sweeper, 0, 0);
        bus.Broadcast(81, 0, 0);
        EXPECT_EQ(sweeper.calls, 2);
        EXPECT_EQ(bus.CodeCount(), 0u);
    }
}

} // namespace
} // namespace zt
