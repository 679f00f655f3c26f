#pragma once
// Runs callbacks on the main thread for the message bus: a hidden message-only window and
// the registered message "ZT_OMB_SYNCRO_EVENT_CALL".
//
// The main thread is the thread that creates the object; it must pump messages for calls
// from other threads to run. Such a caller is blocked until the callback has returned, so
// the main thread must never wait for a thread that makes such a call. The window runs only
// requests that a caller of this object is waiting for; any other message with the
// registered code (from another process, say) is ignored.

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <unordered_set>

#include "common/handles.h"
#include "framework/msg_bus.h"

namespace zt {

class TztSynchroObj {
public:
    TztSynchroObj();
    TztSynchroObj(const TztSynchroObj&) = delete;
    TztSynchroObj& operator=(const TztSynchroObj&) = delete;

    // On the main thread calls callback directly; from another thread sends the request to
    // the hidden window and returns the callback's result (0 when the window is gone or the
    // callback failed).
    int Call(TztMsgCallback callback, int msg, std::intptr_t param1, std::intptr_t param2,
             void* userData) noexcept;

    DWORD MainThreadId() const noexcept { return mainThreadId_; }
    HWND Window() const noexcept { return window_.get(); }
    UINT Message() const noexcept { return message_; }

private:
    struct Request;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    int Serve(WPARAM wParam, LPARAM lParam) noexcept;

    DWORD mainThreadId_;
    UINT message_;
    std::mutex lock_;
    // Requests whose callers wait in Call.
    std::unordered_set<const Request*> pending_;
    UniqueWindow window_;
};

} // namespace zt
