#include "common/timer.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <unordered_set>
#include <utility>

#include "common/window_impl.h"

namespace zt {
namespace {

class TztTimerHandler final : public WindowImpl<TztTimerHandler> {
public:
    bool Create() { return CreateWindowOf(0, L"", 0, 0, 0, 0, 0, HWND_MESSAGE); }

    std::uint32_t timerCount = 0;
    std::uint32_t activeCount = 0;
    // The timers that exist. A WM_TIMER already queued for a timer that has been
    // destroyed carries a dangling address; only ids found here are delivered.
    std::unordered_set<TztTimer*> timers;

private:
    friend class WindowImpl<TztTimerHandler>;

    static ModuleWindowClass::Fields WindowClass() { return {L"ZentikTimerHandler", nullptr}; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_TIMER)
            return DefaultHandling(message, wParam, lParam);
        const auto found = timers.find(reinterpret_cast<TztTimer*>(wParam));
        // The callback may destroy the timer, this handler and its window: nothing of
        // them is touched afterwards.
        if (found != timers.end())
            (*found)->Tick();
        return 0;
    }
};

std::unique_ptr<TztTimerHandler> SimpleTimerHandler;

HWND HandlerWindow() {
    return SimpleTimerHandler ? SimpleTimerHandler->Window() : nullptr;
}

void RegisterTimer(TztTimer* timer) {
    if (!SimpleTimerHandler) {
        auto handler = std::make_unique<TztTimerHandler>();
        handler->Create();
        SimpleTimerHandler = std::move(handler);
    }
    try {
        SimpleTimerHandler->timers.insert(timer);
    } catch (...) {
        if (SimpleTimerHandler->timerCount == 0)
            SimpleTimerHandler.reset();
        throw;
    }
    ++SimpleTimerHandler->timerCount;
}

void UnregisterTimer(TztTimer* timer) noexcept {
    if (!SimpleTimerHandler)
        return;
    SimpleTimerHandler->timers.erase(timer);
    if (SimpleTimerHandler->timerCount > 0)
        --SimpleTimerHandler->timerCount;
    if (SimpleTimerHandler->timerCount == 0)
        SimpleTimerHandler.reset();
}

} // namespace

TztTimer::TztTimer() : TztTimer(1000, false, nullptr) {}

TztTimer::TztTimer(int interval, bool oneShot, TimerCallback callback) : interval_(interval) {
    SetOnTimer(std::move(callback));
    RegisterTimer(this);
    oneShot_ = oneShot;
}

TztTimer::~TztTimer() {
    if (enabled_)
        Stop(true);
    UnregisterTimer(this);
}

void TztTimer::SetEnabled(bool value) {
    if (value)
        Start();
    else
        Stop(true);
}

void TztTimer::SetInterval(int milliseconds) {
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    if (!enabled_)
        return;
    if (interval_ != 0)
        Start();
    else
        Stop(false);
}

void TztTimer::SetOnTimer(TimerCallback callback) {
    onTimer_ = std::move(callback);
    if (!onTimer_ && enabled_)
        Stop(false);
}

void TztTimer::SetOneShot(bool value) {
    if (value != oneShot_)
        oneShot_ = value;
}

void TztTimer::Tick() {
    if (oneShot_)
        Stop(true);
    if (!onTimer_)
        return;
    // Run a copy: the callback may destroy this timer or replace its callback, and
    // neither may free the code that is running.
    const TimerCallback callback = onTimer_;
    callback(*this);
}

bool TztTimer::Start() {
    if (interval_ == 0)
        return false;
    if (enabled_)
        Stop(true);
    const HWND window = HandlerWindow();
    // Without the window SetTimer would make a thread timer with an id of its own.
    if (window == nullptr)
        return false;
    if (::SetTimer(window, reinterpret_cast<UINT_PTR>(this), static_cast<UINT>(interval_),
                   nullptr) == 0)
        return false;
    enabled_ = true;
    ++SimpleTimerHandler->activeCount;
    return true;
}

bool TztTimer::Stop(bool clear) {
    if (clear)
        enabled_ = false;
    const HWND window = HandlerWindow();
    if (window == nullptr)
        return false;
    if (!::KillTimer(window, reinterpret_cast<UINT_PTR>(this)))
        return false;
    if (SimpleTimerHandler->activeCount > 0)
        --SimpleTimerHandler->activeCount;
    return true;
}

TztInterfacedTimer::TztInterfacedTimer() = default;

TztInterfacedTimer::~TztInterfacedTimer() {
    if (refCount_ != 0)
        std::abort();
}

HRESULT STDMETHODCALLTYPE TztInterfacedTimer::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    if (IsEqualIID(riid, __uuidof(IUnknown)) || IsEqualIID(riid, IID_IztTimer)) {
        *object = static_cast<IztTimer*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TztInterfacedTimer::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&refCount_));
}

ULONG STDMETHODCALLTYPE TztInterfacedTimer::Release() {
    const LONG count = ::InterlockedDecrement(&refCount_);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

void STDMETHODCALLTYPE TztInterfacedTimer::SetEnabled(BOOL value) {
    TztTimer::SetEnabled(value != FALSE);
}

BOOL STDMETHODCALLTYPE TztInterfacedTimer::GetEnabled() {
    return TztTimer::GetEnabled() ? TRUE : FALSE;
}

void STDMETHODCALLTYPE TztInterfacedTimer::SetInterval(int milliseconds) {
    TztTimer::SetInterval(milliseconds);
}

int STDMETHODCALLTYPE TztInterfacedTimer::GetInterval() {
    return TztTimer::GetInterval();
}

void STDMETHODCALLTYPE TztInterfacedTimer::SetOnTimer(ZT_TIMER_EVENT event) {
    try {
        event_ = event;
        if (event.code == nullptr) {
            TztTimer::SetOnTimer(nullptr);
            return;
        }
        TztTimer::SetOnTimer([this](TztTimer&) {
            // Read before the call: the plug-in may release the timer inside.
            const ZT_TIMER_EVENT current = event_;
            if (current.code != nullptr)
                current.code(current.data, static_cast<IztTimer*>(this));
        });
    } catch (...) {
        DiagLogCaught(L"IztTimer::SetOnTimer");
        event_ = {nullptr, nullptr};
        TztTimer::SetOnTimer(nullptr);
    }
}

void STDMETHODCALLTYPE TztInterfacedTimer::GetOnTimer(ZT_TIMER_EVENT* event) {
    if (event != nullptr)
        *event = event_;
}

void STDMETHODCALLTYPE TztInterfacedTimer::SetOneShot(BOOL value) {
    TztTimer::SetOneShot(value != FALSE);
}

BOOL STDMETHODCALLTYPE TztInterfacedTimer::GetOneShot() {
    return TztTimer::GetOneShot() ? TRUE : FALSE;
}

IztTimer* CreateInterfacedTimer() noexcept {
    try {
        auto* timer = new TztInterfacedTimer();
        timer->AddRef();
        return timer;
    } catch (...) {
        DiagLogCaught(L"CreateInterfacedTimer");
        return nullptr;
    }
}

TimerHandlerState GetTimerHandlerState() {
    TimerHandlerState state;
    if (SimpleTimerHandler) {
        state.exists = true;
        state.window = SimpleTimerHandler->Window();
        state.timerCount = SimpleTimerHandler->timerCount;
        state.activeCount = SimpleTimerHandler->activeCount;
    }
    return state;
}

} // namespace zt
