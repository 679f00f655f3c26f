#pragma once
// How a running clock is found and spoken to: its window class and caption, and the
// registered window messages.

#include <windows.h>

namespace zt {

inline constexpr wchar_t kClockWindowClass[] = L"TfrmClock";
inline constexpr wchar_t kClockWindowTitle[] = L"Zentik";

// Registered window messages, registered once in this order.
struct ZentikMessages {
    UINT showWindow = 0;     // "ZentikShowWindow": a second start asks the clock to show itself
    UINT closeSetupDll = 0;  // "ZentikCloseSetupDLL": the options dialog has closed
    UINT taskbarCreated = 0; // "TaskbarCreated": the shell's taskbar was (re)created
};
const ZentikMessages& RegisterZentikMessages();

} // namespace zt
