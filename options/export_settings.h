#pragma once
// Export of every setting of the clock to a file the user chooses (the dialog's Export
// button): the clock saves its settings, then its registry key is written to the file
// (options/export_key.h) and the user is told how it went.

#include <windows.h>

namespace zt::options {

class TztSetupHost;

// The clock's settings key under HKEY_CURRENT_USER.
inline constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Ombrelt\\Zentik";

// Asks for the file (owned by owner), saves the clock's settings first and writes its
// whole registry key there; tells the user how it went. True when the file was written.
bool ExportSettings(HWND owner, const TztSetupHost& host);

} // namespace zt::options
