#pragma once
// Runs work on the main thread for the message bus: a hidden message-only window and the
// registered message "ZT_OMB_SYNCRO_EVENT_CALL".
//
// The main thread is the thread that creates the object; it must pump messages for calls
// from other threads to run. Such a caller is blocked until the work has returned, so the
// main thread must never wait for a thread that makes such a call, other than through Wait,
// which lets these calls through. The window runs only requests that a caller of this
// object is waiting for; any other message with the registered code (from another process,
// say) is ignored.

#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <unordered_set>

#include "common/handles.h"
#include "common/window_impl.h"
#include "framework/msg_bus.h"

namespace zt {

// Work run on the main thread for a caller on another thread failed.
class EztMainThreadCallFailed : public std::exception {
public:
    const char* what() const noexcept override { return "the main-thread call failed"; }
};

class TztSynchroObj : public WindowImpl<TztSynchroObj> {
public:
    TztSynchroObj();
    ~TztSynchroObj();

    // Runs work on the main thread and returns its result: in place on the main thread
    // (its exceptions go through), otherwise through the hidden window while the caller
    // waits (throws EztMainThreadCallFailed when it failed there). 0 when the window is gone.
    int Run(const std::function<int()>& work);
    // Runs callback on the main thread as Run does; 0 when it failed or the window is gone.
    int Call(TztMsgCallback callback, int msg, std::intptr_t param1, std::intptr_t param2,
             void* userData) noexcept;

    // Waits until done() holds or timeoutMs have passed and returns done(); meanwhile the
    // calls sent to this thread (the requests of Run among them) are let through. Meant for
    // one waiting thread at a time, the main thread.
    bool Wait(const std::function<bool()>& done, unsigned timeoutMs) noexcept;
    // Makes Wait test done() again.
    void Wake() noexcept;

    DWORD MainThreadId() const noexcept { return mainThreadId_; }
    UINT Message() const noexcept { return message_; }

private:
    friend class WindowImpl<TztSynchroObj>;
    struct Request;

    static ModuleWindowClass::Fields WindowClass();
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Serve(LPARAM lParam) noexcept;

    DWORD mainThreadId_;
    UINT message_;
    std::mutex lock_;
    // Requests whose callers wait in Run.
    std::unordered_set<const Request*> pending_;
    // Set by Wake; auto-reset.
    UniqueEvent wake_;
};

} // namespace zt
