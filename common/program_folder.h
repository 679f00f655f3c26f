#pragma once
// The folder of the running program's file.

#include <string>

namespace zt {

// Without a trailing backslash; empty when it cannot be found.
std::wstring ProgramFolder();

} // namespace zt
