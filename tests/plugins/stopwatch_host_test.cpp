// Stopwatch.pzt in the real clock window: loaded by the plug-in manager from the program's
// Plugins folder, driven through the command registry, the clock menu and a worker
// thread, and unloaded while it runs.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/datetime_format.h"
#include "common/message_box.h"
#include "host/lang_man_intf.h"
#include "host/main_window.h"
#include "support/zentik_process.h"
#include "tests/plugins/plugin_test_util.h"

namespace zt {
namespace {

using test::MenuText;
using test::PumpFor;
using test::RunXdotool;
using test::ShownMs;
using test::XdotoolAvailable;

constexpr wchar_t kTestKey[] = L"Software\\Ombrelt\\ZentikStopwatchTest";
constexpr wchar_t kZero[] = L"00:00:00.000";
// Timer and scheduling slack under Wine.
constexpr long long kToleranceMs = 300;

// One clock window for the whole program: the host API keeps the first host it is given.
class StopwatchInTheClock : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        previousBoxes = SetMessageBoxHandler([](HWND, const wchar_t* text, const wchar_t*, UINT) {
            ADD_FAILURE() << "unexpected message box: " << ::testing::PrintToString(text);
            return IDOK;
        });
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        language = CreateLanguageManager(L"" ZT_PROGRAM_DIR, L"Language", L"en");
        clock =
            std::make_unique<TfrmClock>(::GetModuleHandleW(nullptr), DefaultFormatSettings(),
                                        language, SettingsLocation{HKEY_CURRENT_USER, kTestKey});
        if (!clock->Create())
            return;
        TztPluginManager& plugins = clock->PlgMan();
        plugins.SetProgramFolder(L"" ZT_PROGRAM_DIR);
        plugins.SetPluginFolder(L"Plugins");
        plugins.OnBeforeLoad = [](const std::wstring& name, bool& allowLoad) {
            allowLoad = name == L"Stopwatch.pzt";
        };
        clock->StartClock();
    }
    static void TearDownTestSuite() {
        clock.reset();
        if (language)
            language->Release();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        SetMessageBoxHandler(previousBoxes);
    }

    void SetUp() override {
        ASSERT_TRUE(clock && clock->Handle());
        ASSERT_EQ(clock->PlgMan().PluginCount(), 1) << "Stopwatch.pzt did not load";
        if (clock->Clock().GetTextSuspended())
            Run(L"sw_Stopwatch_ON_OFF"); // each test starts with the stopwatch off
    }

    static std::wstring Caption() { return clock->MainScreen().GetCaption(); }
    static long long Shown() { return ShownMs(Caption()); }
    static int Run(const wchar_t* command) {
        return clock->Commands().Interface()->Execute(command, L"");
    }
    static HMENU PluginsItems() {
        return static_cast<HMENU>(::GetPropW(clock->Handle(), L"PluginsItems"));
    }

    static inline std::unique_ptr<TfrmClock> clock;
    static inline IztLanguageMan* language = nullptr;
    static inline MessageBoxHandler previousBoxes;
};

TEST_F(StopwatchInTheClock, ItsSubmenuSitsUnderPluginsItemsAndAPickRunsTheAction) {
    HMENU plugins = PluginsItems();
    ASSERT_NE(plugins, nullptr);
    ASSERT_EQ(::GetMenuItemCount(plugins), 1);
    EXPECT_EQ(MenuText(plugins, 0), L"Stopwatch");
    HMENU sub = ::GetSubMenu(plugins, 0);
    ASSERT_NE(sub, nullptr);
    ASSERT_EQ(::GetMenuItemCount(sub), 3);
    EXPECT_EQ(MenuText(sub, 0), L"Stopwatch on/off");
    EXPECT_EQ(MenuText(sub, 1), L"Start/stop");
    EXPECT_EQ(MenuText(sub, 2), L"Clear");

    // A pick of "on/off" as the window receives it.
    ::SendMessageW(clock->Handle(), WM_COMMAND, MAKEWPARAM(::GetMenuItemID(sub, 0), 0), 0);
    EXPECT_EQ(Caption(), kZero);
    EXPECT_TRUE(clock->Clock().GetTextSuspended());
    ::SendMessageW(clock->Handle(), WM_COMMAND, MAKEWPARAM(::GetMenuItemID(sub, 0), 0), 0);
    EXPECT_FALSE(clock->Clock().GetTextSuspended());
}

// Clicks the item at position of menu once the menu is on screen; false when it does not
// show up or xdotool is missing.
bool ClickMenuItem(HMENU menu, UINT position) {
    RECT item{};
    const ULONGLONG limit = ::GetTickCount64() + 5000;
    while (!::GetMenuItemRect(nullptr, menu, position, &item) || ::IsRectEmpty(&item)) {
        if (::GetTickCount64() >= limit)
            return false;
        ::Sleep(50);
    }
    ::Sleep(200);
    const std::wstring at = std::to_wstring((item.left + item.right) / 2) + L" " +
                            std::to_wstring((item.top + item.bottom) / 2);
    return RunXdotool(L"mousemove " + at + L" sleep 0.2 click 1");
}

// The menu of the first popup menu window on screen, or null.
HMENU ShownPopupMenu() {
    const ULONGLONG limit = ::GetTickCount64() + 5000;
    while (::GetTickCount64() < limit) {
        HWND popup = nullptr;
        while ((popup = ::FindWindowExW(nullptr, popup, L"#32768", nullptr)) != nullptr) {
            if (::IsWindowVisible(popup))
                return reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
        }
        ::Sleep(50);
    }
    return nullptr;
}

TEST_F(StopwatchInTheClock, APickInTheClockMenuSwitchesItOn) {
    if (!XdotoolAvailable())
        GTEST_SKIP() << "xdotool is not installed";
    HWND window = clock->Handle();
    HMENU plugins = PluginsItems();
    HMENU stopwatch = ::GetSubMenu(plugins, 0);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const std::wstring at = std::to_wstring(rect.left + 10) + L" " + std::to_wstring(rect.top + 10);
    // Right click on the clock; in its menu PluginsItems (position 4, after the three
    // checks and a separator), in that the Stopwatch's submenu, in that "on/off".
    std::atomic<bool> done{false};
    bool clicked = false;
    std::thread user([&] {
        if (RunXdotool(L"mousemove " + at + L" sleep 0.2 click 3")) {
            HMENU shown = ShownPopupMenu();
            clicked = shown && ClickMenuItem(shown, 4) && ClickMenuItem(plugins, 0) &&
                      ClickMenuItem(stopwatch, 0);
            if (!clicked)
                RunXdotool(L"key Escape Escape Escape");
        }
        done = true;
    });
    const ULONGLONG limit = ::GetTickCount64() + 40000;
    while (!done && ::GetTickCount64() < limit)
        PumpFor(20);
    user.join();
    ASSERT_TRUE(clicked) << "the menu did not open or an item was not on screen";
    PumpFor(100);
    EXPECT_EQ(Caption(), kZero);
    EXPECT_TRUE(clock->Clock().GetTextSuspended());
    EXPECT_EQ(::GetMenuItemCount(stopwatch), 3) << "the plug-in's items outlive the menu";
}

TEST_F(StopwatchInTheClock, ZeroAtOnceThenTwoRunsAddUp) {
    ASSERT_GE(Run(L"sw_Stopwatch_ON_OFF"), 0);
    EXPECT_EQ(Caption(), kZero);
    PumpFor(1200); // the clock ticks on but no longer writes its text
    EXPECT_EQ(Caption(), kZero);

    Run(L"sw_Stopwatch_START_STOP");
    PumpFor(1500);
    Run(L"sw_Stopwatch_START_STOP");
    EXPECT_NEAR(Shown(), 1500, kToleranceMs);
    Run(L"sw_Stopwatch_START_STOP");
    PumpFor(2000);
    Run(L"sw_Stopwatch_START_STOP");
    EXPECT_NEAR(Shown(), 3500, kToleranceMs);

    // CLEAR while running counts again from zero.
    Run(L"sw_Stopwatch_START_STOP");
    PumpFor(300);
    Run(L"sw_Stopwatch_CLEAR");
    PumpFor(500);
    EXPECT_NEAR(Shown(), 500, kToleranceMs);
    Run(L"sw_Stopwatch_START_STOP");
    Run(L"sw_Stopwatch_ON_OFF");
    EXPECT_FALSE(clock->Clock().GetTextSuspended());
}

TEST_F(StopwatchInTheClock, ACommandStartedOnAWorkerThreadRunsOnTheClocksThread) {
    clock->Commands().Interface()->ExecuteInThread(L"sw_Stopwatch_ON_OFF", L"");
    const ULONGLONG limit = ::GetTickCount64() + 5000;
    while (Caption() != kZero && ::GetTickCount64() < limit)
        PumpFor(10);
    EXPECT_EQ(Caption(), kZero);
    EXPECT_TRUE(clock->Clock().GetTextSuspended());
    Run(L"sw_Stopwatch_ON_OFF");
}

// Last: the plug-in goes away here.
TEST_F(StopwatchInTheClock, UnloadingWhileRunningGivesThePanelBackToTheClock) {
    Run(L"sw_Stopwatch_ON_OFF");
    Run(L"sw_Stopwatch_START_STOP");
    PumpFor(300);
    ASSERT_GT(Shown(), 0);
    clock->PlgMan().UnloadAllPlugins();
    EXPECT_FALSE(clock->Clock().GetTextSuspended());
    EXPECT_EQ(Run(L"sw_Stopwatch_ON_OFF"), -1) << "its commands went with it";
    EXPECT_EQ(::GetMenuItemCount(PluginsItems()), 0);

    // The clock text returns within one update (the design flashes, so within a second).
    PumpFor(1500);
    const std::wstring caption = Caption();
    EXPECT_EQ(ShownMs(caption), -1) << ::testing::PrintToString(caption);
    const FormatSettings settings = DefaultFormatSettings();
    const DateTime now = clock->Clock().GetTime();
    bool matches = false;
    for (DateTime at : {now, now - 1.0 / 86400}) // the second may just have turned
        for (const wchar_t* pattern : {L"hh:mm:ss", L"hh mm ss", L"hh:mm", L"hh mm"})
            matches = matches || caption == FormatDateTime(pattern, at, settings);
    EXPECT_TRUE(matches) << ::testing::PrintToString(caption);
}

} // namespace
} // namespace zt
