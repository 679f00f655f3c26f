#include "facet_settings.h"

#include <windows.h>

#include "common/handles.h"

namespace zt {
namespace {

constexpr wchar_t kFont[] = L"Font";
constexpr wchar_t kFontStyle[] = L"FontStyle";
constexpr wchar_t kActive[] = L"Activ";

bool ReadDword(HKEY key, const wchar_t* name, DWORD& value) {
    DWORD size = sizeof(value);
    return ::RegGetValueW(key, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
           ERROR_SUCCESS;
}

bool WriteDword(HKEY key, const wchar_t* name, DWORD value) {
    return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                            sizeof(value)) == ERROR_SUCCESS;
}

} // namespace

FacetSettings LoadFacetSettings(const std::wstring& keyPath) {
    FacetSettings settings;
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return settings;
    const UniqueKey key(raw);
    DWORD size = 0;
    if (::RegGetValueW(key.get(), nullptr, kFont, RRF_RT_REG_SZ, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        if (::RegGetValueW(key.get(), nullptr, kFont, RRF_RT_REG_SZ, nullptr, text.data(), &size) ==
            ERROR_SUCCESS) {
            text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
            settings.font = text;
        }
    }
    DWORD value = 0;
    if (ReadDword(key.get(), kFontStyle, value))
        settings.style = static_cast<int>(value);
    if (ReadDword(key.get(), kActive, value))
        settings.active = value != 0;
    return settings;
}

bool SaveFacetSettings(const std::wstring& keyPath, const FacetSettings& settings) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return false;
    const UniqueKey key(raw);
    const bool font =
        ::RegSetValueExW(
            key.get(), kFont, 0, REG_SZ, reinterpret_cast<const BYTE*>(settings.font.c_str()),
            static_cast<DWORD>((settings.font.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    const bool style = WriteDword(key.get(), kFontStyle, static_cast<DWORD>(settings.style));
    const bool active = WriteDword(key.get(), kActive, settings.active ? 1 : 0);
    return font && style && active;
}

} // namespace zt
