// The clock window with real plug-in libraries: loading, the loader's messages,
// announced commands, notifications and unloading.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/handles.h"
#include "common/message_box.h"
#include "common/program_folder.h"
#include "framework/plugin_man.h"
#include "host/main_window.h"
#include "support/zentik_process.h"

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

void PumpFor(DWORD milliseconds) {
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    while (::GetTickCount64() < end) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    }
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
        PumpFor(2300);
        EXPECT_GE(Read(fixture).seconds, 1) << "msgSecond reaches subscribers";

        clock.PlgMan().UnloadAllPlugins();
        EXPECT_EQ(Read(fixture).finalized, 1);
        EXPECT_EQ(clock.Commands().Interface()->Execute(L"pm_FixtureCount", L""), -1)
            << "the command went with its plug-in";
    }
    ::FreeLibrary(fixture);
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
        EXPECT_TRUE(Has(ReceivedSince(fixture, 0), msgShown)) << "shown at start";

        // Clock ticks: each new second, and every clock update.
        LONG mark = ReceivedCount(fixture);
        PumpFor(1300);
        std::vector<Notification> got = ReceivedSince(fixture, mark);
        EXPECT_TRUE(Has(got, msgSecond));
        EXPECT_TRUE(Has(got, msgClockChanged));

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

        mark = ReceivedCount(fixture);
        clock.SaveSettings();
        EXPECT_EQ(Codes(ReceivedSince(fixture, mark)), std::vector<int>{msgSaving});

        // Unlocking changes the panel's cursor: told as a panel resize, with the panel.
        const auto panel = reinterpret_cast<INT_PTR>(clock.GetInterface(2));
        mark = ReceivedCount(fixture);
        clock.SetValue(9, 0);
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
        EXPECT_EQ(moved->param1, reinterpret_cast<INT_PTR>(clock.GetInterface(0)));

        // Rolling up hides, rolling down shows.
        mark = ReceivedCount(fixture);
        clock.ShowHideClock();
        PumpFor(50);
        EXPECT_TRUE(Has(ReceivedSince(fixture, mark), msgHidden));
        mark = ReceivedCount(fixture);
        clock.ShowHideClock();
        PumpFor(50);
        EXPECT_TRUE(Has(ReceivedSince(fixture, mark), msgShown));

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

} // namespace
} // namespace zt
