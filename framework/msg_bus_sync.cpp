#include "framework/msg_bus_sync.h"

#include <algorithm>

#include "common/diag_log.h"

namespace zt {

namespace {

constexpr wchar_t kWindowClassName[] = L"ZentikSynchroObj";
constexpr wchar_t kCallMessageName[] = L"ZT_OMB_SYNCRO_EVENT_CALL";
// Longest single wait of Wait, so that a wake taken by another waiter costs little.
constexpr DWORD kWaitSlice = 100;

} // namespace

// A call request; its address travels in the message's second parameter.
struct TztSynchroObj::Request {
    const std::function<int()>* work;
    int result = 0;
    bool failed = false;
};

ModuleWindowClass::Fields TztSynchroObj::WindowClass() {
    return {kWindowClassName, nullptr};
}

TztSynchroObj::TztSynchroObj()
    : mainThreadId_(::GetCurrentThreadId()), message_(::RegisterWindowMessageW(kCallMessageName)),
      wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    if (!CreateWindowOf(0, L"", 0, 0, 0, 0, 0, HWND_MESSAGE))
        DiagLog(L"TztSynchroObj: " + SystemErrorText(::GetLastError()));
}

TztSynchroObj::~TztSynchroObj() {
    // Callers still waiting in Run get 0.
    DestroyWindowNow();
}

int TztSynchroObj::Run(const std::function<int()>& work) {
    if (::GetCurrentThreadId() == mainThreadId_)
        return work();
    if (!Window() || message_ == 0)
        return 0;
    Request request{&work};
    {
        std::lock_guard<std::mutex> guard(lock_);
        pending_.insert(&request);
    }
    ::SendMessageW(Window(), message_, 0, reinterpret_cast<LPARAM>(&request));
    {
        std::lock_guard<std::mutex> guard(lock_);
        pending_.erase(&request);
    }
    if (request.failed)
        throw EztMainThreadCallFailed();
    return request.result;
}

int TztSynchroObj::Call(TztMsgCallback callback, int msg, std::intptr_t param1,
                        std::intptr_t param2, void* userData) noexcept {
    if (!callback)
        return 0;
    try {
        return Run([&] { return callback(msg, param1, param2, userData); });
    } catch (...) {
        DiagLogCaught(L"IztPluginMan::SyncCall");
        return 0;
    }
}

void TztSynchroObj::Serve(LPARAM lParam) noexcept {
    auto* request = reinterpret_cast<Request*>(lParam);
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!pending_.contains(request))
            return;
    }
    // The caller is blocked in SendMessageW until this returns, so the request stays valid.
    try {
        request->result = (*request->work)();
    } catch (...) {
        DiagLogCaught(L"TztSynchroObj: main-thread call");
        request->failed = true;
    }
}

LRESULT TztSynchroObj::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message_ != 0 && message == message_) {
        Serve(lParam);
        return 0;
    }
    return DefaultHandling(message, wParam, lParam);
}

bool TztSynchroObj::Wait(const std::function<bool()>& done, unsigned timeoutMs) noexcept {
    try {
        const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
        for (;;) {
            // Runs the calls sent to this thread; posted messages stay queued.
            MSG message;
            ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            if (done())
                return true;
            const ULONGLONG now = ::GetTickCount64();
            if (now >= deadline)
                return false;
            const DWORD slice = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kWaitSlice));
            HANDLE event = wake_.get();
            ::MsgWaitForMultipleObjectsEx(event ? 1 : 0, &event, slice, QS_SENDMESSAGE,
                                          MWMO_INPUTAVAILABLE);
        }
    } catch (...) {
        DiagLogCaught(L"TztSynchroObj::Wait");
        return false;
    }
}

void TztSynchroObj::Wake() noexcept {
    if (wake_)
        ::SetEvent(wake_.get());
}

} // namespace zt
