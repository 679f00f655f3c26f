#include "common/message_box.h"

#include <mutex>
#include <utility>

namespace zt {

namespace {

std::mutex& HandlerLock() {
    static std::mutex lock;
    return lock;
}

MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}

} // namespace

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    MessageBoxHandler handler;
    {
        std::lock_guard<std::mutex> guard(HandlerLock());
        handler = Handler();
    }
    if (handler)
        return handler(owner, text, caption, type);
    return ::MessageBoxW(owner, text, caption, type);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    std::lock_guard<std::mutex> guard(HandlerLock());
    return std::exchange(Handler(), std::move(handler));
}

} // namespace zt
