#pragma once
// TztCommandBox: the command picker. An editable drop-down list of the registered command
// names, each drawn with its description, and a "..." button beside it that edits the
// parameter of the chosen command through the registry's editor.
//
// The box is a combo box with CBS_DROPDOWN | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS. Create
// makes one; Attach takes over one of a dialog template, for example
//     COMBOBOX IDC_COMMAND, 8, 8, 180, 120, CBS_DROPDOWN | CBS_OWNERDRAWFIXED |
//              CBS_HASSTRINGS | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP
// (leave the box's height plus 7 pixels free on its right for the button). The "..."
// button is a sibling in the box's parent at (left + width + 5, top - 1), a square of side
// height + 2; it follows the box when it moves or resizes, is shown, hidden and destroyed
// with it and is enabled only while the box is enabled and the command typed has an editor.
//
// The box subclasses the combo box, its edit field and its parent, so the parent's
// procedure forwards nothing: the box draws its own items (WM_DRAWITEM of the box never
// reaches the parent; WM_MEASUREITEM is not needed, the item height follows the box's
// font) and reads its own notifications (WM_COMMAND from the box still reaches the parent
// afterwards; the button's clicks do not).
//
// Text changes: whenever the text changes (typed, picked from the list, or set by code,
// SetText or WM_SETTEXT alike) the box takes the command name (the text up to its first
// blank), enables "..." when the registry has an editor for it, shows the command's
// description as the box's hint when the name is in the list at a position above 0 (the
// first command keeps the hint the box had), and then raises OnChange. A change is
// handled once, however many notifications the system sends for it.
//
// Clicking "..." sets the text to IztCmnd::EditCommandLine of it. Enter in the box clicks
// "..." while it is enabled and the list is closed; otherwise Enter does what it does in any
// dialog (the default button) or, with the list open, picks the item.
//
// GUI thread only. The registry is held with AddRef until replaced or the box is
// destroyed. The box must not move in memory while attached (it is neither copied nor
// moved). Destroying the object detaches it and destroys the button; a combo box made by
// Create is destroyed with it.

#include <windows.h>

#include <functional>
#include <string>

#include "common/handles.h"
#include "zentik/ztCmnd.h"
#include "zentik/ztComHelpers.h"

namespace zt {

class TztCommandBox {
public:
    TztCommandBox() = default;
    TztCommandBox(const TztCommandBox&) = delete;
    TztCommandBox& operator=(const TztCommandBox&) = delete;
    ~TztCommandBox();

    // Creates the combo box as child id of parent, at (x, y), width wide, with a drop-down
    // list height pixels high, and attaches to it; false on failure.
    bool Create(HWND parent, int id, int x, int y, int width, int height);
    // Takes over an existing combo box (CBS_DROPDOWN | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS)
    // and creates its button; false when combo is not such a box or something failed.
    bool Attach(HWND combo);
    // Lets go of the combo box (which stays) and destroys the button and the hint window.
    void Detach() noexcept;

    HWND Window() const noexcept { return combo_; }
    // The "..." button; null while detached.
    HWND Button() const noexcept { return button_.get(); }

    // Takes the registry (null: none). With one, the list becomes its command names in
    // registration order (the text stays); without, "..." is disabled.
    void SetCmnd(IztCmnd* cmnd);

    // The command line in the box.
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    // The box's hint (tooltip) text.
    const std::wstring& Hint() const noexcept { return hint_; }
    void SetHint(const std::wstring& hint);

    // As the "..." button does: the text becomes EditCommandLine(text).
    void Click();

    // Raised after a change of the text has been handled.
    std::function<void()> OnChange;

private:
    static LRESULT CALLBACK ComboProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);
    static LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data);
    static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR data);
    LRESULT OnComboMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnEditMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnParentMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void PlaceButton();
    void FitItemHeight();
    bool EnterClicks() const;
    void TextChanged();
    void UpdateForText(const std::wstring& text);
    void DrawItem(const DRAWITEMSTRUCT& item);

    HWND combo_ = nullptr;
    HWND edit_ = nullptr;
    HWND parent_ = nullptr;
    bool ownsCombo_ = false;
    UniqueWindow button_;
    UniqueWindow tooltip_;
    TztComRef<IztCmnd> cmnd_;
    std::wstring lastText_;
    std::wstring hint_;
    bool filling_ = false;
    bool enterClicked_ = false;
};

} // namespace zt
