#include "options/setup_host.h"

namespace zt::options {

namespace {

constexpr wchar_t kLanguageModule[] = L"Zentik";

} // namespace

TztSetupHost::~TztSetupHost() {
    Disconnect();
}

bool TztSetupHost::Connect() {
    Disconnect();
    IUnknown* raw = nullptr;
    ::GetAPI(&raw);
    const TztComRef<IUnknown> api = TztComRef<IUnknown>::Attach(raw);
    api_ = TztComRef<IZentikAPI>::Query(api.get(), IID_IZentikAPI);
    if (!api_)
        return false;
    zentik_ = TztComRef<IZentik>::Query(api_->GetZentik(), IID_IZentik);
    if (!zentik_) {
        api_.reset();
        return false;
    }
    clock_ = ztHostInterface<ICustomZentik>(zentik_.get(), ztiClockEngine, IID_ICustomZentik);
    commands_ = ztHostInterface<IztCmnd>(zentik_.get(), ztiCommands, IID_IztCmnd);
    panel_ = ztHostInterface<IztLCDPanel>(zentik_.get(), ztiLCDPanel, IID_IztLCDPanel);
    plugins_ = ztHostInterface<IztPluginMan>(zentik_.get(), ztiPluginMan, IID_IztPluginMan);
    language_ = ztHostInterface<IztLanguageMan>(zentik_.get(), ztiLanguageMan, IID_IztLanguageMan);
    if (language_)
        module_ = language_->OpenModule(kLanguageModule);
    return true;
}

void TztSetupHost::Disconnect() noexcept {
    if (language_ && module_)
        language_->CloseModule(module_);
    module_ = nullptr;
    language_.reset();
    plugins_.reset();
    panel_.reset();
    commands_.reset();
    clock_.reset();
    zentik_.reset();
    api_.reset();
}

std::wstring TztSetupHost::Text(const wchar_t* key) const {
    if (!language_ || !module_ || !key)
        return {};
    return ztTakeBstr(language_->Translate(module_, key));
}

std::wstring TztSetupHost::Param(const wchar_t* key, const std::wstring& text) const {
    if (!api_ || !key)
        return {};
    return ztTakeBstr(api_->GetParam(key, text.c_str()));
}

void TztSetupHost::Broadcast(int msg, INT_PTR param1) const {
    if (plugins_)
        plugins_->Broadcast(msg, param1, 0);
}

void TztSetupHost::PanelResized() const {
    // The panel as its basic interface, as the clock sends it.
    if (zentik_)
        Broadcast(msgPanelResized, reinterpret_cast<INT_PTR>(zentik_->GetInterface(ztiLCDPanel)));
}

} // namespace zt::options
