#pragma once
// The clock engine on Windows: the local clock, the TztTimer that ticks it, and the
// ICustomZentik view handed to plug-ins.
//
// Life cycle: the main window calls CreateClockEngine once on the GUI thread, sets the
// events on Engine(), hands Interface() to plug-ins (GetInterface kind 1) and destroys the
// ClockEngine after the plug-ins are finalised. The engine starts ticking at 250 ms as
// soon as it is created; ticks arrive through the GUI thread's message loop. The
// interface is not reference counted: AddRef and Release do nothing, the ClockEngine owns
// everything.

#include <windows.h>

#include <functional>
#include <memory>

#include "common/timer.h"
#include "host/custom_zentik.h"
#include "zentik/ztZentikInterface.h"

namespace zt {

// The local time from GetLocalTime.
class WinTimeSource final : public TimeSource {
public:
    LocalTime Now() override;
};

// A TztTimer of 250 ms, repeating, enabled from construction. A tick whose handler
// throws is dropped; the timer goes on.
class TztTactTimer final : public TactTimer {
public:
    TztTactTimer();
    void SetInterval(int milliseconds) override { timer_.SetInterval(milliseconds); }
    int GetInterval() const override { return timer_.GetInterval(); }
    void SetOnTick(std::function<void()> onTick) override { onTick_ = std::move(onTick); }

private:
    std::function<void()> onTick_;
    TztTimer timer_; // after onTick_: stops before the callback goes away
};

// ICustomZentik over an engine that outlives it. Every method catches everything;
// SetAlarmPart reports an invalid time as E_INVALIDARG.
class CustomZentikInterface final : public ICustomZentik {
public:
    explicit CustomZentikInterface(TCustomZentik& engine) : engine_(engine) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    void STDMETHODCALLTYPE SetAlarmTime(ZT_DATETIME value) override;
    ZT_DATETIME STDMETHODCALLTYPE GetAlarmTime() override;
    WORD STDMETHODCALLTYPE SetFastTact() override;
    WORD STDMETHODCALLTYPE SetNormalTact() override;
    WORD STDMETHODCALLTYPE SetSlowTact() override;
    void STDMETHODCALLTYPE Refresh() override;
    void STDMETHODCALLTYPE SetTextSuspended(BOOL value) override;
    BOOL STDMETHODCALLTYPE GetTextSuspended() override;
    void STDMETHODCALLTYPE SetTact(WORD value) override;
    WORD STDMETHODCALLTYPE GetTact() override;
    BOOL STDMETHODCALLTYPE IsAlarmTime(ZT_DATETIME value) override;
    BYTE STDMETHODCALLTYPE GetAlarmPart(int index) override;
    HRESULT STDMETHODCALLTYPE SetAlarmPart(int index, BYTE value) override;
    BSTR STDMETHODCALLTYPE GetCustomFormat() override;
    void STDMETHODCALLTYPE SetCustomFormat(const wchar_t* value) override;
    BOOL STDMETHODCALLTYPE GetUseCustomFormat() override;
    void STDMETHODCALLTYPE SetUseCustomFormat(BOOL value) override;
    BOOL STDMETHODCALLTYPE GetShowSeconds() override;
    void STDMETHODCALLTYPE SetShowSeconds(BOOL value) override;
    BOOL STDMETHODCALLTYPE GetSecondFlash() override;
    void STDMETHODCALLTYPE SetSecondFlash(BOOL value) override;
    BOOL STDMETHODCALLTYPE GetAlarmEnabled() override;
    void STDMETHODCALLTYPE SetAlarmEnabled(BOOL value) override;

private:
    TCustomZentik& engine_;
};

// The engine with its clock, timer and interface.
class ClockEngine {
public:
    virtual ~ClockEngine() = default;
    // The engine, to set events and properties on.
    virtual TCustomZentik& Engine() = 0;
    // The engine as plug-ins see it; valid as long as the ClockEngine.
    virtual ICustomZentik* Interface() = 0;
};

// Creates the engine ticking at 250 ms with the given locale data (call on the GUI thread).
std::unique_ptr<ClockEngine> CreateClockEngine(const FormatSettings& settings);

} // namespace zt
