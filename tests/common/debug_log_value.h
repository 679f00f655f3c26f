#pragma once
// Test helper: sets the "DebugLog" value of the program's registry key for one test and
// puts back what was there (value, key), and reads the lines the diagnostic log appended
// to its file meanwhile. The file is removed again when the test made it.

#include <windows.h>

#include <string>
#include <vector>

#include "common/diag_log.h"
#include "common/handles.h"
#include "zentik/ztZentikInterface.h"

namespace zt::test {

class DebugLogValue {
public:
    DebugLogValue() {
        HKEY raw = nullptr;
        keyExisted_ =
            ::RegOpenKeyExW(HKEY_CURRENT_USER, ZT_REGISTRY_KEY, 0, KEY_READ, &raw) == ERROR_SUCCESS;
        UniqueKey existing(raw);
        if (keyExisted_) {
            DWORD size = 0;
            if (::RegQueryValueExW(existing.get(), kName, nullptr, &savedType_, nullptr, &size) ==
                ERROR_SUCCESS) {
                saved_.resize(size);
                valueExisted_ = ::RegQueryValueExW(existing.get(), kName, nullptr, &savedType_,
                                                   saved_.data(), &size) == ERROR_SUCCESS;
                saved_.resize(size);
            }
        }
        const UniqueFile file(::CreateFileW(DiagLogPath().c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        fileExisted_ = static_cast<bool>(file);
        if (file) {
            LARGE_INTEGER size{};
            ::GetFileSizeEx(file.get(), &size);
            start_ = size.QuadPart;
        }
    }

    ~DebugLogValue() {
        if (valueExisted_) {
            if (const UniqueKey key = Key())
                ::RegSetValueExW(key.get(), kName, 0, savedType_, saved_.data(),
                                 static_cast<DWORD>(saved_.size()));
        } else {
            Remove();
            if (!keyExisted_)
                ::RegDeleteKeyW(HKEY_CURRENT_USER, ZT_REGISTRY_KEY);
        }
        if (!fileExisted_)
            ::DeleteFileW(DiagLogPath().c_str());
        DiagLogReload();
    }

    DebugLogValue(const DebugLogValue&) = delete;
    DebugLogValue& operator=(const DebugLogValue&) = delete;

    // Each setter makes the log read the value again.
    void SetText(const std::wstring& text) {
        if (const UniqueKey key = Key())
            ::RegSetValueExW(key.get(), kName, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        DiagLogReload();
    }
    void SetNumber(DWORD number) {
        if (const UniqueKey key = Key())
            ::RegSetValueExW(key.get(), kName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                             sizeof(number));
        DiagLogReload();
    }
    void Remove() {
        HKEY raw = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, ZT_REGISTRY_KEY, 0, KEY_SET_VALUE, &raw) ==
            ERROR_SUCCESS) {
            const UniqueKey key(raw);
            ::RegDeleteValueW(key.get(), kName);
        }
        DiagLogReload();
    }

    // What the log file gained since the helper was made (UTF-8).
    std::string Appended() const {
        std::string bytes;
        const UniqueFile file(::CreateFileW(DiagLogPath().c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        if (!file)
            return bytes;
        LARGE_INTEGER offset{};
        offset.QuadPart = start_;
        ::SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN);
        char buffer[4096];
        DWORD read = 0;
        while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
            bytes.append(buffer, read);
        return bytes;
    }

private:
    static constexpr wchar_t kName[] = L"DebugLog";

    static UniqueKey Key() {
        HKEY raw = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, ZT_REGISTRY_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &raw, nullptr);
        return UniqueKey(raw);
    }

    bool keyExisted_ = false;
    bool valueExisted_ = false;
    DWORD savedType_ = REG_NONE;
    std::vector<BYTE> saved_;
    bool fileExisted_ = false;
    long long start_ = 0;
};

} // namespace zt::test
