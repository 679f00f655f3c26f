// Stopwatch.pzt loaded into the test process and driven through its commands, with the
// real LCD panel, language manager and timer service and fake clock engine and plug-in
// manager.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cwchar>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "common/handles.h"
#include "common/timer.h"
#include "display/lcd_panel.h"
#include "host/lang_man_intf.h"
#include "plugin_identity.h"
#include "tests/plugins/fake_host.h"
#include "zentik/ztPlugin.h"

namespace zt::test {
namespace {

constexpr wchar_t kOnOff[] = L"sw_Stopwatch_ON_OFF";
constexpr wchar_t kStartStop[] = L"sw_Stopwatch_START_STOP";
constexpr wchar_t kClear[] = L"sw_Stopwatch_CLEAR";
constexpr wchar_t kZero[] = L"00:00:00.000";
// Timer and scheduling slack under Wine.
constexpr std::uint32_t kToleranceMs = 300;

class StopwatchPluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeZentik& host = FakeZentik::Get();
        host.Reset();
        language = CreateLanguageManager(L"" ZT_PROGRAM_DIR, L"Language", L"en");
        ASSERT_NE(language, nullptr);
        panel = TztLCDPanel::Create(host.Window(), 0, 0);
        ASSERT_NE(panel, nullptr);
        panel->SetCaption(L"12:34");
        host.clock = static_cast<ICustomZentik*>(&clock);
        host.panel = panel->Unknown();
        host.language = language;
        pluginsMenu = ::CreatePopupMenu();
        ::SetPropW(host.Window(), ZT_PLUGINS_ITEMS, pluginsMenu);
    }

    void TearDown() override {
        Unload();
        FakeZentik::Get().Reset();
        ::DestroyMenu(pluginsMenu);
        panel.reset();
        if (language)
            language->Release();
    }

    // Loads the library and initialises its plug-in as the host does.
    void Load() {
        module.reset(::LoadLibraryW(L"" ZT_STOPWATCH_PATH));
        ASSERT_TRUE(module) << "error " << ::GetLastError();
        const auto registerPlugin = reinterpret_cast<ZT_REGISTER_PLUGIN>(
            reinterpret_cast<void*>(::GetProcAddress(module.get(), "ztRegisterPlugin")));
        ASSERT_NE(registerPlugin, nullptr);
        IUnknown* unknown = nullptr;
        registerPlugin(&unknown);
        ASSERT_NE(unknown, nullptr);
        void* found = nullptr;
        ASSERT_EQ(unknown->QueryInterface(IID_IztPlugin, &found), S_OK);
        unknown->Release();
        plugin = static_cast<IztPlugin*>(found);
        ASSERT_EQ(plugin->Initialize(&manager), TRUE);
    }

    void Unload() {
        if (plugin)
            std::exchange(plugin, nullptr)->Finalize();
        module.reset();
    }

    void Run(const wchar_t* command) {
        ZT_CMND_PROC proc = manager.Proc(command);
        ASSERT_NE(proc, nullptr) << "not registered";
        proc(nullptr);
    }

    std::wstring Text() const { return panel->GetCaption(); }
    long long Shown() const { return ShownMs(Text()); }
    // Timers of the clock's timer service that exist now.
    static unsigned Timers() { return GetTimerHandlerState().timerCount; }

    FakeClock clock;
    FakePluginMan manager;
    IztLanguageMan* language = nullptr;
    std::unique_ptr<TztLCDPanel> panel;
    HMENU pluginsMenu = nullptr;
    UniqueModule module;
    IztPlugin* plugin = nullptr;
};

TEST_F(StopwatchPluginTest, IdentityAndTextsFromItsLanguageModule) {
    Load();
    EXPECT_EQ(ztTakeBstr(plugin->GetName()), L"Stopwatch.Zentik");
    EXPECT_EQ(ztTakeBstr(plugin->GetVersion()), L"2.1");
    EXPECT_EQ(plugin->GetMaxInstances(), 1);
    EXPECT_EQ(ztTakeBstr(plugin->GetCaption()), L"Stopwatch");
    EXPECT_FALSE(ztTakeBstr(plugin->GetDescription()).empty());
    EXPECT_FALSE(ztTakeBstr(plugin->GetAuthor()).empty());
    EXPECT_EQ(ztTakeBstr(plugin->GetNotice()), kPluginNotice);

    IztLanguageMan* russian = CreateLanguageManager(L"" ZT_PROGRAM_DIR, L"Language", L"ru");
    ASSERT_NE(russian, nullptr);
    FakeZentik::Get().language = russian;
    EXPECT_EQ(ztTakeBstr(plugin->GetCaption()),
              L"\u0421\u0435\u043A\u0443\u043D\u0434\u043E\u043C\u0435"
              L"\u0440"); // "Секундомер"
    EXPECT_FALSE(ztTakeBstr(plugin->GetDescription()).empty());
    EXPECT_NE(ztTakeBstr(plugin->GetNotice()).find(L"Zentik"), std::wstring::npos);
    EXPECT_NE(ztTakeBstr(plugin->GetNotice()), kPluginNotice) << "the Russian notice";
    FakeZentik::Get().language = language;
    russian->Release();
}

TEST_F(StopwatchPluginTest, RegistersThreeCommandsAndItsSubmenu) {
    Load();
    ASSERT_EQ(manager.commands.size(), 3u);
    const wchar_t* names[] = {kOnOff, kStartStop, kClear};
    const wchar_t* captions[] = {L"Stopwatch on/off", L"Start/stop", L"Clear"};
    for (size_t i = 0; i < 3; ++i) {
        const FakePluginMan::Command& command = manager.commands[i];
        EXPECT_EQ(command.data, names[i]);
        EXPECT_EQ(command.caption, captions[i]);
        EXPECT_FALSE(command.hint.empty());
        EXPECT_NE(command.hint, command.caption);
        EXPECT_NE(command.proc, nullptr);
        EXPECT_EQ(command.plugin, static_cast<IUnknown*>(plugin));
    }

    ASSERT_EQ(::GetMenuItemCount(pluginsMenu), 1);
    EXPECT_EQ(MenuText(pluginsMenu, 0), L"Stopwatch");
    HMENU sub = ::GetSubMenu(pluginsMenu, 0);
    ASSERT_NE(sub, nullptr);
    ASSERT_EQ(::GetMenuItemCount(sub), 3);
    for (UINT i = 0; i < 3; ++i) {
        EXPECT_EQ(MenuText(sub, i), captions[i]);
        EXPECT_EQ(::GetMenuState(sub, i, MF_BYPOSITION) & (MF_GRAYED | MF_CHECKED), 0u);
    }

    // Picking the first entry switches the stopwatch on.
    EXPECT_EQ(ztRunMenuAction(pluginsMenu, ::GetMenuItemID(sub, 0), nullptr), TRUE);
    EXPECT_EQ(Text(), kZero);
    EXPECT_TRUE(clock.suspended);
}

TEST_F(StopwatchPluginTest, WithoutPluginsItemsItLoadsWithoutMenuOrCommands) {
    ::RemovePropW(FakeZentik::Get().Window(), ZT_PLUGINS_ITEMS);
    Load();
    EXPECT_TRUE(manager.commands.empty());
    EXPECT_EQ(::GetMenuItemCount(pluginsMenu), 0);
    Unload();
    EXPECT_TRUE(manager.deleted.empty());
}

TEST_F(StopwatchPluginTest, SwitchingOnShowsZeroAtOnceAndSuspendsTheClockText) {
    Load();
    EXPECT_FALSE(clock.suspended);
    Run(kOnOff);
    EXPECT_EQ(Text(), kZero);
    EXPECT_TRUE(clock.suspended);
    PumpFor(200); // stopped: nothing changes
    EXPECT_EQ(Text(), kZero);
}

TEST_F(StopwatchPluginTest, ItsTimerComesFromTheClockAndGoesBackWhenSwitchedOff) {
    const unsigned before = Timers();
    Load();
    EXPECT_EQ(FakeZentik::Get().timersMade, 0) << "no timer while off";
    Run(kOnOff);
    EXPECT_EQ(FakeZentik::Get().timersMade, 1);
    EXPECT_EQ(Timers(), before + 1);
    Run(kOnOff);
    EXPECT_EQ(Timers(), before) << "the timer was not released";
    Run(kOnOff);
    EXPECT_EQ(FakeZentik::Get().timersMade, 2) << "a new timer each time it is switched on";
}

TEST_F(StopwatchPluginTest, WithoutATimerFromTheClockItStaysOff) {
    FakeZentik::Get().makesTimers = false;
    Load();
    Run(kOnOff);
    EXPECT_EQ(Text(), L"12:34");
    EXPECT_EQ(clock.suspendCalls, 0);
    Run(kStartStop);
    PumpFor(100);
    EXPECT_EQ(Text(), L"12:34");
}

TEST_F(StopwatchPluginTest, RunsAddUp) {
    Load();
    Run(kOnOff);
    Run(kStartStop);
    PumpFor(750);
    const long long midway = Shown(); // running: the display moves
    EXPECT_GT(midway, 500);
    PumpFor(750);
    Run(kStartStop);
    const long long first = Shown();
    EXPECT_NEAR(first, 1500, kToleranceMs);
    PumpFor(400); // stopped: the time stands
    EXPECT_EQ(Shown(), first);

    Run(kStartStop);
    PumpFor(2000);
    Run(kStartStop);
    EXPECT_NEAR(Shown(), 3500, kToleranceMs);
    EXPECT_TRUE(clock.suspended);
}

TEST_F(StopwatchPluginTest, ClearWhileRunningCountsAgainFromZero) {
    Load();
    Run(kOnOff);
    Run(kStartStop);
    PumpFor(1000);
    Run(kClear);
    EXPECT_EQ(Text(), kZero);
    PumpFor(500);
    const long long running = Shown();
    EXPECT_NEAR(running, 500, kToleranceMs);
    Run(kStartStop);
    EXPECT_NEAR(Shown(), 500, kToleranceMs);
}

TEST_F(StopwatchPluginTest, ClearWhileStoppedShowsZero) {
    Load();
    Run(kOnOff);
    Run(kStartStop);
    PumpFor(300);
    Run(kStartStop);
    ASSERT_GT(Shown(), 0);
    Run(kClear);
    EXPECT_EQ(Text(), kZero);
    Run(kStartStop); // counts from zero, not from the cleared time
    PumpFor(300);
    Run(kStartStop);
    EXPECT_NEAR(Shown(), 300, kToleranceMs);
}

TEST_F(StopwatchPluginTest, WhileOffStartAndClearLeaveThePanelAlone) {
    Load();
    Run(kStartStop);
    Run(kClear);
    PumpFor(100);
    EXPECT_EQ(Text(), L"12:34");
    EXPECT_EQ(clock.suspendCalls, 0);
}

TEST_F(StopwatchPluginTest, SwitchingOffGivesTheTextBack) {
    Load();
    Run(kOnOff);
    Run(kStartStop);
    PumpFor(200);
    Run(kOnOff);
    EXPECT_FALSE(clock.suspended);
    // The clock writes its text again; the stopwatch writes nothing any more.
    panel->SetCaption(L"12:35");
    PumpFor(200);
    EXPECT_EQ(Text(), L"12:35");

    // On again: stopped at zero.
    Run(kOnOff);
    EXPECT_EQ(Text(), kZero);
    EXPECT_TRUE(clock.suspended);
    PumpFor(100);
    EXPECT_EQ(Text(), kZero);
}

TEST_F(StopwatchPluginTest, FinalizeWhileRunningRestoresTheClockText) {
    const unsigned timersBefore = Timers();
    Load();
    Run(kOnOff);
    Run(kStartStop);
    PumpFor(200);
    std::exchange(plugin, nullptr)->Finalize();
    EXPECT_EQ(Timers(), timersBefore) << "the running timer outlives the plug-in";
    EXPECT_FALSE(clock.suspended);
    ASSERT_EQ(manager.deleted.size(), 3u);
    EXPECT_EQ(manager.deleted[0], kOnOff);
    EXPECT_EQ(manager.deleted[1], kStartStop);
    EXPECT_EQ(manager.deleted[2], kClear);
    EXPECT_EQ(::GetMenuItemCount(pluginsMenu), 0);
    EXPECT_EQ(clock.Refs(), 0);
    EXPECT_EQ(manager.Refs(), 0);
    panel->SetCaption(L"12:36");
    PumpFor(200);
    EXPECT_EQ(Text(), L"12:36");
    module.reset(); // the library goes with no timer left behind
    PumpFor(100);
}

TEST_F(StopwatchPluginTest, CommandsFromAWorkerThreadRunOnTheGuiThread) {
    Load();
    std::atomic<bool> done{false};
    ZT_CMND_PROC onOff = manager.Proc(kOnOff);
    ZT_CMND_PROC startStop = manager.Proc(kStartStop);
    ASSERT_TRUE(onOff && startStop);
    std::thread worker([&] {
        onOff(nullptr);
        startStop(nullptr);
        done = true;
    });
    const ULONGLONG limit = ::GetTickCount64() + 5000;
    while (!done && ::GetTickCount64() < limit)
        PumpFor(10);
    worker.join();
    ASSERT_TRUE(done);
    EXPECT_EQ(manager.crossThreadCalls, 2);
    ASSERT_EQ(manager.callbackThreads.size(), 2u);
    for (DWORD thread : manager.callbackThreads)
        EXPECT_EQ(thread, ::GetCurrentThreadId());
    EXPECT_TRUE(clock.suspended);

    // The display timer lives on this thread: it ticks while this thread pumps.
    PumpFor(400);
    EXPECT_NEAR(Shown(), 400, kToleranceMs);
}

} // namespace
} // namespace zt::test
