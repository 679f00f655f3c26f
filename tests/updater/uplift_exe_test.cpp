#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "common/handles.h"
#include "common/language_code.h"
#include "common/program_folder.h"
#include "common/utf.h"
#include "updater/loopback_http_server.h"
#include "updater/resource.h"
#include "updater/win_support.h"
#include "updater/win_test_support.h"
#include "zentik/ztZentikInterface.h"
#include "support/pump.h"

namespace zt::uplift {
namespace {

using zt::test::PumpUntil;

struct FoundWindow {
    DWORD process;
    const wchar_t* caption;
    HWND window;
};

// The top-level window of the process with the update checker's caption.
HWND FindProcessWindow(DWORD process, const wchar_t* caption) {
    FoundWindow found{process, caption, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* search = reinterpret_cast<FoundWindow*>(parameter);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t text[128] = {};
            ::GetWindowTextW(window, text, 128);
            if (owner == search->process && wcscmp(text, search->caption) == 0) {
                search->window = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.window;
}

TEST(UpliftProgram, BuiltInListAddressHasTheUpdateListPath) {
    const std::wstring address = LoadResourceString(::GetModuleHandleW(nullptr), IDS_LIST_ADDRESS);
    EXPECT_EQ(address.rfind(L"http://", 0), 0u) << address;
    const std::wstring path = L"/soft/zentik_update_list.dat";
    ASSERT_GT(address.size(), path.size());
    EXPECT_EQ(address.substr(address.size() - path.size()), path);
}

// The clock's language as Uplift reads it, set for one test and restored after it.
class ClockLanguage {
public:
    explicit ClockLanguage(const wchar_t* code) {
        HKEY raw = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, ZT_REGISTRY_KEY, 0, nullptr, 0,
                              KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &raw,
                              nullptr) != ERROR_SUCCESS)
            return;
        key_.reset(raw);
        previous_ = ReadLanguageCode(HKEY_CURRENT_USER);
        if (code)
            ::RegSetValueExW(raw, L"Language", 0, REG_SZ, reinterpret_cast<const BYTE*>(code),
                             static_cast<DWORD>((wcslen(code) + 1) * sizeof(wchar_t)));
        else
            ::RegDeleteValueW(raw, L"Language");
    }
    ~ClockLanguage() {
        if (!key_)
            return;
        if (previous_.empty())
            ::RegDeleteValueW(key_.get(), L"Language");
        else
            ::RegSetValueExW(key_.get(), L"Language", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(previous_.c_str()),
                             static_cast<DWORD>((previous_.size() + 1) * sizeof(wchar_t)));
    }

private:
    UniqueKey key_;
    std::wstring previous_;
};

struct LanguageCase {
    const wchar_t* code; // the clock's "Language", null for none
    const wchar_t* caption;
    const wchar_t* logStart;
    const wchar_t* logEnd;
};

class UpliftLanguage : public ::testing::TestWithParam<LanguageCase> {};

// Starts a copy of Uplift.exe with the list address on its command line, fetches the list
// through its window and finds the log in "UpDate" beside the copy after closing it; the
// window and the log speak the clock's language.
TEST_P(UpliftLanguage, ListAddressFromCommandLineAndLogBesideTheProgram) {
    const LanguageCase& language = GetParam();
    const ClockLanguage chosen(language.code);
    test::LoopbackHttpServer server;
    ASSERT_TRUE(server.Running());
    server.Serve("/list.dat", test::Ok("a|1|1|http://h/a\r\nb|1|1|http://h/b\r\n"));

    test::ScratchFolder scratch;
    const auto shipped =
        std::filesystem::path(ProgramFolder()) / L".." / L".." / L"bin" / L"Uplift.exe";
    ASSERT_TRUE(std::filesystem::exists(shipped)) << shipped.string();
    const auto program = scratch.Path() / L"Uplift.exe";
    std::filesystem::copy_file(shipped, program);

    std::wstring commandLine = L"\"" + program.wstring() + L"\" /list " + server.Url("/list.dat");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                 nullptr, scratch.Text().c_str(), &startup, &info));
    const UniqueKernelHandle process(info.hProcess);
    const UniqueKernelHandle thread(info.hThread);
    struct EndProcess {
        HANDLE process;
        ~EndProcess() {
            if (::WaitForSingleObject(process, 10000) != WAIT_OBJECT_0)
                ::TerminateProcess(process, 1);
        }
    } endProcess{info.hProcess};

    HWND window = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] { return (window = FindProcessWindow(info.dwProcessId, language.caption)) != nullptr; },
        20000));
    // The window has its caption before its controls are set up, and is shown after.
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(window) != FALSE; }));
    ::WaitForInputIdle(process.get(), 10000);
    const HWND list = ::GetDlgItem(window, IDC_LV);
    // The command the button sends; a click across processes would race the new
    // window's activation.
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_BTN_CHECK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, IDC_BTN_CHECK)));
    wchar_t status[256] = {};
    const bool listed =
        PumpUntil([&] { return ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 2; });
    ::GetWindowTextW(::GetDlgItem(window, IDC_LBL_STATUS), status, 256);
    ASSERT_TRUE(listed) << WideToUtf8(status) << " requests " << server.Requests().size();
    EXPECT_EQ(server.RequestCount("/list.dat"), 1);

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(::WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);

    const std::wstring log =
        Utf8ToWide(test::ReadFileBytes(scratch.Path() / L"UpDate" / L"update.log"));
    EXPECT_EQ(log.rfind(language.logStart, 0), 0u) << WideToUtf8(log);
    EXPECT_NE(log.find(std::wstring(L"[ begin ZentikUpd.dat ]\r\na|1|1|http://h/a\r\n"
                                    L"b|1|1|http://h/b\r\n[ end ZentikUpd.dat ]\r\n") +
                       language.logEnd),
              std::wstring::npos)
        << WideToUtf8(log);
}

INSTANTIATE_TEST_SUITE_P(
    ClockLanguages, UpliftLanguage,
    ::testing::Values(LanguageCase{nullptr, L"Проверка обновления Zentik",
                                   L"  Обновление запущенно: ", L"  Обновление завершенно:"},
                      LanguageCase{L"en", L"Zentik update check", L"  Update started: ",
                                   L"  Update ended: "}));

} // namespace
} // namespace zt::uplift
