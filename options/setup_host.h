#pragma once
// The clock's objects as the options dialog uses them: taken through the host API when
// the dialog is created and dropped when it closes. Main thread only.

#include <windows.h>

#include <string>

#include "zentik/ztCmnd.h"
#include "zentik/ztComHelpers.h"
#include "zentik/ztLanguageMan.h"
#include "zentik/ztPluginInt.h"
#include "zentik/ztZentikAPI.h"
#include "zentik/ztZentikInterface.h"

namespace zt::options {

class TztSetupHost {
public:
    TztSetupHost() = default;
    ~TztSetupHost();
    TztSetupHost(const TztSetupHost&) = delete;
    TztSetupHost& operator=(const TztSetupHost&) = delete;

    // Takes the references; false when the clock (IZentik) cannot be reached.
    bool Connect();
    // Drops every reference (also done by the destructor).
    void Disconnect() noexcept;

    IZentikAPI* Api() const noexcept { return api_.get(); }
    IZentik* Zentik() const noexcept { return zentik_.get(); }
    ICustomZentik* Clock() const noexcept { return clock_.get(); }
    IztCmnd* Commands() const noexcept { return commands_.get(); }
    IztLCDPanel* Panel() const noexcept { return panel_.get(); }
    IztPluginMan* Plugins() const noexcept { return plugins_.get(); }
    IztLanguageMan* Language() const noexcept { return language_.get(); }

    // The text of key in the language module "Zentik"; empty when missing.
    std::wstring Text(const wchar_t* key) const;
    // The value of key in a "key=value;" text (the host API's GetParam).
    std::wstring Param(const wchar_t* key, const std::wstring& text) const;
    // Broadcasts msg with param1 on the plug-in manager's bus.
    void Broadcast(int msg, INT_PTR param1) const;
    // msgPanelResized with the LCD panel.
    void PanelResized() const;

private:
    TztComRef<IZentikAPI> api_;
    TztComRef<IZentik> zentik_;
    TztComRef<ICustomZentik> clock_;
    TztComRef<IztCmnd> commands_;
    TztComRef<IztLCDPanel> panel_;
    TztComRef<IztPluginMan> plugins_;
    TztComRef<IztLanguageMan> language_;
    ZT_LANG_MODULE module_ = nullptr;
};

} // namespace zt::options
