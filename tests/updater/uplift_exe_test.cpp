#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "common/handles.h"
#include "common/program_folder.h"
#include "common/utf.h"
#include "updater/loopback_http_server.h"
#include "updater/resource.h"
#include "updater/win_support.h"
#include "updater/win_test_support.h"
#include "support/pump.h"

namespace zt::uplift {
namespace {

using zt::test::PumpUntil;

struct FoundWindow {
    DWORD process;
    HWND window;
};

// The top-level window of the process with the update checker's caption.
HWND FindProcessWindow(DWORD process) {
    FoundWindow found{process, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* search = reinterpret_cast<FoundWindow*>(parameter);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t text[128] = {};
            ::GetWindowTextW(window, text, 128);
            if (owner == search->process && wcscmp(text, L"Проверка обновления Zentik") == 0) {
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

// Starts a copy of Uplift.exe with the list address on its command line, fetches the list
// through its window and finds the log in "UpDate" beside the copy after closing it.
TEST(UpliftProgram, ListAddressFromCommandLineAndLogBesideTheProgram) {
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
    ASSERT_TRUE(PumpUntil([&] { return (window = FindProcessWindow(info.dwProcessId)) != nullptr; },
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
    EXPECT_EQ(log.rfind(L"  Обновление запущенно: ", 0), 0u) << log;
    EXPECT_NE(log.find(L"[ begin ZentikUpd.dat ]\r\na|1|1|http://h/a\r\nb|1|1|http://h/b\r\n"
                       L"[ end ZentikUpd.dat ]\r\n  Обновление завершенно:"),
              std::wstring::npos)
        << log;
}

} // namespace
} // namespace zt::uplift
