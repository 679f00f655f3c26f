// The clock window with real plug-in libraries: loading, the loader's messages,
// announced commands, notifications and unloading (what goes with a library, and
// broadcasts that are still running in it).

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "common/handles.h"
#include "common/message_box.h"
#include "common/program_folder.h"
#include "common/utf.h"
#include "framework/plugin_man.h"
#include "host/click_bindings.h"
#include "host/main_window.h"
#include "support/pump.h"
#include "support/zentik_process.h"
#include "tests/common/debug_log_value.h"

namespace zt {
namespace {

using CountersFn = void(__stdcall*)(LONG*, LONG*, LONG*, LONG*);

struct Counters {
    LONG initialized = 0, finalized = 0, seconds = 0, commands = 0;
};

Counters Read(HMODULE fixture) {
    Counters c;
    auto read = reinterpret_cast<CountersFn>(
        reinterpret_cast<void*>(::GetProcAddress(fixture, "FixtureCounters")));
    if (read)
        read(&c.initialized, &c.finalized, &c.seconds, &c.commands);
    return c;
}

// An export of a fixture library.
template <typename Fn> Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

constexpr wchar_t kTestKey[] = L"Software\\Ombrelt\\ZentikPluginTest";

TEST(PluginHost, LoadsOneCopyReportsABadFileAndWiresCommandsAndNotifications) {
    std::vector<std::wstring> boxes;
    MessageBoxHandler previous =
        SetMessageBoxHandler([&](HWND, const wchar_t* text, const wchar_t* caption, UINT) {
            boxes.push_back(std::wstring(caption) + L"|" + text);
            return IDOK;
        });
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    HMODULE fixture = nullptr;
    {
        TfrmClock clock(::GetModuleHandleW(nullptr), DefaultFormatSettings(), nullptr,
                        {HKEY_CURRENT_USER, kTestKey});
        ASSERT_TRUE(clock.Create());
        clock.PlgMan().SetPluginFolder(L"FixturePlugins");
        clock.StartClock();

        // Fixture.pzt and its copy Fixture2.pzt: one instance only, the copy silently.
        ASSERT_EQ(clock.PlgMan().PluginCount(), 1);
        // One message box for each bad file; the scan goes on after each.
        ASSERT_EQ(boxes.size(), 2u);
        std::sort(boxes.begin(), boxes.end());
        EXPECT_EQ(boxes[0].rfind(L"Error Loading PlugIn|\"", 0), 0u);
        EXPECT_NE(boxes[0].find(L"NoExport.pzt\" is not a valid Plug-in"), std::wstring::npos);
        EXPECT_EQ(boxes[1].rfind(L"Error Loading PlugIn|Error loading Plug-in \"", 0), 0u);
        EXPECT_NE(boxes[1].find(L"NotAPlugin.pzt\""), std::wstring::npos);

        // Keep the library readable after the plug-in is unloaded.
        wchar_t path[MAX_PATH];
        ::GetModuleFileNameW(clock.PlgMan().PluginHandle(0), path, MAX_PATH);
        fixture = ::LoadLibraryW(path);
        ASSERT_NE(fixture, nullptr);
        EXPECT_EQ(Read(fixture).initialized, 1);

        // The announced "pm_" command is a menu item and a command of the registry.
        clock.ExecCommand(L"pm_FixtureCount");
        EXPECT_EQ(Read(fixture).commands, 1);
        EXPECT_TRUE(test::PumpUntil([&] { return Read(fixture).seconds >= 1; }, 5000))
            << "msgSecond reaches subscribers";

        clock.PlgMan().UnloadAllPlugins();
        EXPECT_EQ(Read(fixture).finalized, 1);
        EXPECT_EQ(clock.Commands().Interface()->Execute(L"pm_FixtureCount", L""), -1)
            << "the command went with its plug-in";
    }
    ::FreeLibrary(fixture);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    SetMessageBoxHandler(previous);
}

TEST(PluginHost, ACommandOfAPlugInThatFailedToInitializeGoesWithItsLibrary) {
    std::vector<std::wstring> boxes;
    MessageBoxHandler previous =
        SetMessageBoxHandler([&](HWND, const wchar_t* text, const wchar_t*, UINT) {
            boxes.push_back(text);
            return IDOK;
        });
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    {
        TfrmClock clock(::GetModuleHandleW(nullptr), DefaultFormatSettings(), nullptr,
                        {HKEY_CURRENT_USER, kTestKey});
        ASSERT_TRUE(clock.Create());
        // Leftover.pzt announces "pm_Leftover", a menu item and a command, then fails.
        clock.PlgMan().SetPluginFolder(L"FixturePlugins\\Leftover");
        clock.StartClock();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].find(L"Leftover.pzt\" failed initialization."), std::wstring::npos);
        EXPECT_EQ(::GetModuleHandleW(L"Leftover.pzt"), nullptr) << "the library was freed";
        // Checked before the click: a command left behind would jump into freed code.
        ASSERT_EQ(clock.Commands().Registry().IndexOf(L"pm_Leftover"), -1);
        const auto items = static_cast<HMENU>(::GetPropW(clock.Handle(), ZT_PLUGINS_ITEMS));
        ASSERT_NE(items, nullptr);
        EXPECT_EQ(::GetMenuItemCount(items), 0) << "its menu item went too";

        clock.ClickEvents().SetRows(
            {{ClickBindingName(false, false, ClickButton::Left, ModifierKeys{}), L"pm_Leftover"}});
        HWND panel = clock.MainScreen().Window();
        ::SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        ::SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
        const std::wstring shown = clock.MainScreen().GetCaption();
        EXPECT_TRUE(test::PumpUntil([&] { return clock.MainScreen().GetCaption() != shown; }, 5000))
            << "the clock keeps running";
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    SetMessageBoxHandler(previous);
}

// ---- The clock window's notifications, as a plug-in receives them ----

using ReceivedFn = LONG(__stdcall*)(LONG, int*, INT_PTR*);
using CurrentTimeFn = double(__stdcall*)();

struct Notification {
    int code;
    INT_PTR param1;
};

// What the fixture received from index from on.
std::vector<Notification> ReceivedSince(HMODULE fixture, LONG from) {
    auto received = reinterpret_cast<ReceivedFn>(
        reinterpret_cast<void*>(::GetProcAddress(fixture, "FixtureReceived")));
    std::vector<Notification> result;
    if (!received)
        return result;
    const LONG count = received(-1, nullptr, nullptr);
    for (LONG i = from; i < count; ++i) {
        Notification n{};
        received(i, &n.code, &n.param1);
        result.push_back(n);
    }
    return result;
}

LONG ReceivedCount(HMODULE fixture) {
    auto received = reinterpret_cast<ReceivedFn>(
        reinterpret_cast<void*>(::GetProcAddress(fixture, "FixtureReceived")));
    return received ? received(-1, nullptr, nullptr) : -1;
}

std::vector<int> Codes(const std::vector<Notification>& notifications) {
    std::vector<int> codes;
    for (const Notification& n : notifications)
        codes.push_back(n.code);
    return codes;
}

bool Has(const std::vector<Notification>& notifications, int code) {
    return std::any_of(notifications.begin(), notifications.end(),
                       [code](const Notification& n) { return n.code == code; });
}

TEST(PluginHost, TheClockWindowNotifiesPlugInsWhereItsRulesSay) {
    MessageBoxHandler previous =
        SetMessageBoxHandler([](HWND, const wchar_t* text, const wchar_t*, UINT) {
            ADD_FAILURE() << "unexpected message box: " << ::testing::PrintToString(text);
            return IDOK;
        });
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    UniqueModule fixtureModule; // freed also when an assertion ends the test early
    {
        TfrmClock clock(::GetModuleHandleW(nullptr), DefaultFormatSettings(), nullptr,
                        {HKEY_CURRENT_USER, kTestKey});
        ASSERT_TRUE(clock.Create());
        clock.PlgMan().SetPluginFolder(L"FixturePlugins");
        clock.PlgMan().OnBeforeLoad = [](const std::wstring& name, bool& allowLoad) {
            allowLoad = name == L"Fixture.pzt";
        };
        clock.StartClock();
        ASSERT_EQ(clock.PlgMan().PluginCount(), 1);
        wchar_t path[MAX_PATH];
        ::GetModuleFileNameW(clock.PlgMan().PluginHandle(0), path, MAX_PATH);
        fixtureModule.reset(::LoadLibraryW(path));
        HMODULE fixture = fixtureModule.get();
        ASSERT_NE(fixture, nullptr);
        // The clock showed itself before the plug-ins loaded: they find it visible.
        EXPECT_TRUE(::IsWindowVisible(clock.Handle()));
        EXPECT_FALSE(Has(ReceivedSince(fixture, 0), msgShown));

        // Clock ticks: each new second, and every clock update.
        LONG mark = ReceivedCount(fixture);
        std::vector<Notification> got;
        EXPECT_TRUE(test::PumpUntil(
            [&] {
                got = ReceivedSince(fixture, mark);
                return Has(got, msgSecond) && Has(got, msgClockChanged);
            },
            5000));

        // A system time change: the clock is read again, then the host's current-time
        // function is handed out.
        mark = ReceivedCount(fixture);
        ::SendMessageW(clock.Handle(), WM_TIMECHANGE, 0, 0);
        got = ReceivedSince(fixture, mark);
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got.back().code, msgTimeChanged);
        EXPECT_TRUE(Has(got, msgClockChanged)) << "refreshed before";
        auto now = reinterpret_cast<CurrentTimeFn>(got.back().param1);
        ASSERT_NE(now, nullptr);
        EXPECT_NEAR(now(), clock.Clock().GetTime(), 5.0 / 86400);

        // Waking from sleep counts as a time change; other power events do not.
        mark = ReceivedCount(fixture);
        ::SendMessageW(clock.Handle(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
        EXPECT_FALSE(Has(ReceivedSince(fixture, mark), msgTimeChanged));
        ::SendMessageW(clock.Handle(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
        EXPECT_TRUE(Has(ReceivedSince(fixture, mark), msgTimeChanged));

        mark = ReceivedCount(fixture);
        clock.SaveSettings();
        EXPECT_EQ(Codes(ReceivedSince(fixture, mark)), std::vector<int>{msgSaving});

        // Unlocking changes the panel's cursor: told as a panel resize, with the panel.
        const auto panel = reinterpret_cast<INT_PTR>(clock.Interface()->GetInterface(ztiLCDPanel));
        mark = ReceivedCount(fixture);
        clock.SetValue(ztvLocked, 0);
        got = ReceivedSince(fixture, mark);
        ASSERT_EQ(Codes(got), std::vector<int>{msgPanelResized});
        EXPECT_EQ(got[0].param1, panel);

        // A wider text resizes the panel.
        mark = ReceivedCount(fixture);
        clock.MainScreen().SetCaption(L"00:00:00.000");
        got = ReceivedSince(fixture, mark);
        ASSERT_TRUE(Has(got, msgPanelResized));
        EXPECT_EQ(got[0].param1, panel);

        // Dragging reports the window, as its basic interface, while it moves.
        HWND panelWindow = clock.MainScreen().Window();
        mark = ReceivedCount(fixture);
        ::SendMessageW(panelWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        ::SendMessageW(panelWindow, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(15, 15));
        ::SendMessageW(panelWindow, WM_LBUTTONUP, 0, MAKELPARAM(15, 15));
        got = ReceivedSince(fixture, mark);
        auto moved = std::find_if(got.begin(), got.end(),
                                  [](const Notification& n) { return n.code == msgWindowMoved; });
        ASSERT_NE(moved, got.end());
        EXPECT_EQ(moved->param1,
                  reinterpret_cast<INT_PTR>(clock.Interface()->GetInterface(ztiWindow)));

        // Rolling up hides, rolling down shows.
        mark = ReceivedCount(fixture);
        clock.ShowHideClock();
        EXPECT_TRUE(test::PumpUntil([&] { return Has(ReceivedSince(fixture, mark), msgHidden); }));
        mark = ReceivedCount(fixture);
        clock.ShowHideClock();
        EXPECT_TRUE(test::PumpUntil([&] { return Has(ReceivedSince(fixture, mark), msgShown); }));

        // Closing: the settings are saved, then the last notification is msgClosing.
        mark = ReceivedCount(fixture);
        ::SendMessageW(clock.Handle(), WM_CLOSE, 0, 0);
        got = ReceivedSince(fixture, mark);
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got.back().code, msgClosing);
        EXPECT_TRUE(Has(got, msgSaving));
        EXPECT_EQ(std::count_if(got.begin(), got.end(),
                                [](const Notification& n) { return n.code == msgClosing; }),
                  1);
        EXPECT_EQ(clock.PlgMan().PluginCount(), 0) << "unloaded after the closing broadcast";
    }
    fixtureModule.reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    SetMessageBoxHandler(previous);
}

// ---- The loader on its own, one or two files of FixturePlugins at a time ----

using SetModeFn = void(__stdcall*)(LONG);
enum FixtureMode : LONG { kNormal = 0, kInitializeFalse, kInitializeThrows, kFinalizeThrows };

class PluginLoader : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ =
            SetMessageBoxHandler([this](HWND, const wchar_t* text, const wchar_t* caption, UINT) {
                boxes.push_back(std::wstring(caption) + L"|" + text);
                return IDOK;
            });
        manager.SetPluginFolder(L"FixturePlugins");
    }
    void TearDown() override {
        manager.UnloadAllPlugins();
        if (fixture_)
            ::FreeLibrary(fixture_);
        SetMessageBoxHandler(previous_);
    }

    // Scans the folder, loading only the files named in allowed.
    void LoadOnly(std::vector<std::wstring> allowed) {
        manager.OnBeforeLoad = [this, allowed](const std::wstring& name, bool& allowLoad) {
            allowLoad = std::find(allowed.begin(), allowed.end(), name) != allowed.end();
        };
        manager.OnAfterLoad = [this](const std::wstring& name) { afterLoad.push_back(name); };
        manager.LoadPlugins();
    }

    // Fixture.pzt held by the test, so its counters and mode outlive the manager's use.
    HMODULE Fixture() {
        if (!fixture_)
            fixture_ = ::LoadLibraryW((manager.ScanFolder() + L"Fixture.pzt").c_str());
        return fixture_;
    }
    void SetMode(LONG mode) {
        auto set = reinterpret_cast<SetModeFn>(
            reinterpret_cast<void*>(::GetProcAddress(Fixture(), "FixtureSetMode")));
        ASSERT_NE(set, nullptr);
        set(mode);
    }

    TztPluginManager manager;
    std::vector<std::wstring> boxes;
    std::vector<std::wstring> afterLoad;

private:
    MessageBoxHandler previous_;
    HMODULE fixture_ = nullptr;
};

TEST_F(PluginLoader, OnBeforeLoadClearingAllowLoadSuppressesTheLoadAndOnAfterLoad) {
    LoadOnly({L"Fixture2.pzt"});
    ASSERT_EQ(manager.PluginCount(), 1);
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(manager.PluginHandle(0), path, MAX_PATH);
    EXPECT_NE(std::wstring(path).find(L"Fixture2.pzt"), std::wstring::npos);
    EXPECT_EQ(afterLoad, std::vector<std::wstring>{L"Fixture2.pzt"});
    EXPECT_TRUE(boxes.empty()) << "the bad files were never tried";
    EXPECT_EQ(::GetModuleHandleW(L"Fixture.pzt"), nullptr);
}

TEST_F(PluginLoader, ExtensionMustBeOneToThreeCharacters) {
    EXPECT_EQ(manager.Extension(), L"pzt");
    EXPECT_THROW(manager.SetExtension(L""), EztError);
    EXPECT_THROW(manager.SetExtension(L"abcd"), EztError);
    EXPECT_EQ(manager.Extension(), L"pzt");
    manager.SetExtension(L"dll");
    EXPECT_EQ(manager.Extension(), L"dll");
}

TEST_F(PluginLoader, ALibraryRefusedForTheInstanceLimitIsReleased) {
    LoadOnly({L"Fixture.pzt", L"Fixture2.pzt"});
    ASSERT_EQ(manager.PluginCount(), 1);
    EXPECT_TRUE(boxes.empty()) << "the second copy is skipped silently";
    const bool firstLoaded = ::GetModuleHandleW(L"Fixture.pzt") != nullptr;
    const bool secondLoaded = ::GetModuleHandleW(L"Fixture2.pzt") != nullptr;
    EXPECT_NE(firstLoaded, secondLoaded) << "exactly one library stays loaded";
}

TEST_F(PluginLoader, AFailedOrThrowingInitializeIsReportedAndTheLibraryReleased) {
    for (LONG mode : {kInitializeFalse, kInitializeThrows}) {
        SCOPED_TRACE(mode);
        boxes.clear();
        SetMode(mode);
        const LONG initializedBefore = Read(Fixture()).initialized;
        LoadOnly({L"Fixture.pzt"});
        EXPECT_EQ(manager.PluginCount(), 0);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], L"Error Loading PlugIn|\"" + manager.ScanFolder() +
                                L"Fixture.pzt\" failed initialization.");
        EXPECT_EQ(Read(Fixture()).initialized, initializedBefore);
        // It subscribed before failing: its record went with it.
        EXPECT_EQ(manager.Messages().SubscriptionCount(msgSecond), 0u);
        manager.Messages().Broadcast(msgSecond, 0, 0);
        EXPECT_EQ(Read(Fixture()).seconds, 0);
    }
    // A library that failed is free to load once it behaves.
    SetMode(kNormal);
    LoadOnly({L"Fixture.pzt"});
    EXPECT_EQ(manager.PluginCount(), 1);
}

TEST_F(PluginLoader, AThrowingFinalizeStillUnloadsAndTheNextPluginGoesToo) {
    SetMode(kFinalizeThrows);
    LoadOnly({L"Fixture.pzt"});
    ASSERT_EQ(manager.PluginCount(), 1);
    const LONG finalizedBefore = Read(Fixture()).finalized;
    EXPECT_NO_THROW(manager.UnloadAllPlugins());
    EXPECT_EQ(manager.PluginCount(), 0);
    EXPECT_EQ(Read(Fixture()).finalized, finalizedBefore + 1);
    EXPECT_EQ(manager.Messages().SubscriptionCount(msgSecond), 0u);
    SetMode(kNormal);
}

TEST_F(PluginLoader, LoaderErrorsGoToTheDiagnosticLogWithWhatWentWrong) {
    test::DebugLogValue log;
    log.SetText(L"1");
    LoadOnly({L"NotAPlugin.pzt", L"NoExport.pzt"});
    SetMode(kInitializeFalse);
    LoadOnly({L"Fixture.pzt"});
    SetMode(kInitializeThrows);
    LoadOnly({L"Fixture.pzt"});
    SetMode(kNormal);
    EXPECT_EQ(boxes.size(), 4u) << "the user is told as before";

    const std::string written = log.Appended();
    auto logged = [&](const std::wstring& file, const std::wstring& text) {
        const std::string line =
            "\"" + WideToUtf8(manager.ScanFolder() + file) + "\"" + WideToUtf8(text) + "\r\n";
        EXPECT_NE(written.find(line), std::string::npos) << line << "\nnot in\n" << written;
    };
    // The system's text where a system call failed.
    logged(L"NotAPlugin.pzt", L": " + SystemErrorText(ERROR_BAD_EXE_FORMAT));
    logged(L"NoExport.pzt",
           L" is not a valid Plug-in: ztRegisterPlugin: " + SystemErrorText(ERROR_PROC_NOT_FOUND));
    logged(L"Fixture.pzt", L" failed initialization: Initialize returned FALSE");
    // The plug-in's own exception text when it threw.
    logged(L"Fixture.pzt", L" failed initialization (Initialize): fixture: Initialize fails");
}

TEST_F(PluginLoader, OnLibraryUnloadingGetsTheImageOnEveryPathButTheDestructor) {
    const auto code = reinterpret_cast<std::uintptr_t>(
        reinterpret_cast<void*>(::GetProcAddress(Fixture(), "FixtureCounters")));
    ASSERT_NE(code, 0u);
    struct Raised {
        std::uintptr_t begin, end;
        LONG finalized;
    };
    std::vector<Raised> raised;
    auto record = [&](std::uintptr_t begin, std::uintptr_t end) {
        raised.push_back({begin, end, Read(Fixture()).finalized});
    };
    auto raisedOnceForTheFixture = [&] {
        return raised.size() == 1 && raised[0].begin <= code && code < raised[0].end;
    };
    manager.OnLibraryUnloading = record;

    for (LONG mode : {kInitializeFalse, kInitializeThrows}) {
        SCOPED_TRACE(mode);
        raised.clear();
        SetMode(mode);
        LoadOnly({L"Fixture.pzt"});
        ASSERT_EQ(manager.PluginCount(), 0);
        EXPECT_TRUE(raisedOnceForTheFixture());
    }
    SetMode(kNormal);

    // Unloading one plug-in and all of them: raised after Finalize.
    for (bool all : {false, true}) {
        SCOPED_TRACE(all ? "UnloadAllPlugins" : "UnloadPluginAt");
        LoadOnly({L"Fixture.pzt"});
        ASSERT_EQ(manager.PluginCount(), 1);
        raised.clear();
        const LONG finalized = Read(Fixture()).finalized;
        if (all)
            manager.UnloadAllPlugins();
        else
            manager.UnloadPluginAt(0);
        ASSERT_TRUE(raisedOnceForTheFixture());
        EXPECT_EQ(raised[0].finalized, finalized + 1);
    }

    {
        TztPluginManager closing;
        closing.SetPluginFolder(L"FixturePlugins");
        closing.OnBeforeLoad = [](const std::wstring& name, bool& allowLoad) {
            allowLoad = name == L"Fixture.pzt";
        };
        closing.OnLibraryUnloading = record;
        closing.LoadPlugins();
        ASSERT_EQ(closing.PluginCount(), 1);
        raised.clear();
    }
    EXPECT_TRUE(raised.empty()) << "the window's handler may be gone when the manager goes";
}

// Broadcasts from a worker into the plug-in's callbacks while the main thread unloads it.
constexpr int kWorkerCode = 4242;
using SubscribeFn = BOOL(__stdcall*)(int, WORD);
using SubscribeHoldFn = BOOL(__stdcall*)(int);
using HeldFn = LONG(__stdcall*)();
using ReleaseFn = void(__stdcall*)();

TEST_F(PluginLoader, AnUnloadEndsAPendingMainThreadCallIntoThePlugInUnrunAndFreesTheLibrary) {
    LoadOnly({L"Fixture.pzt"});
    ASSERT_EQ(manager.PluginCount(), 1);
    auto subscribe = Export<SubscribeFn>(manager.PluginHandle(0), "FixtureSubscribe");
    ASSERT_NE(subscribe, nullptr);
    ASSERT_TRUE(subscribe(kWorkerCode, ZT_SUBSCRIBE_MAIN_THREAD));
    std::atomic<bool> done{false};
    std::thread worker([&] {
        manager.Broadcast(kWorkerCode, 0, 0);
        done = true;
    });
    // The worker's call waits for this thread, which unloads the plug-in meanwhile.
    const bool pending = test::SentMessagePending();
    manager.UnloadPluginAt(0);
    EXPECT_EQ(::GetModuleHandleW(L"Fixture.pzt"), nullptr) << "freed within the wait";
    ASSERT_TRUE(test::PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_TRUE(pending);
}

TEST_F(PluginLoader, ALibraryStaysLoadedWhileAWorkerIsStillInItsCallbackAfterTheWait) {
    LoadOnly({L"Fixture.pzt"});
    ASSERT_EQ(manager.PluginCount(), 1);
    HMODULE module = manager.PluginHandle(0);
    auto hold = Export<SubscribeHoldFn>(module, "FixtureSubscribeHold");
    auto held = Export<HeldFn>(module, "FixtureHeld");
    auto release = Export<ReleaseFn>(module, "FixtureRelease");
    ASSERT_TRUE(hold && held && release);
    ASSERT_TRUE(hold(kWorkerCode));
    std::thread worker([&] { manager.Broadcast(kWorkerCode, 0, 0); });
    const bool inside = test::PumpUntil([&] { return held() == 1; });
    bool kept = false;
    ULONGLONG waited = 0;
    if (inside) {
        manager.SetUnloadWait(100);
        const ULONGLONG start = ::GetTickCount64();
        manager.UnloadPluginAt(0);
        waited = ::GetTickCount64() - start;
        kept = ::GetModuleHandleW(L"Fixture.pzt") == module;
    }
    release(); // into freed code unless the library was kept
    worker.join();
    ASSERT_TRUE(inside);
    EXPECT_TRUE(kept);
    EXPECT_GE(waited, 100u);
    EXPECT_EQ(held(), 0);
    if (kept)
        ::FreeLibrary(module); // left to whoever knows the worker has gone
}

} // namespace
} // namespace zt
