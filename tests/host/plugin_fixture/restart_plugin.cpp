// A plug-in for the restart test, built on the SDK's base class: its command
// "pm_FixtureRestart" asks the clock for a restart (IZentik::DoAction(ztaRestart)) and closes it,
// as the options dialog does.

#include "zentik/ztPlugin.h"

namespace {

constexpr wchar_t kCommand[] = L"pm_FixtureRestart";

void STDMETHODCALLTYPE RestartClock(IUnknown*) {
    if (TztComRef<IZentik> zentik = ztGetZentik()) {
        zentik->DoAction(ztaRestart);
        ::PostMessageW(zentik->GetHandle(), WM_CLOSE, 0, 0);
    }
}

class TztPlgRestart final : public TztPlugin {
public:
    TztPlgRestart() {
        OnInitialize = [](TztPlugin& self, bool&) {
            if (TztComRef<IztPluginMan> man = self.PluginMan())
                man->NewCommand(&self, L"Restart", kCommand, L"Restarts the clock", &RestartClock);
        };
        OnFinalize = [](TztPlugin& self, bool&) {
            if (TztComRef<IztPluginMan> man = self.PluginMan())
                man->DelCommand(&self, kCommand);
        };
    }

    BSTR STDMETHODCALLTYPE GetName() override { return ::SysAllocString(L"Restart.Zentik"); }
    BSTR STDMETHODCALLTYPE GetCaption() override { return ::SysAllocString(L"Restart"); }
    BSTR STDMETHODCALLTYPE GetVersion() override { return ::SysAllocString(L"1.0"); }
    BSTR STDMETHODCALLTYPE GetAuthor() override { return ::SysAllocString(L"Zentik"); }
    BSTR STDMETHODCALLTYPE GetNotice() override { return ::SysAllocString(L""); }
    BSTR STDMETHODCALLTYPE GetDescription() override { return ::SysAllocString(L""); }
    int STDMETHODCALLTYPE GetMaxInstances() override { return 1; }
};

} // namespace

ZT_REGISTER_PLUGIN(TztPlgRestart)
