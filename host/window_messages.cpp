#include "host/window_messages.h"

namespace zt {

const ZentikMessages& RegisterZentikMessages() {
    static const ZentikMessages messages = [] {
        ZentikMessages m;
        m.showWindow = ::RegisterWindowMessageW(L"ZentikShowWindow");
        m.closeSetupDll = ::RegisterWindowMessageW(L"ZentikCloseSetupDLL");
        m.taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
        return m;
    }();
    return messages;
}

} // namespace zt
