#pragma once
// Small Windows services of the update checker.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt::uplift {

// Time texts of the log: the user's short time format (no seconds), and the short
// date followed by the long time.
std::wstring ShortTimeText(const SYSTEMTIME& time);
std::wstring DateTimeText(const SYSTEMTIME& time);

// A system or module message for an error code, without the trailing line break;
// "error N" (in the chosen language) when there is none.
std::wstring ErrorText(DWORD code, HMODULE messageSource = nullptr);

// A string resource of the module, empty when missing.
std::wstring LoadResourceString(HINSTANCE instance, UINT id);

// Creates the folder when it does not exist; true when it exists afterwards.
bool EnsureFolder(const std::wstring& path);

// Replaces the file with the bytes.
bool WriteWholeFile(const std::wstring& path, std::string_view bytes);

// The program's arguments (without its name) and an environment variable.
std::vector<std::wstring> CommandLineArguments();
std::optional<std::wstring> EnvironmentValue(const std::wstring& name);

} // namespace zt::uplift
