#pragma once
// One registry key read and written as named text values, INI style.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/handles.h"

namespace zt {

class RegistrySection {
public:
    // Opens root\path; for writing the key is created when missing.
    RegistrySection(HKEY root, const std::wstring& path, bool write);
    bool IsOpen() const { return static_cast<bool>(key_); }

    // Text values; REG_DWORD values read as their decimal text.
    std::optional<std::wstring> Read(const wchar_t* name) const;
    bool Write(const wchar_t* name, const std::wstring& value);
    bool ValueExists(const wchar_t* name) const;

    // A list in a sub-key: "Count", then "Item0" ... Writing empties the sub-key first
    // and writes nothing for an empty list.
    std::optional<std::vector<std::wstring>> ReadList(const wchar_t* subKey) const;
    void WriteList(const wchar_t* subKey, const std::vector<std::wstring>& lines);

private:
    UniqueKey key_;
};

} // namespace zt
