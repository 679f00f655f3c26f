#pragma once
// GUI-thread timers. All timers of the process share one hidden message-only window
// owned by a single handler; each timer is a window timer on it whose id is the timer
// object's address, so a WM_TIMER leads straight to its object. The handler and its
// window exist while at least one timer exists. Timers are created, changed, ticked
// and destroyed on the thread that created the first of them.
//
// States: Idle (not enabled), Running (enabled with a window timer) and Silent
// (enabled, no window timer: after SetInterval(0) or an empty callback). Only
// SetEnabled(true) with a non-zero interval leaves the Silent state.

#include <windows.h>

#include <functional>

#include "zentik/ztZentikInterface.h"

namespace zt {

class TztTimer;
using TimerCallback = std::function<void(TztTimer& sender)>;

class TztTimer {
public:
    // 1000 ms, no callback, not enabled, not one-shot.
    TztTimer();
    // Not enabled; oneShot is stored after the common initialisation.
    TztTimer(int interval, bool oneShot, TimerCallback callback);
    virtual ~TztTimer();
    TztTimer(const TztTimer&) = delete;
    TztTimer& operator=(const TztTimer&) = delete;

    // true starts (or restarts) the timer unless the interval is 0, which changes
    // nothing; false stops it.
    void SetEnabled(bool value);
    bool GetEnabled() const { return enabled_; }
    // A new non-zero interval restarts an enabled timer; 0 silences it but leaves it
    // enabled.
    void SetInterval(int milliseconds);
    int GetInterval() const { return interval_; }
    // An empty callback silences an enabled timer but leaves it enabled.
    void SetOnTimer(TimerCallback callback);
    const TimerCallback& GetOnTimer() const { return onTimer_; }
    // A one-shot timer is disabled just before its callback runs, so the callback may
    // enable it again.
    void SetOneShot(bool value);
    bool GetOneShot() const { return oneShot_; }

    // Called by the shared window for a WM_TIMER of this timer. The callback may
    // destroy the timer.
    void Tick();

private:
    bool Start();
    bool Stop(bool clear);

    bool enabled_ = false;
    int interval_ = 0;
    bool oneShot_ = false;
    TimerCallback onTimer_;
};

// A reference-counted timer handed to plug-ins as IztTimer. Created with a count of
// 0; the last Release stops and destroys it. The destructor is private: the object
// is destroyed only through Release.
class TztInterfacedTimer final : public TztTimer, public IztTimer {
public:
    TztInterfacedTimer();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    void STDMETHODCALLTYPE SetEnabled(BOOL value) override;
    BOOL STDMETHODCALLTYPE GetEnabled() override;
    void STDMETHODCALLTYPE SetInterval(int milliseconds) override;
    int STDMETHODCALLTYPE GetInterval() override;
    // Stores the event; a non-null code is called with the event's data and this
    // timer on every tick.
    void STDMETHODCALLTYPE SetOnTimer(ZT_TIMER_EVENT event) override;
    void STDMETHODCALLTYPE GetOnTimer(ZT_TIMER_EVENT* event) override;
    void STDMETHODCALLTYPE SetOneShot(BOOL value) override;
    BOOL STDMETHODCALLTYPE GetOneShot() override;

private:
    // Aborts when references are still held: they would be used after the free.
    ~TztInterfacedTimer() override;

    volatile LONG refCount_ = 0;
    ZT_TIMER_EVENT event_{nullptr, nullptr};
};

// A fresh interfaced timer holding one reference for the caller (1000 ms, no
// callback, not enabled), or null when it cannot be made.
IztTimer* CreateInterfacedTimer() noexcept;

// The shared handler as tests see it.
struct TimerHandlerState {
    bool exists = false;
    HWND window = nullptr;
    unsigned timerCount = 0;
    unsigned activeCount = 0;
};
TimerHandlerState GetTimerHandlerState();

} // namespace zt
