// The system commands under Wine, run through the real command registry with the machine's
// seams recorded: registration, the session end, a message with and without text, the
// clock window's flash, ending the foreground program (through the seam and for real, on a
// helper process the test starts), the title condition against a window the test brings to
// the front, a program started from a Cyrillic path, and each editor dialog, driven from
// inside its modal loop.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/component_name.h"
#include "common/handles.h"
#include "common/message_box.h"
#include "common/window_text.h"
#include "framework/cmnd_intf.h"
#include "sysact_plugin.h"
#include "tests/plugins/fake_host.h"

namespace zt::test {
namespace {

using Log = std::vector<std::wstring>;

constexpr wchar_t kHelperClass[] = L"ZtSysactTestHelper";

// What the test command "zt_TestRecord" was given.
Log recorded;
void STDMETHODCALLTYPE Record(const wchar_t* param) {
    recorded.push_back(param ? param : L"");
}

// Drives the modal dialog titled title from a thread timer, which its modal loop
// dispatches: calls drive with the dialog once it exists, then closes it.
class DialogDriver {
public:
    DialogDriver(std::wstring title, std::function<void(HWND)> drive)
        : title_(std::move(title)), drive_(std::move(drive)) {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 20, &Tick);
    }
    ~DialogDriver() {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool Driven() const { return driven_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        DialogDriver* self = current_;
        if (!self || self->driven_)
            return;
        HWND dialog = ::FindWindowW(L"#32770", self->title_.c_str());
        if (!dialog || !::IsWindowVisible(dialog))
            return;
        self->driven_ = true;
        self->drive_(dialog);
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    }

    static inline DialogDriver* current_ = nullptr;
    std::wstring title_;
    std::function<void(HWND)> drive_;
    UINT_PTR timer_ = 0;
    bool driven_ = false;
};

bool Checked(HWND dialog, const wchar_t* name, UINT state = BST_CHECKED) {
    return ::SendMessageW(FindComponent(dialog, name), BM_GETCHECK, 0, 0) == state;
}

class SysactPluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeZentik& host = FakeZentik::Get();
        host.Reset();
        host.language = static_cast<IztLanguageMan*>(&language);
        host.commands = registry.Interface();
        recorded.clear();
        SetMessageBoxHandler([this](HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
            log.push_back(L"box:" + std::wstring(text) + L"|" + caption + L"|" +
                          std::to_wstring(type));
            return IDOK;
        });
        Load();
    }

    void TearDown() override {
        if (plugin)
            plugin->Finalize();
        SetMessageBoxHandler({});
        FakeZentik::Get().Reset();
    }

    void Load() {
        SysactPlatform platform;
        platform.exitWindows = [this](UINT flags, DWORD reason) {
            log.push_back(L"exit:" + std::to_wstring(flags) + L"," + std::to_wstring(reason));
            return true;
        };
        platform.terminateProcess = [this](DWORD processId, UINT exitCode) {
            terminated.push_back({processId, exitCode});
            return realTerminate && DefaultSysactPlatform().terminateProcess(processId, exitCode);
        };
        platform.foregroundWindow = [this] {
            return foreground ? foreground : ::GetForegroundWindow();
        };
        platform.playSound = [this](const std::wstring& file) {
            log.push_back(L"play:" + file);
            return true;
        };
        platform.stopSound = [this] { log.push_back(L"stop"); };
        object = new TztPlgSysact(std::move(platform));
        ztSetPluginObject(object);
        object->AddRef();
        plugin = object;
        ASSERT_EQ(plugin->Initialize(&manager), TRUE);
    }

    int Run(const wchar_t* name, const wchar_t* param) { return registry.Execute(name, param); }

    std::wstring Edit(const wchar_t* line) { return ztTakeBstr(registry.EditCommandLine(line)); }

    // A helper process with a hidden window titled title; its window.
    HWND StartHelper(const std::wstring& title, PROCESS_INFORMATION& process) {
        std::wstring commandLine = L"helper " + title;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        EXPECT_TRUE(::CreateProcessW(L"" ZT_SYSACT_HELPER_PATH, commandLine.data(), nullptr,
                                     nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
        HWND window = nullptr;
        PumpUntil([&] { return (window = ::FindWindowW(kHelperClass, title.c_str())) != nullptr; });
        return window;
    }

    FakeLanguage language;
    FakePluginMan manager;
    CmndInterface registry;
    Log log;
    std::vector<std::pair<DWORD, UINT>> terminated;
    bool realTerminate = false;
    HWND foreground = nullptr;
    TztPlgSysact* object = nullptr;
    IztPlugin* plugin = nullptr;
};

TEST_F(SysactPluginTest, RegistersSixCommandsInOrderAndRemovesThemAtFinalize) {
    EXPECT_EQ(ztTakeBstr(registry.GetNamesText()),
              L"ZT_ExecuteApp\r\nZT_ShutDownWin\r\nZT_ShowMessage\r\nZT_FlashClock\r\n"
              L"ZT_KillCurrentProcess\r\nZT_DoCommand\r\n");
    EXPECT_EQ(ztTakeBstr(registry.GetCommandDescription(4)),
              L"Sysact.Zentik/CMND_DISCR=ZT_KillCurrentProcess");
    EXPECT_EQ(registry.GetEditor(L"ZT_KillCurrentProcess"), nullptr);
    EXPECT_NE(registry.GetEditor(L"ZT_DoCommand"), nullptr);
    EXPECT_EQ(ztTakeBstr(plugin->GetVersion()), L"2.2");

    plugin->Finalize();
    plugin = nullptr;
    EXPECT_EQ(ztTakeBstr(registry.GetNamesText()), L"");
}

TEST_F(SysactPluginTest, ShutDownEndsTheSessionWithTheFlagsNamedAndReasonFour) {
    Run(L"ZT_ShutDownWin", L"\\REBOOT \\FORCE");
    EXPECT_EQ(log, (Log{L"exit:6,4"}));
}

TEST_F(SysactPluginTest, AMessagePlaysItsSoundShowsItsTextAndStopsTheSoundAfterwards) {
    Run(L"ZT_ShowMessage", L"\"\" C:\\sounds\\звонок.wav");
    EXPECT_EQ(log, (Log{L"play:C:\\sounds\\звонок.wav"})) << "no text: no box";

    log.clear();
    Run(L"ZT_ShowMessage", L"\"Пора вставать\" C:\\bell.wav");
    EXPECT_EQ(log, (Log{L"play:C:\\bell.wav",
                        L"box:Пора вставать|Sysact.Zentik/MsgHead|" +
                            std::to_wstring(MB_ICONINFORMATION | MB_TOPMOST),
                        L"stop"}));
}

LRESULT CALLBACK RecordVisibility(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR data) {
    if (message == WM_SHOWWINDOW)
        reinterpret_cast<std::vector<bool>*>(data)->push_back(wParam != FALSE);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(SysactPluginTest, FlashThreeTimesHidesShowsHidesShowsAndEndsVisible) {
    HWND clock = FakeZentik::Get().Window();
    ::ShowWindow(clock, SW_SHOWNOACTIVATE);
    std::vector<bool> steps;
    ASSERT_TRUE(
        ::SetWindowSubclass(clock, &RecordVisibility, 1, reinterpret_cast<DWORD_PTR>(&steps)));

    Run(L"ZT_FlashClock", L"3|200");
    EXPECT_TRUE(object->Flashing());
    EXPECT_FALSE(object->Flash(L"1|10")) << "one flash at a time";
    EXPECT_TRUE(PumpUntil([&] { return !object->Flashing() && steps.size() == 4; }, 30000));
    PumpFor(300); // a further step would have arrived by now
    EXPECT_EQ(steps, (std::vector<bool>{false, true, false, true}));
    EXPECT_TRUE(::IsWindowVisible(clock));

    ::RemoveWindowSubclass(clock, &RecordVisibility, 1);
    ::ShowWindow(clock, SW_HIDE);
}

TEST_F(SysactPluginTest, KillSparesTheClockAndEndsTheProgramInFrontWithExitCodeFour) {
    PROCESS_INFORMATION process{};
    HWND helper =
        StartHelper(L"zt-sysact-kill-" + std::to_wstring(::GetCurrentProcessId()), process);
    const UniqueKernelHandle processHandle(process.hProcess), thread(process.hThread);
    ASSERT_NE(helper, nullptr);

    foreground = FakeZentik::Get().Window();
    Run(L"ZT_KillCurrentProcess", L"");
    EXPECT_TRUE(terminated.empty()) << "the clock in front";

    foreground = helper;
    realTerminate = true;
    Run(L"ZT_KillCurrentProcess", L"");
    ASSERT_EQ(terminated.size(), 1u);
    EXPECT_EQ(terminated[0].first, process.dwProcessId);
    ASSERT_EQ(::WaitForSingleObject(processHandle.get(), 10000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(processHandle.get(), &exitCode);
    EXPECT_EQ(exitCode, 4u);
}

TEST_F(SysactPluginTest, DoCommandRunsOnlyWhenTheTitleInFrontMatchesItsCondition) {
    registry.AddParamCommand(L"zt_TestRecord", &Record, nullptr, L"");
    UniqueWindow window(::CreateWindowExW(0, L"STATIC", L"Sysact helper alpha",
                                          WS_POPUP | WS_VISIBLE, 0, 0, 120, 40, nullptr, nullptr,
                                          ::GetModuleHandleW(nullptr), nullptr));
    ::SetForegroundWindow(window.get());
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == window.get(); }));

    Run(L"ZT_DoCommand", L"CONTAIN=alpha; CMND=zt_TestRecord 1");
    Run(L"ZT_DoCommand", L"CONTAIN=beta; CMND=zt_TestRecord 2");
    Run(L"ZT_DoCommand", L"NOT_CONTAIN=alpha; CMND=zt_TestRecord 3");
    Run(L"ZT_DoCommand", L"NOT_CONTAIN=beta; CMND=zt_TestRecord 4");
    Run(L"ZT_DoCommand", L"CMND=zt_TestRecord 5");
    EXPECT_EQ(recorded, (Log{L"1", L"4", L"5"}));
}

TEST_F(SysactPluginTest, ExecuteAppStartsAProgramFromACyrillicPathWithABlank) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"zt sysact Пробная";
    const std::wstring program = folder + L"\\помощник.exe";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileW(L"" ZT_SYSACT_HELPER_PATH, program.c_str(), FALSE));

    Run(L"ZT_ExecuteApp",
        (L"\"" + program + L"\" Окно " + std::to_wstring(::GetCurrentProcessId())).c_str());
    HWND started = nullptr;
    const std::wstring title = L"Окно " + std::to_wstring(::GetCurrentProcessId());
    EXPECT_TRUE(PumpUntil(
        [&] { return (started = ::FindWindowW(kHelperClass, title.c_str())) != nullptr; }));

    // The test started it: it ends it.
    DWORD processId = 0;
    ::GetWindowThreadProcessId(started, &processId);
    if (processId) {
        const UniqueKernelHandle process(
            ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
        ::TerminateProcess(process.get(), 0);
        ::WaitForSingleObject(process.get(), 10000);
    }
    ::DeleteFileW(program.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

// ---- The editors --------------------------------------------------------------------------

TEST_F(SysactPluginTest, TheProgramEditorOpensWithTheSplitLineAndComposesItBack) {
    const std::wstring line = L"ZT_ExecuteApp \"C:\\Program Files\\Зентик\\app.exe\" -x \"a b\"";
    std::wstring program, arguments;
    bool browseFirst = false;
    DialogDriver driver(L"Sysact.Zentik/TitleExecute", [&](HWND dialog) {
        program = WindowText(FindComponent(dialog, L"Edit1"));
        arguments = WindowText(FindComponent(dialog, L"Edit2"));
        browseFirst = ::IsWindowVisible(FindComponent(dialog, L"btnBrowse1")) &&
                      !::IsWindowVisible(FindComponent(dialog, L"btnBrowse2"));
    });
    EXPECT_EQ(Edit(line.c_str()), line);
    ASSERT_TRUE(driver.Driven());
    EXPECT_EQ(program, L"C:\\Program Files\\Зентик\\app.exe");
    EXPECT_EQ(arguments, L"-x \"a b\"");
    EXPECT_TRUE(browseFirst);
}

TEST_F(SysactPluginTest, TheShutDownEditorGraysTheDefaultsUntilABoxIsChecked) {
    bool grayed = false, plain = false;
    DialogDriver driver(L"zt_ShutDownWin", [&](HWND dialog) {
        grayed = Checked(dialog, L"cbShutDown", BST_INDETERMINATE) &&
                 Checked(dialog, L"cbPowerOff", BST_INDETERMINATE) &&
                 Checked(dialog, L"cbForceIfHung", BST_INDETERMINATE) &&
                 Checked(dialog, L"cbReboot", BST_UNCHECKED);
        ::SendMessageW(FindComponent(dialog, L"cbForce"), BM_CLICK, 0, 0);
        ::SendMessageW(FindComponent(dialog, L"cbReboot"), BM_CLICK, 0, 0);
        plain = Checked(dialog, L"cbShutDown", BST_UNCHECKED) && Checked(dialog, L"cbReboot");
    });
    EXPECT_EQ(Edit(L"ZT_ShutDownWin"), L"ZT_ShutDownWin \\REBOOT \\FORCE");
    ASSERT_TRUE(driver.Driven());
    EXPECT_TRUE(grayed);
    EXPECT_TRUE(plain);
}

TEST_F(SysactPluginTest, TheFlashEditorStartsFromTheDefaultsAndComposesCountAndPeriod) {
    std::wstring count, period;
    DialogDriver driver(L"ZT_FlashClock", [&](HWND dialog) {
        count = WindowText(FindComponent(dialog, L"edtFlashCount"));
        period = WindowText(FindComponent(dialog, L"edtFlashTime"));
        ::SetWindowTextW(FindComponent(dialog, L"edtFlashCount"), L"3");
    });
    EXPECT_EQ(Edit(L"ZT_FlashClock"), L"ZT_FlashClock 3|100");
    ASSERT_TRUE(driver.Driven());
    EXPECT_EQ(count, L"21");
    EXPECT_EQ(period, L"100");
}

TEST_F(SysactPluginTest, TheDoCommandEditorShowsTheConditionAndTheCommandAndComposesThem) {
    bool notContain = false;
    std::wstring title, command;
    DialogDriver driver(L"ZT_DoCommand", [&](HWND dialog) {
        notContain = Checked(dialog, L"rgWinT1");
        title = WindowText(FindComponent(dialog, L"cbWinTitle"));
        command = WindowText(FindComponent(dialog, L"cbCommand"));
        ::SendMessageW(FindComponent(dialog, L"rgWinT0"), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(Edit(L"ZT_DoCommand NOT_CONTAIN=Pad; CMND=ZT_FlashClock 3|200"),
              L"ZT_DoCommand CONTAIN=Pad; CMND=ZT_FlashClock 3|200");
    ASSERT_TRUE(driver.Driven());
    EXPECT_TRUE(notContain);
    EXPECT_EQ(title, L"Pad");
    EXPECT_EQ(command, L"ZT_FlashClock 3|200");
}

} // namespace
} // namespace zt::test
