#pragma once
// Privileges of the process token.

#include <windows.h>

namespace zt {

// Enables the privilege name (such as SE_BACKUP_NAME) in the process's token; false when
// the token does not hold it or the call failed.
bool EnablePrivilege(const wchar_t* name) noexcept;

} // namespace zt
