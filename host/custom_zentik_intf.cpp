#include "host/custom_zentik_intf.h"

#include <oleauto.h>

#include <string>

#include "common/diag_log.h"
#include "common/guarded.h"
#include "common/system_time.h"

namespace zt {

namespace {

class ClockEngineImpl final : public ClockEngine {
public:
    explicit ClockEngineImpl(const FormatSettings& settings)
        : engine_(clock_, timer_, settings), interface_(engine_) {}
    TCustomZentik& Engine() override { return engine_; }
    ICustomZentik* Interface() override { return &interface_; }

private:
    WinTimeSource clock_;
    TztTactTimer timer_;
    TCustomZentik engine_;
    CustomZentikInterface interface_;
};

} // namespace

LocalTime WinTimeSource::Now() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return ToLocalTime(now);
}

TztTactTimer::TztTactTimer()
    : timer_(TCustomZentik::kDefaultTact, false, [this](TztTimer&) {
          // The tick arrives from a window procedure: nothing may escape.
          Guarded([this] {
              if (onTick_)
                  onTick_();
          });
      }) {
    timer_.SetEnabled(true);
}

HRESULT STDMETHODCALLTYPE CustomZentikInterface::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ICustomZentik)) {
        *object = static_cast<ICustomZentik*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

void STDMETHODCALLTYPE CustomZentikInterface::SetAlarmTime(ZT_DATETIME value) {
    Guarded([&] { engine_.SetAlarmTime(value); });
}

ZT_DATETIME STDMETHODCALLTYPE CustomZentikInterface::GetAlarmTime() {
    return Guarded(0.0, [&] { return engine_.GetAlarmTime(); });
}

WORD STDMETHODCALLTYPE CustomZentikInterface::SetFastTact() {
    return Guarded(WORD{0}, [&] { return WORD{engine_.SetFastTact()}; });
}

WORD STDMETHODCALLTYPE CustomZentikInterface::SetNormalTact() {
    return Guarded(WORD{0}, [&] { return WORD{engine_.SetNormalTact()}; });
}

WORD STDMETHODCALLTYPE CustomZentikInterface::SetSlowTact() {
    return Guarded(WORD{0}, [&] { return WORD{engine_.SetSlowTact()}; });
}

void STDMETHODCALLTYPE CustomZentikInterface::Refresh() {
    Guarded([&] { engine_.Refresh(); });
}

void STDMETHODCALLTYPE CustomZentikInterface::SetTextSuspended(BOOL value) {
    Guarded([&] { engine_.SetTextSuspended(value != FALSE); });
}

BOOL STDMETHODCALLTYPE CustomZentikInterface::GetTextSuspended() {
    return Guarded(FALSE, [&] { return engine_.GetTextSuspended() ? TRUE : FALSE; });
}

void STDMETHODCALLTYPE CustomZentikInterface::SetTact(WORD value) {
    Guarded([&] { engine_.SetTact(value); });
}

WORD STDMETHODCALLTYPE CustomZentikInterface::GetTact() {
    return Guarded(WORD{0}, [&] { return WORD{engine_.GetTact()}; });
}

BOOL STDMETHODCALLTYPE CustomZentikInterface::IsAlarmTime(ZT_DATETIME value) {
    return Guarded(FALSE, [&] { return engine_.IsAlarmTime(value) ? TRUE : FALSE; });
}

BYTE STDMETHODCALLTYPE CustomZentikInterface::GetAlarmPart(int index) {
    return Guarded(BYTE{0}, [&] { return BYTE{engine_.GetAlarmPart(index)}; });
}

HRESULT STDMETHODCALLTYPE CustomZentikInterface::SetAlarmPart(int index, BYTE value) {
    try {
        engine_.SetAlarmPart(index, value);
        return S_OK;
    } catch (const EConvertError&) {
        return E_INVALIDARG;
    } catch (...) {
        DiagLogCaught(L"ICustomZentik::SetAlarmPart");
        return E_FAIL;
    }
}

BSTR STDMETHODCALLTYPE CustomZentikInterface::GetCustomFormat() {
    return Guarded(BSTR{nullptr}, [&] {
        const std::wstring& format = engine_.GetCustomFormat();
        return ::SysAllocStringLen(format.data(), static_cast<UINT>(format.size()));
    });
}

void STDMETHODCALLTYPE CustomZentikInterface::SetCustomFormat(const wchar_t* value) {
    Guarded([&] { engine_.SetCustomFormat(value ? std::wstring(value) : std::wstring()); });
}

BOOL STDMETHODCALLTYPE CustomZentikInterface::GetUseCustomFormat() {
    return Guarded(FALSE, [&] { return engine_.GetUseCustomFormat() ? TRUE : FALSE; });
}

void STDMETHODCALLTYPE CustomZentikInterface::SetUseCustomFormat(BOOL value) {
    Guarded([&] { engine_.SetUseCustomFormat(value != FALSE); });
}

BOOL STDMETHODCALLTYPE CustomZentikInterface::GetShowSeconds() {
    return Guarded(FALSE, [&] { return engine_.GetShowSeconds() ? TRUE : FALSE; });
}

void STDMETHODCALLTYPE CustomZentikInterface::SetShowSeconds(BOOL value) {
    Guarded([&] { engine_.SetShowSeconds(value != FALSE); });
}

BOOL STDMETHODCALLTYPE CustomZentikInterface::GetSecondFlash() {
    return Guarded(FALSE, [&] { return engine_.GetSecondFlash() ? TRUE : FALSE; });
}

void STDMETHODCALLTYPE CustomZentikInterface::SetSecondFlash(BOOL value) {
    Guarded([&] { engine_.SetSecondFlash(value != FALSE); });
}

BOOL STDMETHODCALLTYPE CustomZentikInterface::GetAlarmEnabled() {
    return Guarded(FALSE, [&] { return engine_.GetAlarmEnabled() ? TRUE : FALSE; });
}

void STDMETHODCALLTYPE CustomZentikInterface::SetAlarmEnabled(BOOL value) {
    Guarded([&] { engine_.SetAlarmEnabled(value != FALSE); });
}

std::unique_ptr<ClockEngine> CreateClockEngine(const FormatSettings& settings) {
    return std::make_unique<ClockEngineImpl>(settings);
}

} // namespace zt
