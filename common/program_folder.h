#pragma once
// The folder of the running program's file, or of a module's.

#include <windows.h>

#include <string>

namespace zt {

// Without a trailing backslash; empty when it cannot be found.
std::wstring ProgramFolder();
// The folder of module's file (the program's for null), without a trailing backslash.
std::wstring ModuleFolder(HMODULE module);

} // namespace zt
