#pragma once
// Process entry of Zentik.exe: switches, the running-clock test, the message loop.

#include <windows.h>

#include <string>

#include "host/window_messages.h"

namespace zt {

// The "Language" value under ZT_REGISTRY_KEY of root; empty when the key or value
// is missing or is not text. The key is opened for reading and never created.
std::wstring ReadLanguageCode(HKEY root);

// True when a clock window is open and the marker atom exists. Adds the atom when the
// window or the atom is missing.
bool CheckRunningInstance(const std::wstring& marker, HWND* clockWindow);

// The program body; returns the process exit code (always 0).
int RunZentik(HINSTANCE instance);

} // namespace zt
