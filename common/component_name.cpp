#include "common/component_name.h"

#include <string>

namespace zt {
namespace {

// One property per name: "ztName:" followed by the component name.
std::wstring PropertyName(const wchar_t* name) {
    return std::wstring(L"ztName:") + name;
}

} // namespace

bool SetComponentName(HWND window, const wchar_t* name) noexcept {
    if (!window || !name || !*name)
        return false;
    try {
        return ::SetPropW(window, PropertyName(name).c_str(), reinterpret_cast<HANDLE>(1)) != FALSE;
    } catch (...) {
        return false;
    }
}

HWND FindComponent(HWND root, const wchar_t* name) noexcept {
    if (!root || !name || !*name)
        return nullptr;
    try {
        struct Search {
            std::wstring property;
            HWND found = nullptr;
        } search{PropertyName(name)};
        ::EnumChildWindows(
            root,
            [](HWND child, LPARAM data) -> BOOL {
                auto* search = reinterpret_cast<Search*>(data);
                if (!::GetPropW(child, search->property.c_str()))
                    return TRUE;
                search->found = child;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    } catch (...) {
        return nullptr;
    }
}

} // namespace zt
