#include "host/startup.h"

#include <shellapi.h>

#include <memory>
#include <vector>

#include "common/handles.h"
#include "common/win_locale.h"
#include "host/command_line.h"
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

int RunMessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

} // namespace

const ZentikMessages& RegisterZentikMessages() {
    static const ZentikMessages messages = [] {
        ZentikMessages m;
        m.showWindow = ::RegisterWindowMessageW(L"ZentikShowWindow");
        m.closeSetupDll = ::RegisterWindowMessageW(L"ZentikCloseSetupDLL");
        m.taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
        return m;
    }();
    return messages;
}

std::wstring ReadLanguageCode(HKEY root) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(root, kZentikRegistryKey, 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return {};
    UniqueKey key(raw);
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key.get(), L"Language", nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || bytes > 4096)
        return {};
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key.get(), L"Language", nullptr, &type,
                           reinterpret_cast<BYTE*>(value.data()), &bytes) != ERROR_SUCCESS)
        return {};
    value.resize(bytes / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0')
        value.pop_back();
    return value;
}

bool CheckRunningInstance(const std::wstring& marker, HWND* clockWindow) {
    const HWND window = ::FindWindowW(kClockWindowClass, kClockWindowTitle);
    if (clockWindow)
        *clockWindow = window;
    const ATOM atom = ::GlobalFindAtomW(marker.c_str());
    if (!window || !atom)
        ::GlobalAddAtomW(marker.c_str());
    return window && atom;
}

int RunZentik(HINSTANCE instance) {
    RegisterZentikMessages();
    const std::wstring language = ReadLanguageCode(HKEY_CURRENT_USER);

    const StartArguments args = ParseStartArguments(CommandLineArguments());
    if (args.mode == StartMode::Install)
        return 0; // installing plug-ins never starts a clock
    if (args.mode == StartMode::Sleep)
        ::Sleep(500);

    const std::wstring marker = LoadResourceString(instance, IDS_INSTANCE_MARKER);
    if (CheckRunningInstance(marker, nullptr) && args.mode != StartMode::Run) {
        BroadcastShowWindow();
        return 0;
    }

    // Marks a running clock for installers; held until the process ends.
    UniqueMutex mutex(::CreateMutexW(nullptr, FALSE, marker.c_str()));

    auto window = std::make_unique<TfrmClock>(instance, ReadLocaleFormatSettings(), language);
    if (window->Create()) {
        window->StartClock();
        RunMessageLoop();
    }
    window.reset();

    if (const ATOM atom = ::GlobalFindAtomW(marker.c_str()))
        ::GlobalDeleteAtom(atom);
    return 0;
}

} // namespace zt
