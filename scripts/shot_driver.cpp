// Drives a running clock for screenshots: opens its options dialog and selects its pages.
//   shot_driver open          opens the options; prints the dialog's screen geometry
//   shot_driver select N      selects the N-th tree node (depth first); prints the same
//   shot_driver menu          opens the clock menu; prints the geometry of clock and menu
// Geometry is "WxH+X+Y", as imagemagick's -crop takes it.
//   shot_driver close         closes the dialog as its close box does
//   shot_driver quit          closes the clock
// Exit code 1 when the clock or the dialog cannot be found in time.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>

namespace {

HWND FindClock() {
    return ::FindWindowW(L"TfrmClock", L"Zentik");
}

struct Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindDialogProc(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    if (process == search->process && std::wcscmp(name, L"#32770") == 0 &&
        ::IsWindowVisible(window) && ::FindWindowExW(window, nullptr, WC_TREEVIEWW, nullptr)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForDialog(HWND clock) {
    Search search{0, nullptr};
    ::GetWindowThreadProcessId(clock, &search.process);
    for (int i = 0; i < 100 && !search.found; ++i) {
        ::EnumWindows(&FindDialogProc, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            ::Sleep(100);
    }
    return search.found;
}

HTREEITEM NthItem(HWND tree, int n) {
    HTREEITEM item = TreeView_GetRoot(tree);
    for (int i = 0; item && i < n; ++i) {
        HTREEITEM next = TreeView_GetChild(tree, item);
        if (!next)
            next = TreeView_GetNextSibling(tree, item);
        for (HTREEITEM up = item; !next && up;) {
            up = TreeView_GetParent(tree, up);
            if (up)
                next = TreeView_GetNextSibling(tree, up);
        }
        item = next;
    }
    return item;
}

void PrintGeometry(RECT rect) {
    std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left,
                rect.top);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    const HWND clock = FindClock();
    if (!clock)
        return 1;
    if (std::wcscmp(argv[1], L"quit") == 0) {
        ::PostMessageW(clock, WM_CLOSE, 0, 0);
        return 0;
    }
    if (std::wcscmp(argv[1], L"menu") == 0) {
        RECT rect{};
        ::GetWindowRect(clock, &rect);
        ::PostMessageW(clock, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(clock),
                       MAKELPARAM(rect.left + 10, rect.bottom));
        HWND menu = nullptr;
        for (int i = 0; i < 50 && !(menu && ::IsWindowVisible(menu)); ++i) {
            ::Sleep(100);
            menu = ::FindWindowW(L"#32768", nullptr);
        }
        if (!menu)
            return 1;
        RECT area{};
        ::GetWindowRect(menu, &area);
        ::UnionRect(&area, &area, &rect);
        PrintGeometry(area);
        return 0;
    }
    if (std::wcscmp(argv[1], L"open") == 0)
        ::PostMessageW(clock, WM_COMMAND, 5, 0); // the menu's options item
    const HWND dialog = WaitForDialog(clock);
    if (!dialog)
        return 1;
    if (std::wcscmp(argv[1], L"select") == 0 && argc > 2) {
        const HWND tree = ::FindWindowExW(dialog, nullptr, WC_TREEVIEWW, nullptr);
        HTREEITEM item = NthItem(tree, _wtoi(argv[2]));
        if (!item)
            return 1;
        ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    } else if (std::wcscmp(argv[1], L"close") == 0) {
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        return 0;
    }
    RECT rect{};
    ::GetWindowRect(dialog, &rect);
    PrintGeometry(rect);
    return 0;
}
