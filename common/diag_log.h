#pragma once
// The diagnostic log: failures that are handled without telling the user (catch-alls at
// module edges, plug-in loader errors) leave a line here. Every line goes to the debugger
// (OutputDebugStringW); it is also appended to "Zentik.log" beside the program while the
// registry value "DebugLog" of the program's key is 1.

#include <windows.h>

#include <string>
#include <string_view>

namespace zt {

// Writes one line. Never throws.
void DiagLog(std::wstring_view text) noexcept;
// For catch blocks: logs where, with the text of the exception in flight.
void DiagLogCaught(std::wstring_view where) noexcept;
// The same with where in UTF-8 (a function name from std::source_location).
void DiagLogCaught(std::string_view where) noexcept;
// The system's text for an error code, with the code ("… (error 126)").
std::wstring SystemErrorText(DWORD code);
// Reads "DebugLog" again (it is read once, at the first line).
void DiagLogReload() noexcept;
// The log file's path (beside the program); empty when the program's folder is unknown.
std::wstring DiagLogPath();

} // namespace zt
