#pragma once
// Message boxes go through one replaceable function, so tests read them instead of
// blocking on a modal window.

#include <windows.h>

#include <functional>

namespace zt {

using MessageBoxHandler =
    std::function<int(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)>;

// Shows a message box through the current handler (MessageBoxW by default).
int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
// Replaces the handler; an empty one restores MessageBoxW. Returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

} // namespace zt
