#pragma once
// The module (the program or a library) that holds an address.

#include <windows.h>

namespace zt {

// The module whose image holds address, or null. Given the address of the caller's own
// code or data, it is the module that code is linked into.
HINSTANCE ModuleOf(const void* address) noexcept;

} // namespace zt
