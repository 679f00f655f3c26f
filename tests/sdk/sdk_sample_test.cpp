// The SDK's sample plug-in, built from the SDK zip by sdk_sample_test.sh and installed into
// the program folder named by ZT_SAMPLE_PROGRAM_DIR, in a clock window of this process: it
// loads with its own texts, its command and menu item show the greeting for a while, and
// its page in the options dialog changes the greeting.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/component_name.h"
#include "common/datetime_format.h"
#include "common/message_box.h"
#include "common/window_text.h"
#include "host/clock_menu.h"
#include "host/lang_man_intf.h"
#include "host/main_window.h"
#include "tests/plugins/plugin_test_util.h"
#include "zentik/ztComHelpers.h"

namespace zt {
namespace {

using test::MenuText;
using test::PumpUntil;

constexpr wchar_t kTestKey[] = L"Software\\Ombrelt\\ZentikSdkSampleTest";
constexpr wchar_t kSampleKey[] = L"Software\\Ombrelt\\Zentik\\Plugins\\Sample.Zentik";
constexpr wchar_t kCommand[] = L"sm_Sample_GREET";

std::wstring SampleProgramFolder() {
    wchar_t folder[MAX_PATH] = {};
    const DWORD length =
        ::GetEnvironmentVariableW(L"ZT_SAMPLE_PROGRAM_DIR", folder, static_cast<DWORD>(MAX_PATH));
    return length > 0 && length < MAX_PATH ? folder : L"";
}

// The first descendant of root whose text is text, or null.
HWND FindByText(HWND root, const std::wstring& text) {
    struct Search {
        const std::wstring& text;
        HWND found = nullptr;
    } search{text};
    ::EnumChildWindows(
        root,
        [](HWND window, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            if (WindowText(window) != search->text)
                return TRUE;
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// One clock window for the program: the host API keeps the first clock of a process.
class SdkSample : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        previousBoxes = SetMessageBoxHandler([](HWND, const wchar_t* text, const wchar_t*, UINT) {
            ADD_FAILURE() << "unexpected message box: " << ::testing::PrintToString(text);
            return IDOK;
        });
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        const std::wstring folder = SampleProgramFolder();
        if (folder.empty())
            return;
        language = CreateLanguageManager(folder, L"Language", L"en");
        if (!language)
            return;
        language->Hold(); // as the program does before it creates the window
        clock =
            std::make_unique<TfrmClock>(::GetModuleHandleW(nullptr), DefaultFormatSettings(),
                                        language, SettingsLocation{HKEY_CURRENT_USER, kTestKey});
        if (!clock->Create())
            return;
        clock->PlgMan().SetProgramFolder(folder);
        clock->StartClock();
    }
    static void TearDownTestSuite() {
        clock.reset();
        if (language)
            language->Release();
        language = nullptr;
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kSampleKey);
        SetMessageBoxHandler(previousBoxes);
    }

    void SetUp() override {
        ASSERT_FALSE(SampleProgramFolder().empty()) << "run through sdk_sample_test.sh";
        ASSERT_TRUE(clock && clock->Handle());
        // A fresh plug-in without saved settings for each test.
        clock->PlgMan().UnloadAllPlugins();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kSampleKey);
        clock->PlgMan().LoadPlugins();
        ASSERT_EQ(clock->PlgMan().PluginCount(), 1) << "Sample.pzt did not load";
    }

    static std::wstring Shown() { return clock->MainScreen().GetCaption(); }
    static bool Suspended() { return clock->Clock().GetTextSuspended() != FALSE; }

    // Runs the command on a worker thread, as a scheduled task does, and waits for the
    // greeting.
    static bool GreetingShown(const std::wstring& greeting) {
        clock->Commands().Interface()->ExecuteInThread(kCommand, L"");
        return PumpUntil([&] { return Shown() == greeting; }, 10000);
    }

    // The visible options dialog of this thread, or null.
    static HWND OptionsDialog() {
        HWND found = nullptr;
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND window, LPARAM data) -> BOOL {
                if (!::IsWindowVisible(window) || !FindComponent(window, L"TVLeft"))
                    return TRUE;
                *reinterpret_cast<HWND*>(data) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }

    static inline std::unique_ptr<TfrmClock> clock;
    static inline IztLanguageMan* language = nullptr;
    static inline MessageBoxHandler previousBoxes;
};

TEST_F(SdkSample, LoadsWithItsTextsAndShowsTheGreetingForAWhile) {
    IztPlugin* plugin = clock->PlgMan().Plugin(0);
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(ztTakeBstr(plugin->GetName()), L"Sample.Zentik");
    EXPECT_EQ(ztTakeBstr(plugin->GetCaption()), L"Sample"); // its installed language file

    // The command's item in the clock menu runs it too.
    HMENU items = static_cast<HMENU>(::GetPropW(clock->Handle(), L"PluginsItems"));
    ASSERT_NE(items, nullptr);
    ASSERT_EQ(::GetMenuItemCount(items), 1);
    EXPECT_EQ(MenuText(items, 0), L"Show the greeting");
    const std::wstring time = Shown();
    ::SendMessageW(clock->Handle(), WM_COMMAND, MAKEWPARAM(::GetMenuItemID(items, 0), 0), 0);
    EXPECT_EQ(Shown(), L"HELLO");
    EXPECT_TRUE(Suspended());
    ASSERT_TRUE(PumpUntil([] { return !Suspended(); }, 10000)) << "the clock stayed suspended";
    EXPECT_NE(Shown(), L"HELLO");
    EXPECT_EQ(Shown().size(), time.size()) << "the time is back";

    EXPECT_TRUE(GreetingShown(L"HELLO")) << "the command from a worker thread";
}

TEST_F(SdkSample, ItsPageInTheOptionsDialogChangesTheGreeting) {
    ::SendMessageW(clock->Handle(), WM_COMMAND, TztClockMenu::kConfigItems, 0);
    HWND dialog = OptionsDialog();
    ASSERT_NE(dialog, nullptr);
    HWND label = FindByText(dialog, L"Greeting shown on the clock:");
    ASSERT_NE(label, nullptr) << "the page is missing";
    HWND edit = ::GetWindow(label, GW_HWNDNEXT);
    ASSERT_EQ(WindowText(edit), L"HELLO");
    ::SetWindowTextW(edit, L"HI THERE");
    ::SendMessageW(FindComponent(dialog, L"BtnOk"), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([] { return OptionsDialog() == nullptr; }, 5000));

    EXPECT_TRUE(GreetingShown(L"HI THERE"));
    wchar_t saved[32] = {};
    DWORD size = sizeof(saved);
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER, kSampleKey, L"Greeting", RRF_RT_REG_SZ, nullptr,
                             saved, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(saved, L"HI THERE");
}

} // namespace
} // namespace zt
