#pragma once
// Process entry of Zentik.exe: switches, the running-clock test, the message loop.

#include <windows.h>

#include <string>

#include "common/language_code.h"
#include "host/window_messages.h"

namespace zt {

// True when a clock window is open and the marker atom exists. Adds the atom when the
// window or the atom is missing.
bool CheckRunningInstance(const std::wstring& marker, HWND* clockWindow);

// The program body; returns the process exit code (always 0).
int RunZentik(HINSTANCE instance);

} // namespace zt
