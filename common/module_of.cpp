#include "common/module_of.h"

namespace zt {

HINSTANCE ModuleOf(const void* address) noexcept {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &module))
        return nullptr;
    return module;
}

} // namespace zt
