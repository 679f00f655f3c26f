// A plug-in for the restart test: its command "pm_FixtureRestart" asks the clock for a
// restart (IZentik::DoAction(5)) and closes it, as the options dialog does.

#include <windows.h>

#include <new>

#include "zentik/ztPluginInt.h"
#include "zentik/ztZentikAPI.h"
#include "zentik/ztZentikInterface.h"

namespace {

void STDMETHODCALLTYPE RestartClock(IUnknown*) {
    IUnknown* unknown = nullptr;
    ::GetAPI(&unknown);
    if (!unknown)
        return;
    IZentikAPI* api = nullptr;
    if (SUCCEEDED(unknown->QueryInterface(IID_IZentikAPI, reinterpret_cast<void**>(&api)))) {
        IZentik* zentik = nullptr;
        IUnknown* host = api->GetZentik();
        if (host &&
            SUCCEEDED(host->QueryInterface(IID_IZentik, reinterpret_cast<void**>(&zentik)))) {
            zentik->DoAction(5);
            ::PostMessageW(zentik->GetHandle(), WM_CLOSE, 0, 0);
            zentik->Release();
        }
        api->Release();
    }
    unknown->Release();
}

class RestartPlugin final : public IztPlugin {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IztPlugin)) {
            *object = static_cast<IztPlugin*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override { return ::InterlockedDecrement(&refs_); }
    BSTR STDMETHODCALLTYPE GetName() override { return ::SysAllocString(L"Restart.Zentik"); }
    BSTR STDMETHODCALLTYPE GetCaption() override { return ::SysAllocString(L"Restart"); }
    BSTR STDMETHODCALLTYPE GetVersion() override { return ::SysAllocString(L"1.0"); }
    BSTR STDMETHODCALLTYPE GetAuthor() override { return ::SysAllocString(L"Zentik"); }
    BSTR STDMETHODCALLTYPE GetNotice() override { return ::SysAllocString(L""); }
    BSTR STDMETHODCALLTYPE GetDescription() override { return ::SysAllocString(L""); }
    int STDMETHODCALLTYPE GetMaxInstances() override { return 1; }
    void STDMETHODCALLTYPE Configure() override {}
    BOOL STDMETHODCALLTYPE Initialize(IUnknown* manager) override {
        if (!manager ||
            FAILED(manager->QueryInterface(IID_IztPluginMan, reinterpret_cast<void**>(&manager_))))
            return FALSE;
        manager_->NewCommand(this, L"Restart", L"pm_FixtureRestart", L"Restarts the clock",
                             &RestartClock);
        return TRUE;
    }
    BOOL STDMETHODCALLTYPE Finalize() override {
        if (manager_)
            manager_->DelCommand(this, L"pm_FixtureRestart");
        delete this;
        return TRUE;
    }

private:
    LONG refs_ = 1;
    IztPluginMan* manager_ = nullptr; // not counted: the manager outlives its plug-ins
};

} // namespace

extern "C" __declspec(dllexport) void __stdcall ztRegisterPlugin(IUnknown** plugin) {
    if (plugin)
        *plugin = static_cast<IztPlugin*>(new (std::nothrow) RestartPlugin());
}
