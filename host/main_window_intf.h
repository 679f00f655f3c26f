#pragma once
// IZentik over the clock window: what the host API library and plug-ins see of it. Host
// objects by number, actions and numbered window settings; queried from it, the click and
// hot-key bindings (IztBindings) and the system clock (IztSystemClock). Every operation is
// guarded so that no exception reaches the caller. Not reference counted: it lives as
// long as the window.

#include <windows.h>

#include "zentik/ztZentikInterface.h"

namespace zt {

class TfrmClock;

class TztZentikIntf final : public IZentik, public IztBindings, public IztSystemClock {
public:
    explicit TztZentikIntf(TfrmClock& clock) noexcept : clock_(clock) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    IUnknown* STDMETHODCALLTYPE GetInterface(int kind) override;
    void STDMETHODCALLTYPE DoAction(int action) override;
    INT_PTR STDMETHODCALLTYPE GetValue(int item) override;
    void STDMETHODCALLTYPE SetValue(int item, INT_PTR value) override;
    HWND STDMETHODCALLTYPE GetHandle() override;
    BSTR STDMETHODCALLTYPE GetAlarmCommand() override;
    void STDMETHODCALLTYPE SetAlarmCommand(const wchar_t* value) override;
    void STDMETHODCALLTYPE ApplyLanguage() override;

    BSTR STDMETHODCALLTYPE GetBindings() override;
    void STDMETHODCALLTYPE SetBindings(const wchar_t* rows) override;

    HRESULT STDMETHODCALLTYPE SetSystemTime(const SYSTEMTIME* utc) override;

private:
    TfrmClock& clock_;
};

} // namespace zt
