// The clock window with real plug-in libraries: loading, the loader's messages,
// announced commands, notifications and unloading.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/message_box.h"
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

} // namespace
} // namespace zt
