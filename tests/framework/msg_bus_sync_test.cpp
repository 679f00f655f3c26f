// Calls from worker threads that must run on the main thread: SyncCall and subscriptions
// with flag bit 0, through the plug-in manager's interface.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "framework/plugin_man.h"

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

// Runs work on a new thread and pumps this thread's messages until it has finished.
template <class Work> bool RunOnWorkerWhilePumping(Work work) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    const ULONGLONG limit = ::GetTickCount64() + 10000;
    while (!done && ::GetTickCount64() < limit) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        ::Sleep(1);
    }
    const bool finished = done;
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

} // namespace
} // namespace zt
