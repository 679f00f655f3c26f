#include "host/main_window_intf.h"

#include "common/guarded.h"
#include "common/timer.h"
#include "host/main_window.h"
#include "host/system_clock.h"

namespace zt {

HRESULT STDMETHODCALLTYPE TztZentikIntf::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IZentik)) {
        *object = static_cast<IZentik*>(this);
        return S_OK;
    }
    if (IsEqualIID(riid, IID_IztBindings)) {
        *object = static_cast<IztBindings*>(this);
        return S_OK;
    }
    if (IsEqualIID(riid, IID_IztSystemClock)) {
        *object = static_cast<IztSystemClock*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

IUnknown* STDMETHODCALLTYPE TztZentikIntf::GetInterface(int kind) {
    return Guarded<IUnknown*>(nullptr, [&]() -> IUnknown* {
        switch (kind) {
        case ztiWindow:
            return static_cast<IZentik*>(this);
        case ztiClockEngine:
            return clock_.ClockInterface();
        case ztiLCDPanel:
            return clock_.Panel() ? clock_.Panel()->Unknown() : nullptr;
        case ztiCommands:
            return clock_.Commands().Interface();
        case ztiPluginMan:
            return static_cast<IztPluginMan*>(&clock_.PlgMan());
        case ztiLanguageMan:
            return clock_.Language();
        case ztiNewTimer:
            return CreateInterfacedTimer();
        default:
            return nullptr;
        }
    });
}

void STDMETHODCALLTYPE TztZentikIntf::DoAction(int action) {
    Guarded([&] {
        switch (action) {
        case ztaSaveSettings:
            clock_.SaveSettings();
            break;
        case ztaComputeEdges:
            clock_.ComputeEdges();
            break;
        case ztaRegisterHotKeys:
            clock_.RegisterHotKeys(true);
            break;
        case ztaUnregisterHotKeys:
            clock_.RegisterHotKeys(false);
            break;
        case ztaRestart:
            clock_.RequestRestart();
            break;
        default:
            break;
        }
    });
}

INT_PTR STDMETHODCALLTYPE TztZentikIntf::GetValue(int item) {
    return Guarded<INT_PTR>(0, [&] { return clock_.Value(item); });
}

void STDMETHODCALLTYPE TztZentikIntf::SetValue(int item, INT_PTR value) {
    Guarded([&] { clock_.SetValue(item, value); });
}

HWND STDMETHODCALLTYPE TztZentikIntf::GetHandle() {
    return clock_.Handle();
}

BSTR STDMETHODCALLTYPE TztZentikIntf::GetAlarmCommand() {
    return Guarded<BSTR>(nullptr, [&] { return ztAllocBstr(clock_.AlarmCommand()); });
}

void STDMETHODCALLTYPE TztZentikIntf::SetAlarmCommand(const wchar_t* value) {
    Guarded([&] { clock_.SetAlarmCommand(std::wstring(ztTextView(value))); });
}

void STDMETHODCALLTYPE TztZentikIntf::ApplyLanguage() {
    Guarded([&] { clock_.ApplyLanguage(); });
}

BSTR STDMETHODCALLTYPE TztZentikIntf::GetBindings() {
    return Guarded<BSTR>(nullptr, [&] {
        std::wstring text;
        for (const std::wstring& line : clock_.ClickEvents().ToLines())
            text += line + L"\r\n";
        return ztAllocBstr(text);
    });
}

void STDMETHODCALLTYPE TztZentikIntf::SetBindings(const wchar_t* rows) {
    Guarded([&] {
        std::vector<std::wstring> lines;
        const std::wstring_view text = ztTextView(rows);
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find_first_of(L"\r\n", start);
            if (end == std::wstring_view::npos)
                end = text.size();
            if (end > start)
                lines.emplace_back(text.substr(start, end - start));
            start = end + 1;
        }
        clock_.ClickEvents().SetLines(lines);
    });
}

HRESULT STDMETHODCALLTYPE TztZentikIntf::SetSystemTime(const SYSTEMTIME* utc) {
    if (!utc)
        return E_POINTER;
    return Guarded<HRESULT>(E_FAIL, [&] { return SetSystemClock(*utc); });
}

} // namespace zt
