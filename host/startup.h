#pragma once
// Process entry of Zentik.exe: switches, the running-clock test, the message loop.

#include <windows.h>

#include <string>

namespace zt {

// The registry key of the clock's settings under the current user.
inline constexpr wchar_t kZentikRegistryKey[] = L"Software\\Ombrelt\\Zentik";
// Window class and caption by which a running clock is found.
inline constexpr wchar_t kClockWindowClass[] = L"TfrmClock";
inline constexpr wchar_t kClockWindowTitle[] = L"Zentik";

// Registered window messages, registered once in this order.
struct ZentikMessages {
    UINT showWindow = 0;     // "ZentikShowWindow": a second start asks the clock to show itself
    UINT closeSetupDll = 0;  // "ZentikCloseSetupDLL": the options dialog has closed
    UINT taskbarCreated = 0; // "TaskbarCreated": the shell's taskbar was (re)created
};
const ZentikMessages& RegisterZentikMessages();

// The "Language" value under kZentikRegistryKey of root; empty when the key or value
// is missing or is not text. The key is opened for reading and never created.
std::wstring ReadLanguageCode(HKEY root);

// True when a clock window is open and the marker atom exists. Adds the atom when the
// window or the atom is missing.
bool CheckRunningInstance(const std::wstring& marker, HWND* clockWindow);

// The program body; returns the process exit code (always 0).
int RunZentik(HINSTANCE instance);

} // namespace zt
