#pragma once
// The message pump of the Windows tests: dispatches this thread's messages while waiting
// for a condition, with a deadline.

#include <windows.h>

#include <functional>

namespace zt::test {

// Dispatches messages until done() holds or timeoutMs have passed; returns done().
// preTranslate, when given, sees each message first (IsDialogMessage, say) and returns
// true for a message it handled.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000,
                      const std::function<bool(MSG&)>& preTranslate = {}) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (preTranslate && preTranslate(message))
                continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (done())
            return true;
        if (::GetTickCount64() >= deadline)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Waits, dispatching nothing, until a message sent by another thread waits for this one
// (its sender is blocked in SendMessage); false after timeoutMs.
inline bool SentMessagePending(DWORD timeoutMs = 10000) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while ((HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) == 0) {
        if (::GetTickCount64() >= deadline)
            return false;
        ::Sleep(1);
    }
    return true;
}

// Dispatches messages for a while, for checks that something does not happen.
inline void PumpFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

} // namespace zt::test
