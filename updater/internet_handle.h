#pragma once
// Owner of WinINet handles.

#include <windows.h>
#include <wininet.h>

#include "common/handles.h"

namespace zt::uplift {

struct InternetHandleTraits {
    static HINTERNET invalid() noexcept { return nullptr; }
    static void close(HINTERNET h) noexcept { ::InternetCloseHandle(h); }
};

using UniqueInternet = UniqueHandle<HINTERNET, InternetHandleTraits>;

} // namespace zt::uplift
