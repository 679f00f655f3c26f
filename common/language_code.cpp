#include "common/language_code.h"

#include "common/handles.h"
#include "zentik/ztZentikInterface.h"

namespace zt {

std::wstring ReadLanguageCode(HKEY root) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(root, ZT_REGISTRY_KEY, 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return {};
    UniqueKey key(raw);
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(key.get(), L"Language", nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || bytes > 4096)
        return {};
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key.get(), L"Language", nullptr, &type,
                           reinterpret_cast<BYTE*>(value.data()), &bytes) != ERROR_SUCCESS)
        return {};
    value.resize(bytes / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0')
        value.pop_back();
    return value;
}

} // namespace zt
