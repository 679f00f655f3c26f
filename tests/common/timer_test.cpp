#include "common/timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "support/pump.h"

namespace zt {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

using test::PumpFor;
using test::PumpUntil;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

// Every test starts and must end with no timer alive: the handler's bookkeeping has
// to come back to nothing.
class TimerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(GetTimerHandlerState().exists); }
    void TearDown() override {
        EXPECT_FALSE(GetTimerHandlerState().exists) << "a timer outlived its test";
    }
};

TEST_F(TimerTest, ConstructorsSetDefaultsAndNeverStart) {
    TztTimer plain;
    EXPECT_EQ(plain.GetInterval(), 1000);
    EXPECT_FALSE(plain.GetEnabled());
    EXPECT_FALSE(plain.GetOneShot());
    EXPECT_FALSE(static_cast<bool>(plain.GetOnTimer()));

    TztTimer given(40, true, [](TztTimer&) {});
    EXPECT_EQ(given.GetInterval(), 40);
    EXPECT_FALSE(given.GetEnabled());
    EXPECT_TRUE(given.GetOneShot());
    EXPECT_TRUE(static_cast<bool>(given.GetOnTimer()));
    EXPECT_EQ(GetTimerHandlerState().activeCount, 0u);
}

TEST_F(TimerTest, HandlerWindowLivesExactlyAsLongAsTimers) {
    HWND first = nullptr;
    {
        auto a = std::make_unique<TztTimer>();
        const TimerHandlerState one = GetTimerHandlerState();
        ASSERT_TRUE(one.exists);
        ASSERT_NE(one.window, nullptr);
        EXPECT_TRUE(::IsWindow(one.window));
        EXPECT_EQ(one.timerCount, 1u);
        first = one.window;

        TztTimer b;
        const TimerHandlerState two = GetTimerHandlerState();
        EXPECT_EQ(two.window, first) << "all timers share one window";
        EXPECT_EQ(two.timerCount, 2u);

        a.reset();
        EXPECT_EQ(GetTimerHandlerState().timerCount, 1u);
        EXPECT_TRUE(::IsWindow(first));
    }
    EXPECT_FALSE(GetTimerHandlerState().exists);
    EXPECT_FALSE(::IsWindow(first)) << "the last timer takes the window with it";

    int ticks = 0;
    TztTimer again(30, false, [&](TztTimer&) { ++ticks; });
    const TimerHandlerState fresh = GetTimerHandlerState();
    ASSERT_TRUE(fresh.exists);
    EXPECT_TRUE(::IsWindow(fresh.window));
    again.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return ticks > 0; }, 1000))
        << "a timer on the re-created window ticks";
}

TEST_F(TimerTest, ActiveCountFollowsStartsAndStops) {
    TztTimer a(1000, false, [](TztTimer&) {});
    TztTimer b(1000, false, [](TztTimer&) {});
    a.SetEnabled(true);
    b.SetEnabled(true);
    EXPECT_EQ(GetTimerHandlerState().activeCount, 2u);
    a.SetEnabled(true); // a restart replaces the window timer, it does not add one
    EXPECT_EQ(GetTimerHandlerState().activeCount, 2u);
    a.SetEnabled(false);
    EXPECT_FALSE(a.GetEnabled());
    EXPECT_EQ(GetTimerHandlerState().activeCount, 1u);
    a.SetEnabled(false); // nothing to kill: the count must not move
    EXPECT_EQ(GetTimerHandlerState().activeCount, 1u);
    {
        TztTimer c(1000, false, [](TztTimer&) {});
        c.SetEnabled(true);
        EXPECT_EQ(GetTimerHandlerState().activeCount, 2u);
    }
    EXPECT_EQ(GetTimerHandlerState().activeCount, 1u) << "destroying a running timer stops it";
}

TEST_F(TimerTest, StartWithZeroIntervalChangesNothing) {
    int ticks = 0;
    TztTimer timer(0, false, [&](TztTimer&) { ++ticks; });
    timer.SetEnabled(true);
    EXPECT_FALSE(timer.GetEnabled());
    EXPECT_EQ(GetTimerHandlerState().activeCount, 0u);

    // A silenced timer stays enabled when started again with interval 0.
    timer.SetInterval(30);
    timer.SetEnabled(true);
    timer.SetInterval(0);
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.GetEnabled());
    EXPECT_EQ(GetTimerHandlerState().activeCount, 0u);
    PumpFor(120);
    EXPECT_EQ(ticks, 0);
}

TEST_F(TimerTest, RepeatingTimerTicksUntilDisabled) {
    int ticks = 0;
    TztTimer* sender = nullptr;
    TztTimer timer(20, false, [&](TztTimer& t) {
        sender = &t;
        ++ticks;
    });
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }, 2000));
    EXPECT_EQ(sender, &timer);
    EXPECT_TRUE(timer.GetEnabled());
    timer.SetEnabled(false);
    const int atStop = ticks;
    PumpFor(100);
    EXPECT_EQ(ticks, atStop);
}

TEST_F(TimerTest, OneShotReenabledInItsCallbackFiresOnceMore) {
    int ticks = 0;
    bool enabledInCallback = true;
    TztTimer timer(30, true, [&](TztTimer& t) {
        enabledInCallback = t.GetEnabled();
        if (++ticks == 1)
            t.SetEnabled(true);
    });
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks == 1; }, 1000));
    EXPECT_FALSE(enabledInCallback) << "stopped before the callback runs";
    EXPECT_TRUE(timer.GetEnabled()) << "re-enabled by the callback";

    ASSERT_TRUE(PumpUntil([&] { return ticks == 2; }, 1000));
    EXPECT_FALSE(timer.GetEnabled());
    PumpFor(120);
    EXPECT_EQ(ticks, 2) << "a one-shot timer left alone does not fire again";
    EXPECT_EQ(GetTimerHandlerState().activeCount, 0u);
}

TEST_F(TimerTest, ZeroIntervalSilencesWithoutDisabling) {
    int ticks = 0;
    TztTimer timer(5000, false, [&](TztTimer&) { ++ticks; });
    timer.SetEnabled(true);
    timer.SetInterval(20); // restarts with the shorter interval
    EXPECT_EQ(GetTimerHandlerState().activeCount, 1u);
    ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }, 1000));

    timer.SetInterval(0);
    EXPECT_TRUE(timer.GetEnabled());
    EXPECT_EQ(timer.GetInterval(), 0);
    EXPECT_EQ(GetTimerHandlerState().activeCount, 0u);
    const int silenced = ticks;
    PumpFor(120);
    EXPECT_EQ(ticks, silenced);

    timer.SetInterval(30); // no SetEnabled needed
    EXPECT_EQ(GetTimerHandlerState().activeCount, 1u);
    EXPECT_TRUE(PumpUntil([&] { return ticks > silenced; }, 1000));
}

TEST_F(TimerTest, EnablingRunningTimerRestartsItsInterval) {
    int ticks = 0;
    TztTimer timer(250, false, [&](TztTimer&) { ++ticks; });
    timer.SetEnabled(true);
    // Let most of the first interval pass without serving the queue.
    ::Sleep(180);
    const auto restart = Clock::now();
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }, 2000));
    // Without the restart the tick would come about 70 ms after it.
    EXPECT_GE(MillisecondsSince(restart), 200);
}

TEST_F(TimerTest, EmptyCallbackSilencesWithoutDisabling) {
    int ticks = 0;
    TztTimer timer(20, false, [&](TztTimer&) { ++ticks; });
    timer.SetEnabled(true);
    timer.SetOnTimer(nullptr);
    EXPECT_TRUE(timer.GetEnabled());
    EXPECT_EQ(GetTimerHandlerState().activeCount, 0u);

    // A new callback alone does not resume; starting again does.
    timer.SetOnTimer([&](TztTimer&) { ticks += 10; });
    PumpFor(100);
    EXPECT_EQ(ticks, 0);
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }, 1000));
    EXPECT_EQ(ticks % 10, 0) << "only the new callback runs";
}

TEST_F(TimerTest, TimerDestroyedInItsOwnCallback) {
    // The timer lives in a buffer that the callback wipes after destroying it, so
    // anything still read from the timer or its callback afterwards is garbage.
    int ticks = 0;
    alignas(TztTimer) unsigned char storage[sizeof(TztTimer)];
    auto* timer = new (storage) TztTimer(20, false, [&ticks, &storage](TztTimer& self) {
        self.~TztTimer();
        std::memset(storage, 0xA5, sizeof(storage));
        ++ticks;
    });
    timer->SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }, 1000));
    PumpFor(60);
    EXPECT_EQ(ticks, 1);
}

TEST_F(TimerTest, ThrowingCallbackDoesNotEscapeTheWindow) {
    int ticks = 0;
    TztTimer timer(20, false, [&](TztTimer&) {
        ++ticks;
        throw std::runtime_error("callback failure");
    });
    timer.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 2; }, 1000))
        << "ticking goes on after a failing callback";
}

TEST_F(TimerTest, StaleTimerMessagesAreIgnored) {
    int ticks = 0;
    TztTimer keeper(10000, false, [&](TztTimer&) { ++ticks; });
    const HWND window = GetTimerHandlerState().window;
    ASSERT_NE(window, nullptr);

    // A timer destroyed in place, its memory then overwritten: delivering a tick to
    // that address would run garbage.
    alignas(TztTimer) unsigned char storage[sizeof(TztTimer)];
    auto* gone = new (storage) TztTimer(20, false, [&](TztTimer&) { ticks += 100; });
    gone->SetEnabled(true);
    gone->~TztTimer();
    std::memset(storage, 0xA5, sizeof(storage));

    ASSERT_TRUE(::PostMessageW(window, WM_TIMER, reinterpret_cast<WPARAM>(storage), 0));
    ASSERT_TRUE(::PostMessageW(window, WM_TIMER, 12345, 0));
    PumpFor(60);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(GetTimerHandlerState().timerCount, 1u);

    // A posted tick for a live timer is delivered.
    ASSERT_TRUE(::PostMessageW(window, WM_TIMER, reinterpret_cast<WPARAM>(&keeper), 0));
    EXPECT_TRUE(PumpUntil([&] { return ticks == 1; }, 500));
}

struct EventLog {
    int calls = 0;
    void* data = nullptr;
    IztTimer* sender = nullptr;
    bool releaseInCallback = false;
};

void STDMETHODCALLTYPE RecordTick(void* data, IztTimer* sender) {
    auto* log = static_cast<EventLog*>(data);
    ++log->calls;
    log->data = data;
    log->sender = sender;
    if (log->releaseInCallback)
        sender->Release();
}

TEST_F(TimerTest, InterfacedTimerStartsBlankAndDiesWithLastReference) {
    auto* unowned = new TztInterfacedTimer();
    EXPECT_EQ(unowned->AddRef(), 1u) << "created without a reference";
    EXPECT_EQ(unowned->Release(), 0u);

    IztTimer* timer = CreateInterfacedTimer();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->GetInterval(), 1000);
    EXPECT_EQ(timer->GetEnabled(), FALSE);
    EXPECT_EQ(timer->GetOneShot(), FALSE);
    ZT_TIMER_EVENT event{&RecordTick, &event};
    timer->GetOnTimer(&event);
    EXPECT_EQ(event.code, nullptr);
    EXPECT_EQ(event.data, nullptr);
    EXPECT_EQ(GetTimerHandlerState().timerCount, 1u);

    IUnknown* unknown = nullptr;
    ASSERT_EQ(timer->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown, static_cast<IUnknown*>(timer));
    IztTimer* again = nullptr;
    ASSERT_EQ(timer->QueryInterface(IID_IztTimer, reinterpret_cast<void**>(&again)), S_OK);
    EXPECT_EQ(again, timer);
    void* other = &event;
    EXPECT_EQ(timer->QueryInterface(IID_IztLCDPanel, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(timer->QueryInterface(IID_IztTimer, nullptr), E_POINTER);

    timer->SetEnabled(TRUE);
    EXPECT_EQ(GetTimerHandlerState().activeCount, 1u);
    EXPECT_EQ(unknown->Release(), 2u);
    EXPECT_EQ(again->Release(), 1u);
    EXPECT_TRUE(GetTimerHandlerState().exists);
    EXPECT_EQ(timer->Release(), 0u);
    EXPECT_FALSE(GetTimerHandlerState().exists) << "the last release destroys the timer";
}

TEST_F(TimerTest, InterfacedTimerEventGetsDataAndSender) {
    IztTimer* timer = CreateInterfacedTimer();
    ASSERT_NE(timer, nullptr);
    EventLog log;
    timer->SetOnTimer({&RecordTick, &log});
    ZT_TIMER_EVENT stored{nullptr, nullptr};
    timer->GetOnTimer(&stored);
    EXPECT_EQ(stored.code, &RecordTick);
    EXPECT_EQ(stored.data, &log);

    timer->SetInterval(20);
    timer->SetOneShot(TRUE);
    timer->SetEnabled(TRUE);
    ASSERT_TRUE(PumpUntil([&] { return log.calls > 0; }, 1000));
    EXPECT_EQ(log.data, &log);
    EXPECT_EQ(log.sender, timer);
    EXPECT_EQ(timer->GetEnabled(), FALSE);

    // A null code silences an enabled timer without disabling it.
    timer->SetOneShot(FALSE);
    timer->SetEnabled(TRUE);
    timer->SetOnTimer({nullptr, &log});
    EXPECT_EQ(timer->GetEnabled(), TRUE);
    EXPECT_EQ(GetTimerHandlerState().activeCount, 0u);
    const int before = log.calls;
    PumpFor(80);
    EXPECT_EQ(log.calls, before);
    EXPECT_EQ(timer->Release(), 0u);
}

TEST_F(TimerTest, InterfacedTimerReleasedInItsOwnCallback) {
    IztTimer* timer = CreateInterfacedTimer();
    ASSERT_NE(timer, nullptr);
    EventLog log;
    log.releaseInCallback = true;
    timer->SetOnTimer({&RecordTick, &log});
    timer->SetInterval(20);
    timer->SetEnabled(TRUE);
    ASSERT_TRUE(PumpUntil([&] { return log.calls > 0; }, 1000));
    PumpFor(60);
    EXPECT_EQ(log.calls, 1);
    EXPECT_FALSE(GetTimerHandlerState().exists);
}

} // namespace
} // namespace zt
