// The options dialog of the real Zentik.exe, driven from outside: its About page shows the
// program's version block, and a language change confirmed with Yes ends the clock and
// starts a new one in that language.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/component_name.h"
#include "common/handles.h"
#include "common/window_text.h"
#include "host/clock_menu.h"
#include "support/modal_box.h"
#include "support/zentik_process.h"

namespace zt::test {
namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Ombrelt\\Zentik";

// The options dialog of a process, waiting for it.
HWND WaitForOptions(DWORD processId, DWORD milliseconds) {
    HWND found = nullptr;
    WaitUntil(milliseconds, [&] {
        struct Search {
            DWORD processId;
            HWND found = nullptr;
        } search{processId};
        ::EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* search = reinterpret_cast<Search*>(data);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (owner != search->processId || !::IsWindowVisible(window) ||
                    !FindComponent(window, L"TVLeft"))
                    return TRUE;
                search->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        found = search.found;
        return found != nullptr;
    });
    return found;
}

// A control's text as the control itself gives it (a combo box: its chosen item).
std::wstring ControlText(HWND control) {
    wchar_t text[256] = {};
    ::SendMessageW(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring StoredLanguage() {
    wchar_t value[16] = {};
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"Language", RRF_RT_REG_SZ, nullptr, value,
                       &size) != ERROR_SUCCESS)
        return {};
    return value;
}

TEST(OptionsRestart, ALanguageChangeConfirmedWithYesStartsTheClockAgain) {
    ASSERT_TRUE(ClockWindows().empty()) << "a clock from elsewhere is running";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    ZentikProcess clock;
    ASSERT_TRUE(clock.Start());
    const HWND window = clock.WaitForWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil(10000, [&] { return ::IsWindowVisible(window) != FALSE; }));

    ::PostMessageW(window, WM_COMMAND, TztClockMenu::kAboutItem, 0);
    const HWND dialog = WaitForOptions(clock.Id(), 15000);
    ASSERT_NE(dialog, nullptr) << "the options did not open";
    // The About page reads Zentik.exe's version block; its texts are the built-in Russian ones.
    EXPECT_EQ(WindowText(FindComponent(dialog, L"lblProductName")), L"Zentik");
    EXPECT_EQ(WindowText(FindComponent(dialog, L"lblVersion")), L"Версия 1.0.0.0");
    EXPECT_FALSE(WindowText(FindComponent(dialog, L"lblLegalCopyright")).empty());

    // The other of the two languages.
    HWND languages = FindComponent(dialog, L"cbLang");
    ASSERT_EQ(::SendMessageW(languages, CB_GETCOUNT, 0, 0), 2);
    const LRESULT other = ::SendMessageW(languages, CB_GETCURSEL, 0, 0) == 0 ? 1 : 0;
    ::SendMessageW(languages, CB_SETCURSEL, static_cast<WPARAM>(other), 0);
    const std::wstring chosen = ControlText(languages);
    const std::wstring code = chosen == L"English" ? L"en" : L"ru";

    ModalBoxAnswerer answer(L"Zentik", IDYES, 15000, clock.Id());
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
    ASSERT_TRUE(answer.Wait()) << "no restart question";
    ASSERT_TRUE(clock.WaitForExit(15000)) << "the clock did not end";
    EXPECT_EQ(clock.ExitCode(), 0u);

    std::vector<HWND> again;
    EXPECT_TRUE(WaitUntil(15000, [&] {
        again = ClockWindows();
        return !again.empty();
    })) << "no clock came back";
    EXPECT_EQ(again.size(), 1u);
    for (HWND restartedWindow : again) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(restartedWindow, &process);
        EXPECT_NE(process, clock.Id());
        // The restarted clock releases its atom after its window is gone: wait for its end.
        UniqueKernelHandle restarted(::OpenProcess(SYNCHRONIZE, FALSE, process));
        ::PostMessageW(restartedWindow, WM_CLOSE, 0, 0);
        EXPECT_TRUE(restarted && ::WaitForSingleObject(restarted.get(), 15000) == WAIT_OBJECT_0)
            << "the restarted clock did not end";
    }
    EXPECT_EQ(StoredLanguage(), code) << "chosen: " << ::testing::PrintToString(chosen);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}

} // namespace
} // namespace zt::test
