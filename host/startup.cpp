#include "host/startup.h"

#include <shellapi.h>

#include <memory>
#include <vector>

#include "zentik/ztComHelpers.h"
#include "common/dialog_keys.h"
#include "common/format_text.h"
#include "common/handles.h"
#include "common/message_box.h"
#include "common/win_locale.h"
#include "host/command_line.h"
#include "host/lang_man_intf.h"
#include "host/main_window.h"
#include "host/resource.h"

namespace zt {

namespace {

std::wstring LoadResourceString(HINSTANCE instance, UINT id) {
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::vector<std::wstring> CommandLineArguments() {
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv)
        return args;
    for (int i = 1; i < count; ++i)
        args.emplace_back(argv[i]);
    ::LocalFree(argv);
    return args;
}

// Asks every top-level window to handle "ZentikShowWindow" before returning. A window
// that does not answer within a few seconds is passed over, so a hung program
// elsewhere cannot keep a second start waiting for ever.
void BroadcastShowWindow() {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, RegisterZentikMessages().showWindow, 0, 0,
                          SMTO_ABORTIFHUNG | SMTO_NORMAL, 5000, &result);
}

std::wstring Translate(IztLanguageMan* language, ZT_LANG_MODULE module, const wchar_t* key) {
    return ztTakeBstr(language->Translate(module, key));
}

// Releases the language manager's reference at the end of the process.
struct LanguageReference {
    IztLanguageMan* manager = nullptr;
    ~LanguageReference() {
        if (manager)
            manager->Release();
    }
};

int RunMessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // The options dialog and plug-in dialogs are modeless.
        if (HandleDialogKeys(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

} // namespace

bool CheckRunningInstance(const std::wstring& marker, HWND* clockWindow) {
    const HWND window = ::FindWindowW(kClockWindowClass, kClockWindowTitle);
    if (clockWindow)
        *clockWindow = window;
    const ATOM atom = ::GlobalFindAtomW(marker.c_str());
    if (!window || !atom)
        ::GlobalAddAtomW(marker.c_str());
    return window && atom;
}

void InstallPlugin(IztLanguageMan* language, const std::wstring& path) {
    const std::wstring name = FileNamePart(path);
    ZT_LANG_MODULE module = language ? language->OpenModule(L"Zentik") : nullptr;
    const std::wstring question =
        FormatText(module ? Translate(language, module, L"Error=SetupPlg") : L"", {name});
    if (ShowMessageBox(nullptr, question.c_str(), L"Zentik", MB_YESNO | MB_ICONQUESTION) == IDYES) {
        const std::wstring folder = ProgramFolder() + L"\\Plugins";
        ::CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring destination = folder + L"\\" + name;
        while (!::CopyFileW(path.c_str(), destination.c_str(), FALSE)) {
            const std::wstring error =
                module ? Translate(language, module, L"Error=SetupPlgError") : L"";
            if (ShowMessageBox(nullptr, error.c_str(), L"Zentik", MB_YESNO | MB_ICONERROR) != IDYES)
                break;
        }
    }
    if (module)
        language->CloseModule(module);
}

void StartAgain() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    ::ShellExecuteW(nullptr, L"open", path, L"\\sleep", nullptr, SW_SHOWNORMAL);
}

int RunZentik(HINSTANCE instance) {
    RegisterZentikMessages();
    const std::wstring code = ReadLanguageCode(HKEY_CURRENT_USER);
    LanguageReference language{CreateLanguageManager(ProgramFolder(), L"Language", code)};
    if (language.manager)
        language.manager->Hold();

    const StartArguments args = ParseStartArguments(CommandLineArguments());
    if (args.mode == StartMode::Install) {
        InstallPlugin(language.manager, args.installPath); // never starts a clock
        return 0;
    }
    if (args.mode == StartMode::Sleep)
        ::Sleep(500);

    const std::wstring marker = LoadResourceString(instance, IDS_INSTANCE_MARKER);
    if (CheckRunningInstance(marker, nullptr) && args.mode != StartMode::Run) {
        BroadcastShowWindow();
        return 0;
    }

    // Marks a running clock for installers; held until the process ends.
    UniqueMutex mutex(::CreateMutexW(nullptr, FALSE, marker.c_str()));

    auto window =
        std::make_unique<TfrmClock>(instance, ReadLocaleFormatSettings(), language.manager);
    if (window->Create()) {
        window->StartClock();
        RunMessageLoop();
    }
    const bool restart = window->RestartRequested();
    window.reset();

    if (const ATOM atom = ::GlobalFindAtomW(marker.c_str()))
        ::GlobalDeleteAtom(atom);
    if (restart)
        StartAgain();
    return 0;
}

} // namespace zt
