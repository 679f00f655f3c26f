#include "common/module_window_class.h"

namespace zt {
namespace {

// Lies in the module this file is linked into, like the code that uses the class.
const char kModuleAnchor = 0;

} // namespace

HINSTANCE CurrentModule() noexcept {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(&kModuleAnchor), &module))
        return nullptr;
    return module;
}

ModuleWindowClass::~ModuleWindowClass() {
    if (atom_ != 0)
        ::UnregisterClassW(MAKEINTATOM(atom_), instance_);
}

ATOM ModuleWindowClass::Get() noexcept {
    if (atom_ == 0) {
        instance_ = CurrentModule();
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = fields_.style;
        wc.lpfnWndProc = fields_.procedure;
        wc.cbWndExtra = fields_.windowExtra;
        wc.hInstance = instance_;
        wc.hCursor = fields_.cursor ? ::LoadCursorW(nullptr, fields_.cursor) : nullptr;
        wc.lpszClassName = fields_.name;
        atom_ = ::RegisterClassExW(&wc);
        if (atom_ == 0 && ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS &&
            ::UnregisterClassW(fields_.name, instance_))
            atom_ = ::RegisterClassExW(&wc);
    }
    return atom_;
}

} // namespace zt
