// Start-up of the real Zentik.exe under Wine: single instance, switches and restart.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwctype>
#include <string>
#include <vector>

#include "support/zentik_process.h"

namespace zt::test {
namespace {

constexpr wchar_t kMarker[] = L"Karvelle.Zentik";
constexpr wchar_t kSettingsKey[] = L"Software\\Ombrelt\\Zentik";
constexpr wchar_t kBindingsKey[] = L"Software\\Ombrelt\\Zentik\\ClickEvents_Strings";

// Zentik.exe in a program folder of its own whose Plugins hold Restart.pzt.
std::wstring RestartProgramPath() {
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    path.resize(path.find_last_of(L'\\') + 1);
    return path + L"RestartProgram\\Zentik.exe";
}

// The exit code of an ended clock in hexadecimal, "running" while it runs.
std::string ExitCodeText(const ZentikProcess& clock) {
    if (clock.Running())
        return "running";
    char text[16];
    std::snprintf(text, sizeof(text), "0x%lx", static_cast<unsigned long>(clock.ExitCode()));
    return text;
}

void WriteText(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ClockWindows().empty()) << "a clock from elsewhere is running";
        ASSERT_EQ(::GlobalFindAtomW(kMarker), 0) << "a marker atom was left behind";
    }
    void TearDown() override {
        // Nothing may outlive a test: closed clocks release their atom reference.
        EXPECT_TRUE(WaitUntil(5000, [] { return ClockWindows().empty(); }));
    }

    // Starts a clock and waits until its window exists.
    HWND StartClock(ZentikProcess& clock, const std::wstring& arguments = L"") {
        EXPECT_TRUE(clock.Start(arguments));
        const HWND window = clock.WaitForWindow();
        EXPECT_NE(window, nullptr) << "exit code " << ExitCodeText(clock);
        return window;
    }
};

TEST_F(StartupTest, SecondStartShowsTheRunningClockAndEnds) {
    ZentikProcess first;
    const HWND window = StartClock(first);
    ASSERT_NE(window, nullptr);
    ::ShowWindow(window, SW_HIDE);
    ASSERT_FALSE(::IsWindowVisible(window));

    ZentikProcess second;
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(second.WaitForExit(15000));
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_TRUE(::IsWindowVisible(window)) << "ZentikShowWindow did not bring the clock back";
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(ClockWindows().size(), 1u);
    EXPECT_TRUE(first.Close());
    EXPECT_EQ(::GlobalFindAtomW(kMarker), 0);
}

TEST_F(StartupTest, RunSwitchStartsASecondClock) {
    ZentikProcess first;
    ASSERT_NE(StartClock(first), nullptr);
    ZentikProcess second;
    ASSERT_NE(StartClock(second, L"\\run"), nullptr);
    EXPECT_EQ(ClockWindows().size(), 2u);
    EXPECT_TRUE(second.Close());
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(first.Close());
    EXPECT_EQ(first.ExitCode(), 0u);
}

TEST_F(StartupTest, OtherSpellingsAreNormalStarts) {
    ZentikProcess first;
    ASSERT_NE(StartClock(first), nullptr);
    for (const wchar_t* spelling : {L"\\RUN", L"/run", L"\\Run"}) {
        ZentikProcess other;
        ASSERT_TRUE(other.Start(spelling));
        EXPECT_TRUE(other.WaitForExit(15000))
            << spelling << ": still running; clock windows: " << ClockWindows().size();
    }
    EXPECT_EQ(ClockWindows().size(), 1u);
}

TEST_F(StartupTest, SleepWaitsHalfASecondBeforeLookingForAClock) {
    ZentikProcess first;
    ASSERT_NE(StartClock(first), nullptr);
    ZentikProcess sleeper;
    const ULONGLONG start = ::GetTickCount64();
    ASSERT_TRUE(sleeper.Start(L"\\sleep"));
    ASSERT_TRUE(sleeper.WaitForExit(15000));
    EXPECT_GE(::GetTickCount64() - start, 500u);
    EXPECT_EQ(sleeper.ExitCode(), 0u);
    EXPECT_EQ(ClockWindows().size(), 1u);
}

TEST_F(StartupTest, AtomLeftByACrashedClockDoesNotBlockAStart) {
    const ATOM leftover = ::GlobalAddAtomW(kMarker);
    ASSERT_NE(leftover, 0);
    {
        ZentikProcess clock;
        EXPECT_NE(StartClock(clock), nullptr);
        EXPECT_TRUE(clock.Close());
    }
    // The clock added its own reference and deleted one at its end: ours remains.
    EXPECT_NE(::GlobalFindAtomW(kMarker), 0);
    ::GlobalDeleteAtom(leftover);
    EXPECT_EQ(::GlobalFindAtomW(kMarker), 0);
}

TEST_F(StartupTest, WindowIsABorderlessToolWindowShowingTheTime) {
    ZentikProcess clock;
    const HWND window = StartClock(clock);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil(5000, [&] { return ::IsWindowVisible(window) != FALSE; }));
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME), 0);
    EXPECT_NE(exStyle & WS_EX_TOOLWINDOW, 0);
    RECT client{};
    ::GetClientRect(window, &client);
    // "hh:mm:ss" in 25 x 35 cells plus a 2-pixel border.
    EXPECT_EQ(client.right - client.left, 8 * 25 + 4);
    EXPECT_EQ(client.bottom - client.top, 39);

    // The panel mirrors its caption in its window text: the current time, whose
    // separators blink as blanks in the second half of each second.
    const HWND panel = ::FindWindowExW(window, nullptr, L"TztLCDPanel", nullptr);
    ASSERT_NE(panel, nullptr);
    wchar_t text[32] = {};
    ::GetWindowTextW(panel, text, 32);
    const std::wstring shown(text);
    ASSERT_EQ(shown.size(), 8u) << "shown: " << std::string(shown.begin(), shown.end());
    for (size_t i : {0u, 1u, 3u, 4u, 6u, 7u})
        EXPECT_TRUE(iswdigit(shown[i]));
    EXPECT_TRUE(shown[2] == L':' || shown[2] == L' ');
    EXPECT_EQ(shown[5], shown[2]);
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const int hour = (shown[0] - L'0') * 10 + (shown[1] - L'0');
    EXPECT_TRUE(hour == now.wHour || (hour + 1) % 24 == now.wHour);
}

// The message box a process shows (a dialog titled "Zentik"), waiting for it. A box is
// visible only once its texts are in place.
HWND WaitForMessageBox(DWORD processId, DWORD milliseconds) {
    HWND found = nullptr;
    WaitUntil(milliseconds, [&] {
        HWND candidate = nullptr;
        while ((candidate = ::FindWindowExW(nullptr, candidate, L"#32770", L"Zentik")) != nullptr) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(candidate, &owner);
            if (owner == processId && ::IsWindowVisible(candidate)) {
                found = candidate;
                return true;
            }
        }
        return false;
    });
    return found;
}

std::wstring MessageBoxText(HWND box) {
    std::wstring text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t buffer[512] = {};
        ::GetWindowTextW(child, buffer, 512);
        text += buffer;
        text += L"\n";
    }
    return text;
}

// The restart the options dialog asks for (IZentik::DoAction(ztaRestart), here from a plug-in's
// command bound to a click): after its close the program starts itself again.
TEST_F(StartupTest, ARequestedRestartStartsTheClockAgainAfterTheClose) {
    const std::wstring exe = RestartProgramPath();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    {
        ZentikProcess once; // a clock that has run before restores its bindings
        ASSERT_TRUE(once.Start(L"", exe));
        ASSERT_NE(once.WaitForWindow(), nullptr) << "exit code " << ExitCodeText(once);
        ASSERT_TRUE(once.Close());
    }
    WriteText(kBindingsKey, L"Count", L"1");
    WriteText(kBindingsKey, L"Item0", L"ClickMainLeft=pm_FixtureRestart");

    ZentikProcess clock;
    ASSERT_TRUE(clock.Start(L"", exe));
    const HWND window = clock.WaitForWindow();
    ASSERT_NE(window, nullptr) << "exit code " << ExitCodeText(clock);
    // The window exists before its panel; it shows once it is complete.
    ASSERT_TRUE(WaitUntil(10000, [&] { return ::IsWindowVisible(window) != FALSE; }));
    const HWND panel = ::FindWindowExW(window, nullptr, L"TztLCDPanel", nullptr);
    ASSERT_NE(panel, nullptr);
    ::PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ::PostMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    ASSERT_TRUE(clock.WaitForExit(15000)) << "the restart command did not close the clock";
    EXPECT_EQ(clock.ExitCode(), 0u);

    std::vector<HWND> again;
    EXPECT_TRUE(WaitUntil(15000, [&] {
        again = ClockWindows();
        return !again.empty();
    })) << "no clock came back";
    EXPECT_EQ(again.size(), 1u);
    for (HWND other : again) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(other, &process);
        EXPECT_NE(process, clock.Id()) << "the clock window of the closed process";
        // The restarted clock releases its atom after its window is gone: wait for its end.
        UniqueKernelHandle restarted(::OpenProcess(SYNCHRONIZE, FALSE, process));
        ::PostMessageW(other, WM_CLOSE, 0, 0);
        EXPECT_TRUE(restarted && ::WaitForSingleObject(restarted.get(), 15000) == WAIT_OBJECT_0)
            << "the restarted clock did not end";
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}

TEST_F(StartupTest, InstallAsksThenCopiesIntoPluginsWithoutStartingAClock) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring source = std::wstring(temp) + L"ZtInstallTest.pzt";
    {
        UniqueFile file(
            ::CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        ::WriteFile(file.get(), "MZ", 2, &written, nullptr);
    }
    std::wstring destination = ZentikExePath();
    destination.resize(destination.find_last_of(L'\\') + 1);
    destination += L"Plugins\\ZtInstallTest.pzt";
    ::DeleteFileW(destination.c_str());

    ZentikProcess installer;
    ASSERT_TRUE(installer.Start(L"\\install \"" + source + L"\""));
    const HWND question = WaitForMessageBox(installer.Id(), 15000);
    ASSERT_NE(question, nullptr);
    EXPECT_NE(MessageBoxText(question).find(L"ZtInstallTest.pzt"), std::wstring::npos)
        << "the question names the file";
    EXPECT_TRUE(ClockWindows().empty());
    ::PostMessageW(question, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(installer.WaitForExit(15000));
    EXPECT_EQ(installer.ExitCode(), 0u);
    EXPECT_NE(::GetFileAttributesW(destination.c_str()), INVALID_FILE_ATTRIBUTES);
    ::DeleteFileW(destination.c_str());
    ::DeleteFileW(source.c_str());
}

TEST_F(StartupTest, InstallWithoutAPathOffersARetryAfterTheFailedCopy) {
    ZentikProcess installer;
    ASSERT_TRUE(installer.Start(L"\\install"));
    const HWND question = WaitForMessageBox(installer.Id(), 15000);
    ASSERT_NE(question, nullptr);
    ::PostMessageW(question, WM_COMMAND, IDYES, 0);
    // Copying "nothing" fails: the error prompt asks whether to try again.
    HWND retry = nullptr;
    ASSERT_TRUE(WaitUntil(15000, [&] {
        retry = WaitForMessageBox(installer.Id(), 100);
        return retry != nullptr && retry != question;
    }));
    ::PostMessageW(retry, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(installer.WaitForExit(15000));
    EXPECT_TRUE(ClockWindows().empty());
}

} // namespace
} // namespace zt::test
