// A plug-in that announces "pm_Leftover" (a clock menu item and a command) and then refuses
// to initialise: what it announced must go with its library.

#include <windows.h>

#include "zentik/ztPluginInt.h"

namespace {

void STDMETHODCALLTYPE Leftover(IUnknown*) {}

class LeftoverPlugin final : public IztPlugin {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IztPlugin)) {
            *object = static_cast<IztPlugin*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // One static object: counting is not needed.
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    BSTR STDMETHODCALLTYPE GetName() override { return ::SysAllocString(L"Leftover.Zentik"); }
    BSTR STDMETHODCALLTYPE GetCaption() override { return ::SysAllocString(L"Leftover"); }
    BSTR STDMETHODCALLTYPE GetVersion() override { return ::SysAllocString(L"1.0"); }
    BSTR STDMETHODCALLTYPE GetAuthor() override { return ::SysAllocString(L"Zentik"); }
    BSTR STDMETHODCALLTYPE GetNotice() override { return ::SysAllocString(L""); }
    BSTR STDMETHODCALLTYPE GetDescription() override { return ::SysAllocString(L""); }
    int STDMETHODCALLTYPE GetMaxInstances() override { return 1; }
    void STDMETHODCALLTYPE Configure() override {}
    BOOL STDMETHODCALLTYPE Initialize(IUnknown* manager) override {
        IztPluginMan* man = nullptr;
        if (manager &&
            SUCCEEDED(manager->QueryInterface(IID_IztPluginMan, reinterpret_cast<void**>(&man))))
            man->NewCommand(this, L"Leftover", L"pm_Leftover", L"Left behind", &Leftover);
        return FALSE;
    }
    BOOL STDMETHODCALLTYPE Finalize() override { return TRUE; }
};

LeftoverPlugin g_plugin;

} // namespace

extern "C" __declspec(dllexport) void __stdcall ztRegisterPlugin(IUnknown** plugin) {
    if (plugin)
        *plugin = static_cast<IztPlugin*>(&g_plugin);
}
