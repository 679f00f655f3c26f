#pragma once
// The text of a window (a control's contents, a window's caption).

#include <windows.h>

#include <string>

namespace zt {

// The whole text of window; empty for none or a window that is gone.
std::wstring WindowText(HWND window);

} // namespace zt
