#pragma once
// Writing a registry key with its values and sub-keys to a file, for the export of the
// clock's settings.
//
// The key is first saved in the registry's own key-file format (RegSaveKeyW, with the
// backup privilege enabled). Where the system refuses that, the same key is written as a
// registry file in text form (options/reg_file.h), which regedit and "reg import" read.
// Wine 8 takes the first way: with the privilege it saves the key in its own text format
// ("WINE REGISTRY Version 2", which RegLoadKeyW reads back and regedit does not); without
// it, it refuses with ERROR_PRIVILEGE_NOT_HELD.

#include <windows.h>

#include <string>

#include "options/reg_file.h"

namespace zt::options {

enum class ExportFormat {
    None,    // nothing was written
    KeyFile, // the registry's key file (RegSaveKeyW)
    RegText, // a registry file in text form
};

// Writes the key subKey of root (named rootName in a text file, as "HKEY_CURRENT_USER")
// to path, replacing the file there only once the new one is complete.
ExportFormat ExportKey(HKEY root, const wchar_t* rootName, const wchar_t* subKey,
                       const std::wstring& path);
// The text form only: the registry file of that key at path; false when the key cannot be
// read or the file cannot be written.
bool WriteRegFile(HKEY root, const wchar_t* rootName, const wchar_t* subKey,
                  const std::wstring& path);
// The values and sub-keys of key, the key itself named name; false when it cannot be read.
bool ReadRegKey(HKEY key, const std::wstring& name, RegKeyData& data);

} // namespace zt::options
