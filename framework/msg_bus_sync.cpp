#include "framework/msg_bus_sync.h"

#include "common/module_window_class.h"

namespace zt {

namespace {

constexpr wchar_t kWindowClassName[] = L"ZentikSynchroObj";
constexpr wchar_t kCallMessageName[] = L"ZT_OMB_SYNCRO_EVENT_CALL";

int Invoke(TztMsgCallback callback, int msg, std::intptr_t param1, std::intptr_t param2,
           void* userData) noexcept {
    try {
        return callback(msg, param1, param2, userData);
    } catch (...) {
        return 0;
    }
}

} // namespace

// A call request; its address travels in the message's second parameter, the callback in
// the first.
struct TztSynchroObj::Request {
    TztMsgCallback callback;
    int msg;
    std::intptr_t param1;
    std::intptr_t param2;
    void* userData;
};

TztSynchroObj::TztSynchroObj()
    : mainThreadId_(::GetCurrentThreadId()), message_(::RegisterWindowMessageW(kCallMessageName)) {
    static ModuleWindowClass windowClass({kWindowClassName, &TztSynchroObj::WindowProc});
    if (const ATOM atom = windowClass.Get())
        window_.reset(::CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                        nullptr, windowClass.Instance(), nullptr));
    if (window_)
        ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

int TztSynchroObj::Call(TztMsgCallback callback, int msg, std::intptr_t param1,
                        std::intptr_t param2, void* userData) noexcept {
    if (!callback)
        return 0;
    if (::GetCurrentThreadId() == mainThreadId_)
        return Invoke(callback, msg, param1, param2, userData);
    if (!window_ || message_ == 0)
        return 0;
    Request request{callback, msg, param1, param2, userData};
    try {
        std::lock_guard<std::mutex> guard(lock_);
        pending_.insert(&request);
    } catch (...) {
        return 0;
    }
    const LRESULT result =
        ::SendMessageW(window_.get(), message_, reinterpret_cast<WPARAM>(callback),
                       reinterpret_cast<LPARAM>(&request));
    std::lock_guard<std::mutex> guard(lock_);
    pending_.erase(&request);
    return static_cast<int>(result);
}

int TztSynchroObj::Serve(WPARAM wParam, LPARAM lParam) noexcept {
    const auto* request = reinterpret_cast<const Request*>(lParam);
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!pending_.contains(request))
            return 0;
    }
    // The caller is blocked in SendMessageW until this returns, so the request stays valid.
    if (reinterpret_cast<WPARAM>(request->callback) != wParam)
        return 0;
    return Invoke(request->callback, request->msg, request->param1, request->param2,
                  request->userData);
}

LRESULT CALLBACK TztSynchroObj::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    auto* self = reinterpret_cast<TztSynchroObj*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && self->message_ != 0 && message == self->message_)
        return static_cast<LRESULT>(self->Serve(wParam, lParam));
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace zt
