#include "common/hotkey_field.h"

#include <commctrl.h>

#include <array>
#include <optional>

#include "common/diag_log.h"
#include "common/handles.h"
#include "common/key_state.h"
#include "common/window_text.h"

namespace zt {
namespace {

constexpr int kDefaultHeight = 25;
constexpr int kBorderHeight = 8;

// Keys a dialog keeps for itself while the field has the focus.
bool IsDialogKey(WPARAM virtualKey, const ModifierKeys& keys) {
    const bool ctrlAltWin = keys.ctrl || keys.alt || keys.win;
    if (virtualKey == VK_TAB)
        return !ctrlAltWin;
    if (virtualKey == VK_RETURN || virtualKey == VK_ESCAPE)
        return !ctrlAltWin && !keys.shift;
    return false;
}

// Drops the characters that TranslateMessage queued for a key the field has taken.
void DropQueuedCharacters(HWND window) {
    MSG pending;
    while (::PeekMessageW(&pending, window, WM_CHAR, WM_DEADCHAR, PM_REMOVE)) {
    }
    while (::PeekMessageW(&pending, window, WM_SYSCHAR, WM_SYSDEADCHAR, PM_REMOVE)) {
    }
}

} // namespace

TztHotKey::~TztHotKey() {
    if (ownsEdit_ && edit_)
        ::DestroyWindow(edit_); // detaches at WM_NCDESTROY
    Detach();
}

bool TztHotKey::Create(HWND parent, int id, int x, int y, int width) {
    if (edit_)
        return false;
    HWND edit = ::CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_EDITW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, x, y, width,
        kDefaultHeight, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (!edit)
        return false;
    if (!Attach(edit)) {
        ::DestroyWindow(edit);
        return false;
    }
    ownsEdit_ = true;
    if (auto font = ::SendMessageW(parent, WM_GETFONT, 0, 0))
        ::SendMessageW(edit, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    return true;
}

bool TztHotKey::Attach(HWND edit) {
    HWND parent = edit ? ::GetParent(edit) : nullptr;
    if (edit_ || !parent)
        return false;
    const auto data = reinterpret_cast<DWORD_PTR>(this);
    const auto id = reinterpret_cast<UINT_PTR>(this);
    if (!::SetWindowSubclass(edit, &EditProc, id, data))
        return false;
    edit_ = edit;
    parent_ = parent;
    if (!::SetWindowSubclass(parent_, &ParentProc, id, data)) {
        Detach();
        return false;
    }
    ::SendMessageW(edit_, EM_SETREADONLY, TRUE, 0);
    lastText_ = WindowText(edit_);
    return true;
}

void TztHotKey::Detach() noexcept {
    if (!edit_)
        return;
    const auto id = reinterpret_cast<UINT_PTR>(this);
    ::RemoveWindowSubclass(edit_, &EditProc, id);
    ::RemoveWindowSubclass(parent_, &ParentProc, id);
    edit_ = parent_ = nullptr;
    ownsEdit_ = false;
}

std::wstring TztHotKey::Text() const {
    return edit_ ? WindowText(edit_) : std::wstring();
}

void TztHotKey::Clear() {
    if (edit_)
        ::SetWindowTextW(edit_, L""); // OnChange from EditProc
}

void TztHotKey::KeyPressed(HWND window, WPARAM virtualKey, LPARAM keyData) {
    std::array<wchar_t, 64> name{};
    const int length =
        ::GetKeyNameTextW(static_cast<LONG>(keyData), name.data(), static_cast<int>(name.size()));
    const bool extended = (keyData & (1 << 24)) != 0;
    const std::wstring text = KeyPressText(
        ModifierKeysDown(), static_cast<uint32_t>(virtualKey),
        std::wstring_view(name.data(), length > 0 ? static_cast<size_t>(length) : 0), extended);
    DropQueuedCharacters(window);
    ::SetWindowTextW(window, text.c_str());
}

void TztHotKey::FitHeight() {
    WindowDc dc(edit_);
    std::optional<ScopedSelect> font;
    if (auto handle = reinterpret_cast<HFONT>(::SendMessageW(edit_, WM_GETFONT, 0, 0)))
        font.emplace(dc.get(), handle);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.get(), &metrics);
    RECT rect{};
    ::GetWindowRect(edit_, &rect);
    ::SetWindowPos(edit_, nullptr, 0, 0, rect.right - rect.left, metrics.tmHeight + kBorderHeight,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TztHotKey::OnEditMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETDLGCODE: {
        const LRESULT code = ::DefSubclassProc(window, message, wParam, lParam);
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && IsDialogKey(key->wParam, ModifierKeysDown()))
            return code & ~DLGC_WANTALLKEYS;
        return code | DLGC_WANTALLKEYS;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        KeyPressed(window, wParam, lParam);
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP: // no menu mode when Alt or F10 is let go
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR:
        return 0;
    case WM_SETTEXT: {
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        std::wstring text = WindowText(window);
        if (text != lastText_) {
            lastText_ = std::move(text);
            if (OnChange)
                OnChange();
        }
        return result;
    }
    case WM_SETFONT: {
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        if (ownsEdit_)
            FitHeight();
        return result;
    }
    case WM_NCDESTROY:
        Detach();
        return ::DefSubclassProc(window, message, wParam, lParam);
    default:
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
}

LRESULT TztHotKey::OnParentMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A read-only edit asks for the colours of static text; the field keeps those of an
    // input field.
    if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == edit_ &&
        ::IsWindowEnabled(edit_)) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK TztHotKey::EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR data) {
    try {
        return reinterpret_cast<TztHotKey*>(data)->OnEditMessage(window, message, wParam, lParam);
    } catch (...) {
        DiagLogCaught(L"TztHotKey");
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK TztHotKey::ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR data) {
    try {
        return reinterpret_cast<TztHotKey*>(data)->OnParentMessage(window, message, wParam, lParam);
    } catch (...) {
        DiagLogCaught(L"TztHotKey parent");
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
}

} // namespace zt
