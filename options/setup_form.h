#pragma once
// TfrmSetup: the options dialog. A modeless dialog of this library with its own task-bar
// button: the page tree TVLeft on the left, the page area pnlM, the language box cbLang,
// Export, OK and Cancel. The six built-in pages are created from pages.h; plug-ins add
// theirs under "Plg" while the dialog is open (AddPluginPage).
//
// Life: Create (take the host's objects, build the pages, switch the hot keys off, fill
// the pages, announce msgSetupCreated, show) → OK or Cancel, the close box counting as
// Cancel (hide, keep or restore, announce msgSetupClosed, hot keys on, drop the host's
// objects, post "ZentikCloseSetupDLL" to the clock) → destroyed by CloseSetupForm. A
// dialog destroyed while still open runs Cancel first. Main thread only.

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "common/window_impl.h"
#include "options/setup_host.h"
#include "options/setup_page.h"

namespace zt::options {

class TztPagePanel;

class TfrmSetup final : public DialogImpl<TfrmSetup> {
public:
    TfrmSetup();
    ~TfrmSetup();

    // Creates, fills and shows the dialog; false when something failed (no dialog is
    // left then and the hot keys are on).
    bool Create();
    // Shows the dialog again and brings it to the front.
    void ShowAgain();
    // OK or Cancel has run: the dialog waits for the clock to destroy it.
    bool Closed() const noexcept { return closed_; }

    // The tree node of the first page named name, or null.
    HTREEITEM Node(const wchar_t* name) const;
    // Selects node (which shows its page); null clears the selection.
    void SelectNode(HTREEITEM node);
    // Puts a plug-in's page window under "Plg" (see ZentikOpt's AddPluginMenuNode).
    bool AddPluginPage(const wchar_t* caption, const wchar_t* name, HTREEITEM* node, HWND page);
    // Takes the page named name out of the tree and destroys its panel with the page.
    void RemovePluginPage(const std::wstring& name);

    TztSetupHost& Host() noexcept { return host_; }

private:
    friend class DialogImpl<TfrmSetup>;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    struct PageNode {
        HTREEITEM item = nullptr;
        HWND panel = nullptr;
        std::wstring name;
        TztSetupPage* page = nullptr;              // a built-in page
        std::unique_ptr<TztPagePanel> pluginPanel; // a plug-in's page
    };

    void InitDialog();
    void CreatePages();
    void FillLanguages();
    void Translate();
    HTREEITEM InsertNode(const std::wstring& text, HTREEITEM parent);
    void SelectionChanged(HTREEITEM from, HTREEITEM to);
    PageNode* Find(HTREEITEM item);
    TztSetupPage* Page(const wchar_t* name) const;

    void Ok();
    void Cancel();
    void AskRestartOnLanguageChange();
    void Finish();
    void Export();

    TztSetupHost host_;
    HWND tree_ = nullptr;
    HWND languages_ = nullptr;
    std::unique_ptr<TztPagePanel> pageArea_;
    std::vector<std::unique_ptr<TztSetupPage>> pages_;
    std::vector<PageNode> nodes_;
    std::wstring languageList_; // "name=code;..." as the language manager gave it
    bool hotKeysOff_ = false;
    bool open_ = false;   // filled and shown: closing runs Cancel unless OK or Cancel ran
    bool closed_ = false; // OK or Cancel ran
    bool destroying_ = false;
};

// The library's one dialog (exports.cpp), or null.
TfrmSetup* CurrentSetupForm() noexcept;

} // namespace zt::options
