#include "netkit_settings.h"

#include <windows.h>

#include <cmath>

#include "common/eight_bit_text.h"
#include "common/handles.h"
#include "common/utf.h"

namespace zt {
namespace {

// A host list is a few lines; anything larger is not read.
constexpr LONGLONG kMaxHostListSize = 1024 * 1024;

std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<std::wstring> ReadString(HKEY key, const wchar_t* name) {
    DWORD size = 0;
    if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, text.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    text.resize(::wcsnlen(text.c_str(), text.size()));
    return text;
}

std::optional<double> ReadDateTime(HKEY key, const wchar_t* name) {
    double value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_BINARY, nullptr, &value, &size) !=
            ERROR_SUCCESS ||
        size != sizeof(value) || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool WriteDword(HKEY key, const wchar_t* name, DWORD value) {
    return ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                            sizeof(value)) == ERROR_SUCCESS;
}

bool WriteString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

bool WriteDateTime(HKEY key, const wchar_t* name, double value) {
    return ::RegSetValueExW(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&value),
                            sizeof(value)) == ERROR_SUCCESS;
}

UniqueKey CreateKey(const std::wstring& keyPath) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return UniqueKey();
    return UniqueKey(raw);
}

bool WriteResults(HKEY key, const TSynchronizator& record) {
    bool ok = WriteString(key, L"StatusSynch", record.StatusSynch);
    ok = WriteDateTime(key, L"LastSynch", record.LastSynch) && ok;
    return WriteDateTime(key, L"LastLuckySynch", record.LastLuckySynch) && ok;
}

} // namespace

TSynchronizator DefaultSynchronizator(const std::wstring& defaultHost) {
    TSynchronizator record;
    record.HostSynch = defaultHost;
    return record;
}

TSynchronizator LoadSynchronizator(const std::wstring& keyPath, const std::wstring& defaultHost) {
    TSynchronizator record = DefaultSynchronizator(defaultHost);
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return record;
    const UniqueKey key(raw);
    if (const auto value = ReadDword(key.get(), L"EnableNextSynch"))
        record.EnableNextSynch = *value != 0;
    if (const auto value = ReadDword(key.get(), L"PortSynch"); value && *value <= 0xFF)
        record.PortSynch = static_cast<std::uint8_t>(*value);
    if (const auto value = ReadDword(key.get(), L"ReceiveTimeOutSynch"); value && *value <= 0xFFFF)
        record.ReceiveTimeOutSynch = static_cast<std::uint16_t>(*value);
    if (auto value = ReadString(key.get(), L"HostSynch"))
        record.HostSynch = std::move(*value);
    if (auto value = ReadString(key.get(), L"StatusSynch"))
        record.StatusSynch = std::move(*value);
    if (const auto value = ReadDateTime(key.get(), L"LastSynch"))
        record.LastSynch = *value;
    if (const auto value = ReadDateTime(key.get(), L"LastLuckySynch"))
        record.LastLuckySynch = *value;
    return record;
}

bool SaveSynchronizator(const std::wstring& keyPath, const TSynchronizator& record) {
    const UniqueKey key = CreateKey(keyPath);
    if (!key)
        return false;
    bool ok = WriteDword(key.get(), L"EnableNextSynch", record.EnableNextSynch ? 1 : 0);
    ok = WriteDword(key.get(), L"PortSynch", record.PortSynch) && ok;
    ok = WriteDword(key.get(), L"ReceiveTimeOutSynch", record.ReceiveTimeOutSynch) && ok;
    ok = WriteString(key.get(), L"HostSynch", record.HostSynch) && ok;
    return WriteResults(key.get(), record) && ok;
}

bool SaveSyncResults(const std::wstring& keyPath, const TSynchronizator& record) {
    const UniqueKey key = CreateKey(keyPath);
    return key && WriteResults(key.get(), record);
}

std::optional<std::vector<std::wstring>> ReadHostList(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxHostListSize)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return std::nullopt;
    bytes.resize(read);
    return SplitHostList(DecodeEightBitText(bytes));
}

bool WriteHostList(const std::wstring& path, const std::vector<std::wstring>& lines) {
    const std::string bytes = WideToUtf8(JoinHostList(lines));
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return bytes.empty() || (::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                         &written, nullptr) &&
                             written == bytes.size());
}

} // namespace zt
