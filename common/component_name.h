#pragma once
// Controls addressed by name across modules: a window carries its component name as a
// window property, and FindComponent searches a window's descendants for it.

#include <windows.h>

namespace zt {

// Gives window the component name (such as L"ShowAlwaysOnTop"); false on failure.
bool SetComponentName(HWND window, const wchar_t* name) noexcept;
// The first descendant of root carrying name, or null.
HWND FindComponent(HWND root, const wchar_t* name) noexcept;

} // namespace zt
