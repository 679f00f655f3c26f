#pragma once
// The Facet plug-in's settings in the registry, under HKEY_CURRENT_USER (key
// "Software\Ombrelt\Zentik\Plugins\Facet.Zentik"): the string "Font" (the face; empty for
// the system's default), the integer "FontStyle" (FacetStyleBit) and the boolean "Activ"
// (REG_DWORD 0 or 1). A missing value keeps its default.

#include <string>

namespace zt {

struct FacetSettings {
    std::wstring font;
    int style = 0;
    bool active = false;

    bool operator==(const FacetSettings&) const = default;
};

inline constexpr wchar_t kFacetSettingsKey[] = L"Software\\Ombrelt\\Zentik\\Plugins\\Facet.Zentik";

// The stored settings (the key is not created); defaults for what is missing.
FacetSettings LoadFacetSettings(const std::wstring& keyPath);
// Writes the three values, creating the key; false on failure.
bool SaveFacetSettings(const std::wstring& keyPath, const FacetSettings& settings);

} // namespace zt
