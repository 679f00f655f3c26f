#pragma once
// TztHotKey: a read-only text field showing the key combination last pressed in it, as
// binding names spell it ("CtrlAltT", "Shift", "AltF4"; KeyPressText of common/key_text.h
// with the system's key name).
//
// The field is a single-line read-only edit. Create makes one (121 x 25 pixels; its height
// then follows its font: font height + 8); Attach takes over one of a dialog template,
// which keeps the template's size, for example
//     EDITTEXT IDC_HOTKEY, 8, 30, 80, 14, ES_AUTOHSCROLL | ES_READONLY
// The field subclasses the edit and its parent: the parent's procedure forwards nothing,
// and the field is painted in the window colours rather than as read-only grey.
//
// Keys: every key pressed while the field has the focus is captured (Alt+F4 and F10 too;
// the characters the key would type are dropped, so no mnemonic of the dialog fires),
// except in a dialog (IsDialogMessage): Tab and Shift+Tab move the focus, and Enter and
// Esc without modifiers press the default button and Cancel, as in any dialog. With Ctrl,
// Alt or Win held (or Shift, for Enter and Esc) those keys are captured too.
//
// GUI thread only. The field must not move in memory while attached. Destroying the object
// detaches it; an edit made by Create is destroyed with it.

#include <windows.h>

#include <functional>
#include <string>

namespace zt {

class TztHotKey {
public:
    TztHotKey() = default;
    TztHotKey(const TztHotKey&) = delete;
    TztHotKey& operator=(const TztHotKey&) = delete;
    ~TztHotKey();

    // Creates the field as child id of parent at (x, y), width wide; false on failure.
    bool Create(HWND parent, int id, int x, int y, int width = 121);
    // Takes over an existing single-line edit (made read-only); false on failure.
    bool Attach(HWND edit);
    // Lets go of the edit, which stays.
    void Detach() noexcept;

    HWND Window() const noexcept { return edit_; }
    std::wstring Text() const;
    // Empties the text.
    void Clear();

    // Raised whenever the text changes.
    std::function<void()> OnChange;

private:
    static LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data);
    static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR data);
    LRESULT OnEditMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnParentMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void KeyPressed(HWND window, WPARAM virtualKey, LPARAM keyData);
    void FitHeight();

    HWND edit_ = nullptr;
    HWND parent_ = nullptr;
    bool ownsEdit_ = false;
    std::wstring lastText_;
};

} // namespace zt
