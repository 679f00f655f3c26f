// Calls from worker threads that must run on the main thread: SyncCall and subscriptions
// with flag bit 0, through the plug-in manager's interface; failures and unloading there.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <thread>
#include <vector>

#include "framework/plugin_man.h"
#include "support/pump.h"

namespace zt {
namespace {

struct CallSite {
    DWORD thread = 0;
    int calls = 0;
};

int STDMETHODCALLTYPE RecordThread(int msg, INT_PTR param1, INT_PTR, void* userData) {
    auto* site = static_cast<CallSite*>(userData);
    site->thread = ::GetCurrentThreadId();
    ++site->calls;
    return msg + static_cast<int>(param1);
}

int STDMETHODCALLTYPE Fail(int, INT_PTR, INT_PTR, void* userData) {
    ++static_cast<CallSite*>(userData)->calls;
    throw std::runtime_error("subscriber fails");
}

// Runs work on a new thread and pumps this thread's messages until it has finished.
template <class Work> bool RunOnWorkerWhilePumping(Work work) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    const bool finished = test::PumpUntil([&] { return done.load(); });
    if (finished)
        worker.join();
    else
        worker.detach(); // the test fails below; the process ends with it
    return finished;
}

TEST(MsgBusSync, SyncCallFromAWorkerRunsOnTheMainThreadAndReturnsTheResult) {
    TztPluginManager manager;
    IztPluginMan& man = manager;
    CallSite site;
    int result = 0;
    DWORD workerThread = 0;
    ASSERT_TRUE(RunOnWorkerWhilePumping([&] {
        workerThread = ::GetCurrentThreadId();
        result = man.SyncCall(&RecordThread, 40, 2, 0, &site);
    }));
    EXPECT_EQ(result, 42);
    EXPECT_EQ(site.calls, 1);
    EXPECT_EQ(site.thread, ::GetCurrentThreadId());
    EXPECT_NE(site.thread, workerThread);

    // On the main thread the callback runs in place.
    EXPECT_EQ(man.SyncCall(&RecordThread, 1, 1, 0, &site), 2);
    EXPECT_EQ(site.calls, 2);

    // A failing callback gives 0, on either thread.
    CallSite failing;
    ASSERT_TRUE(RunOnWorkerWhilePumping([&] { result = man.SyncCall(&Fail, 1, 0, 0, &failing); }));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(man.SyncCall(&Fail, 1, 0, 0, &failing), 0);
    EXPECT_EQ(failing.calls, 2);
}

TEST(MsgBusSync, FlagBitZeroMovesABroadcastFromAWorkerToTheMainThread) {
    TztPluginManager manager;
    IztPluginMan& man = manager;
    CallSite synced, plain;
    ZT_SUBSCRIPTION one = man.Subscribe(90, &RecordThread, &synced, 0, 1);
    ZT_SUBSCRIPTION two = man.Subscribe(90, &RecordThread, &plain, 0, 0);
    ASSERT_TRUE(one && two);
    DWORD workerThread = 0;
    // RecordThread returns non-zero for 90, which would stop the walk; a query goes on.
    ASSERT_TRUE(RunOnWorkerWhilePumping([&] {
        workerThread = ::GetCurrentThreadId();
        man.Query(90, 0, 0);
    }));
    EXPECT_EQ(synced.calls, 1);
    EXPECT_EQ(synced.thread, ::GetCurrentThreadId());
    EXPECT_EQ(plain.calls, 1);
    EXPECT_EQ(plain.thread, workerThread);
    EXPECT_EQ(man.Unsubscribe(&one), S_OK);
    EXPECT_EQ(man.Unsubscribe(&two), S_OK);
}

TEST(MsgBusSync, AFailingMainThreadSubscriberEndsThePassAsADirectOneDoes) {
    TztPluginManager manager;
    IztPluginMan& man = manager;
    CallSite failing, later;
    ASSERT_TRUE(man.Subscribe(93, &Fail, &failing, 10, ZT_SUBSCRIBE_MAIN_THREAD));
    ASSERT_TRUE(man.Subscribe(93, &RecordThread, &later, 0, 0));
    ASSERT_TRUE(RunOnWorkerWhilePumping([&] { man.Broadcast(93, 0, 0); }));
    EXPECT_EQ(failing.calls, 1);
    EXPECT_EQ(later.calls, 0) << "a broadcast from a worker";
    int answer = -1;
    ASSERT_TRUE(RunOnWorkerWhilePumping([&] { answer = man.Query(93, 0, 0); }));
    EXPECT_EQ(later.calls, 0) << "a query from a worker";
    EXPECT_EQ(answer, 1) << "the result reached before the failure";
    man.Broadcast(93, 0, 0);
    EXPECT_EQ(failing.calls, 3);
    EXPECT_EQ(later.calls, 0) << "a broadcast on the main thread";
}

TEST(MsgBusSync, AnUnloadWaitOnTheMainThreadEndsAPendingRequestOfARemovedRecordUnrun) {
    TztPluginManager manager;
    CallSite site;
    ASSERT_TRUE(manager.Subscribe(92, &RecordThread, &site, 0, ZT_SUBSCRIBE_MAIN_THREAD));
    std::atomic<bool> broadcastDone{false};
    std::thread worker([&] {
        manager.Broadcast(92, 0, 0);
        broadcastDone = true;
    });
    // The worker's request now waits for this thread, which unloads the callback's code.
    const bool pending = test::SentMessagePending();
    const auto code = reinterpret_cast<std::uintptr_t>(&RecordThread);
    EXPECT_EQ(manager.Messages().UnsubscribeCode(code, code + 1), 1u);
    EXPECT_TRUE(manager.Messages().WaitForCallsInCode(code, code + 1, 5000));
    ASSERT_TRUE(test::PumpUntil([&] { return broadcastDone.load(); }));
    worker.join();
    ASSERT_TRUE(pending);
    EXPECT_EQ(site.calls, 0) << "the removed subscriber ran after its removal";
}

} // namespace
} // namespace zt
