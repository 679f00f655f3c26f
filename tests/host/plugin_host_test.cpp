// The clock window with real plug-in libraries: loading, the loader's messages,
// announced commands, notifications and unloading.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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
