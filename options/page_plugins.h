#pragma once
// TztPagePlugins, the "Plg" page (panel "pnlPlg"): one line "<caption>   [<name>]" per
// loaded plug-in (PlgList); the chosen plug-in's name, version, author, notice and
// description; Configure (also a double click on the line) and Uninstall.
//
// Uninstall unloads the plug-in through the plug-in manager (its page leaves the dialog
// first) and removes its line; only then is its file renamed to "<file>.uninstall", which
// the next folder scan passes over. A failed unload shows "Error=ErrorUnloadPlugin", a
// failed rename "Error=ErrorDeletePlugin" (message boxes titled "Zentik").

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/window_impl.h"
#include "options/setup_page.h"
#include "zentik/ztPluginInt.h"

namespace zt::options {

class TztSetupHost;

class TztPagePlugins final : public TztSetupPage, public DialogImpl<TztPagePlugins> {
public:
    explicit TztPagePlugins(TztSetupHost& host) : host_(host) {}

    const wchar_t* Name() const override { return L"Plg"; }
    bool Create(HWND parent) override;
    HWND Panel() const override { return Window(); }
    void Translate() override;
    void Fill() override;

private:
    friend class DialogImpl<TztPagePlugins>;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // The plug-in of list line; null when it is gone.
    IztPlugin* Plugin(int line, int* index = nullptr) const;
    int Selected() const;
    void ShowDetails(int line);
    void Configure();
    void Uninstall();
    void Error(const wchar_t* key) const;

    TztSetupHost& host_;
    std::vector<std::wstring> names_; // GetName of each line's plug-in
    int shown_ = -2;                  // the line whose details are shown
};

} // namespace zt::options
