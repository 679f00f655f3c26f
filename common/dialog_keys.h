#pragma once
// Keyboard handling of modeless dialogs in a message loop: Tab, Shift+Tab, Enter (the
// default button), Esc (Cancel) and mnemonics work as in any Windows dialog.

#include <windows.h>

#include <cwchar>

namespace zt {

// Lets the dialog that msg's window belongs to (a top-level window of the dialog class)
// handle a keyboard message, as IsDialogMessage does; true when it did, and msg must then
// not be translated or dispatched.
inline bool HandleDialogKeys(MSG& msg) noexcept {
    if (!msg.hwnd || msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST)
        return false;
    HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    wchar_t className[8] = {};
    if (!root || ::GetClassNameW(root, className, 8) == 0 || std::wcscmp(className, L"#32770") != 0)
        return false;
    return ::IsDialogMessageW(root, &msg) != FALSE;
}

} // namespace zt
