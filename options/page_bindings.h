#pragma once
// TztPageBindings, the "Ctrl" page (panel "pnlCtrl"): the clock's click and hot-key
// bindings.
//
// OperList, a report list of name and command line, holds a copy of the clock's table
// (IztBindings) taken by Fill; Ok writes it back, Cancel leaves the clock's table alone.
// Rows are painted by their name's prefix (options/binding_rows.h). Clicking the command
// of the selected row (or F2) puts the command picker "OperCmd" over it: Enter or leaving
// it accepts, and a command line that was changed becomes IztCmnd::EditCommandLine of it
// (a command with an editor opens it, one without keeps its name alone); "..." accepts
// through the editor at once; Esc drops the edit. A double click on a row replaces its
// command line with EditCommandLine of it. Delete (button or key) removes the selected
// row.
//
// Add shows the new-binding panel pNewEvnt: the source (clock click, tray click, hot key),
// for clicks double click, button and modifiers, for hot keys the hot-key field; the name
// composed from them is shown in red while a row of that name (compared without regard to
// case, as the clock looks names up) exists. Its Add inserts a row of that name with an
// empty command line (or selects the row that exists) and hides the panel; its Cancel
// hides it.

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "common/command_box.h"
#include "common/window_impl.h"
#include "options/binding_rows.h"
#include "options/setup_page.h"

namespace zt::options {

class TztSetupHost;
class TztNewBindingPanel;

class TztPageBindings final : public TztSetupPage, public DialogImpl<TztPageBindings> {
public:
    explicit TztPageBindings(TztSetupHost& host);
    ~TztPageBindings() override;

    const wchar_t* Name() const override { return L"Ctrl"; }
    bool Create(HWND parent) override;
    HWND Panel() const override { return Window(); }
    void Translate() override;
    void Fill() override;
    void Hidden() override;
    // Writes the table back to the clock.
    void Ok() override;

    // For the new-binding panel.
    bool HasBinding(const std::wstring& name) const;
    void AddBinding(const std::wstring& name);
    void HideNewBinding();

private:
    friend class DialogImpl<TztPageBindings>;

    enum class Accept { AsTyped, ThroughEditorIfChanged, ThroughEditor };

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void InitDialog();
    LRESULT OnNotify(const NMHDR& header);
    void OnListClick(int row, int column);
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw) const;

    HWND List() const;
    int SelectedRow() const;
    void SelectRow(int row);
    void ShowRows();
    void SetRowCommand(int row, const std::wstring& command);
    void DeleteSelected();
    void EditRowCommand(int row);
    void ShowNewBinding();

    void BeginEdit(int row);
    void EndEdit(Accept accept);
    void CancelEdit();
    void CheckEditFocus();
    bool EditorHasFocus() const;
    std::wstring EditCommandLine(const std::wstring& line) const;

    static LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data);
    static LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR data);
    LRESULT OnEditorMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    TztSetupHost& host_;
    std::vector<BindingEntry> rows_;
    std::unique_ptr<TztNewBindingPanel> newBinding_;
    TztCommandBox editor_;
    HWND editorEdit_ = nullptr;
    int editRow_ = -1;        // the row being edited, -1 for none
    std::wstring editStart_;  // its command line when the edit began
    int pendingEditRow_ = -1; // a click that starts an edit unless a double click follows
    bool keyConsumed_ = false;
};

} // namespace zt::options
