// A helper process of the Sysact tests: a hidden top-level window titled with its
// arguments, kept until the process is ended, or for a minute at most.

#include <windows.h>
#include <shellapi.h>

#include <string>

int main() {
    int count = 0;
    wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::wstring title;
    for (int i = 1; args && i < count; ++i)
        title += (i > 1 ? L" " : L"") + std::wstring(args[i]);
    ::LocalFree(args);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZtSysactTestHelper";
    ::RegisterClassExW(&wc);
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_POPUP, 0, 0, 50, 50,
                                    nullptr, nullptr, wc.hInstance, nullptr);
    if (!window)
        return 1;
    ::SetTimer(nullptr, 0, 60000, nullptr);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER)
            break;
        ::DispatchMessageW(&message);
    }
    return 0;
}
