#include "options/export_key.h"

#include <algorithm>
#include <vector>

#include "common/handles.h"
#include "common/privilege.h"

namespace zt::options {
namespace {

std::wstring Folder(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

// A name for a new file beside path, where nothing exists yet.
std::wstring TemporaryBeside(const std::wstring& path) {
    wchar_t name[MAX_PATH + 1] = {};
    if (!::GetTempFileNameW(Folder(path).c_str(), L"zt", 0, name))
        return {};
    ::DeleteFileW(name); // RegSaveKeyW wants a file that does not exist
    return name;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) &&
           written == bytes.size();
}

bool ReadNamedKey(HKEY root, const wchar_t* rootName, const wchar_t* subKey, RegKeyData& data) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, subKey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    const UniqueKey key(opened);
    return ReadRegKey(key.get(), std::wstring(rootName) + L"\\" + subKey, data);
}

} // namespace

bool ReadRegKey(HKEY key, const std::wstring& name, RegKeyData& data) {
    DWORD subkeys = 0, longestSubkey = 0, values = 0, longestName = 0, largestData = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr,
                           &values, &longestName, &largestData, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    data.name = name;
    data.values.clear();
    data.subkeys.clear();

    std::vector<wchar_t> valueName(longestName + 1);
    std::vector<uint8_t> bytes(std::max<DWORD>(largestData, 1));
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(valueName.size());
        DWORD size = static_cast<DWORD>(bytes.size());
        DWORD type = 0;
        const LSTATUS status = ::RegEnumValueW(key, index, valueName.data(), &nameLength, nullptr,
                                               &type, bytes.data(), &size);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_MORE_DATA) { // the key changed since it was measured
            valueName.resize(valueName.size() * 2 + 256);
            bytes.resize(bytes.size() * 2 + 256);
            --index;
            continue;
        }
        if (status != ERROR_SUCCESS)
            return false;
        data.values.push_back(
            RegValueData{std::wstring(valueName.data(), nameLength), type,
                         std::vector<uint8_t>(bytes.begin(), bytes.begin() + size)});
    }

    std::vector<wchar_t> subkeyName(longestSubkey + 1);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(subkeyName.size());
        const LSTATUS status = ::RegEnumKeyExW(key, index, subkeyName.data(), &nameLength, nullptr,
                                               nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_MORE_DATA) {
            subkeyName.resize(subkeyName.size() * 2 + 256);
            --index;
            continue;
        }
        if (status != ERROR_SUCCESS)
            return false;
        const std::wstring subkey(subkeyName.data(), nameLength);
        HKEY opened = nullptr;
        if (::RegOpenKeyExW(key, subkey.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
            return false;
        const UniqueKey child(opened);
        RegKeyData childData;
        if (!ReadRegKey(child.get(), subkey, childData))
            return false;
        data.subkeys.push_back(std::move(childData));
    }
    return true;
}

bool WriteRegFile(HKEY root, const wchar_t* rootName, const wchar_t* subKey,
                  const std::wstring& path) {
    RegKeyData data;
    return ReadNamedKey(root, rootName, subKey, data) && WriteFileBytes(path, RegFileBytes(data));
}

ExportFormat ExportKey(HKEY root, const wchar_t* rootName, const wchar_t* subKey,
                       const std::wstring& path) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, subKey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return ExportFormat::None;
    const UniqueKey key(opened);
    // Written beside the file and moved over it at the end: a failure leaves the old file.
    const std::wstring temporary = TemporaryBeside(path);
    if (temporary.empty())
        return ExportFormat::None;
    ExportFormat format = ExportFormat::None;
    EnablePrivilege(SE_BACKUP_NAME);
    if (::RegSaveKeyW(key.get(), temporary.c_str(), nullptr) == ERROR_SUCCESS) {
        format = ExportFormat::KeyFile;
    } else {
        ::DeleteFileW(temporary.c_str());
        RegKeyData data;
        if (ReadRegKey(key.get(), std::wstring(rootName) + L"\\" + subKey, data) &&
            WriteFileBytes(temporary, RegFileBytes(data)))
            format = ExportFormat::RegText;
    }
    if (format != ExportFormat::None &&
        !::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        format = ExportFormat::None;
    if (format == ExportFormat::None)
        ::DeleteFileW(temporary.c_str());
    return format;
}

} // namespace zt::options
