#include "host/registry_section.h"

#include <climits>

#include "host/settings_text.h"

namespace zt {

namespace {

constexpr DWORD kMaxValueBytes = 64 * 1024;
constexpr long long kMaxListCount = 10000;

std::optional<std::wstring> ReadValue(HKEY key, const wchar_t* name) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    if (type == REG_DWORD) {
        DWORD value = 0;
        bytes = sizeof(value);
        if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                               &bytes) != ERROR_SUCCESS)
            return std::nullopt;
        return std::to_wstring(static_cast<int>(value));
    }
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || bytes > kMaxValueBytes)
        return std::nullopt;
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                           &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    text.resize(bytes / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

bool WriteValue(HKEY key, const wchar_t* name, const std::wstring& value) {
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

} // namespace

RegistrySection::RegistrySection(HKEY root, const std::wstring& path, bool write) {
    HKEY raw = nullptr;
    const LONG result = write ? ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0,
                                                  KEY_READ | KEY_WRITE, nullptr, &raw, nullptr)
                              : ::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &raw);
    if (result == ERROR_SUCCESS)
        key_.reset(raw);
}

std::optional<std::wstring> RegistrySection::Read(const wchar_t* name) const {
    return key_ ? ReadValue(key_.get(), name) : std::nullopt;
}

bool RegistrySection::Write(const wchar_t* name, const std::wstring& value) {
    return key_ && WriteValue(key_.get(), name, value);
}

bool RegistrySection::ValueExists(const wchar_t* name) const {
    return key_ && ::RegQueryValueExW(key_.get(), name, nullptr, nullptr, nullptr, nullptr) ==
                       ERROR_SUCCESS;
}

std::optional<std::vector<std::wstring>> RegistrySection::ReadList(const wchar_t* subKey) const {
    if (!key_)
        return std::nullopt;
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(key_.get(), subKey, 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return std::nullopt;
    UniqueKey list(raw);
    const auto countText = ReadValue(list.get(), L"Count");
    const auto count = countText ? ParseInteger(*countText, LLONG_MIN, LLONG_MAX) : std::nullopt;
    if (!count || *count <= 0 || *count > kMaxListCount)
        return std::nullopt;
    std::vector<std::wstring> lines;
    for (long long i = 0; i < *count; ++i) {
        const std::wstring name = L"Item" + std::to_wstring(i);
        if (auto line = ReadValue(list.get(), name.c_str()))
            lines.push_back(*line);
    }
    return lines;
}

void RegistrySection::WriteList(const wchar_t* subKey, const std::vector<std::wstring>& lines) {
    if (!key_)
        return;
    ::RegDeleteTreeW(key_.get(), subKey);
    if (lines.empty())
        return;
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(key_.get(), subKey, 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS)
        return;
    UniqueKey list(raw);
    WriteValue(list.get(), L"Count", std::to_wstring(lines.size()));
    for (size_t i = 0; i < lines.size(); ++i)
        WriteValue(list.get(), (L"Item" + std::to_wstring(i)).c_str(), lines[i]);
}

} // namespace zt
