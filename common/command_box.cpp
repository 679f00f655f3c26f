#include "common/command_box.h"

#include <commctrl.h>

#include <optional>
#include <string_view>
#include <vector>

#include "common/diag_log.h"
#include "common/window_text.h"
#include "zentik/ztComHelpers.h"

namespace zt {
namespace {

constexpr int kButtonGap = 5;
constexpr int kTextIndent = 2;

std::wstring ItemText(HWND combo, int index) {
    const LRESULT length = ::SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        ::SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == CB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

// The lines of a CR LF separated text, without the empty ones.
std::vector<std::wstring> Lines(std::wstring_view text) {
    std::vector<std::wstring> lines;
    while (!text.empty()) {
        const size_t end = text.find_first_of(L"\r\n");
        if (end != 0)
            lines.emplace_back(text.substr(0, end));
        if (end == std::wstring_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::wstring CommandName(const std::wstring& text) {
    return text.substr(0, text.find(L' '));
}

HFONT WindowFont(HWND window) {
    return reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
}

int TextWidth(HDC dc, const std::wstring& text) {
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

} // namespace

TztCommandBox::~TztCommandBox() {
    if (ownsCombo_ && combo_)
        ::DestroyWindow(combo_); // detaches at WM_NCDESTROY
    Detach();
}

bool TztCommandBox::Create(HWND parent, int id, int x, int y, int width, int height) {
    if (combo_)
        return false;
    HWND combo = ::CreateWindowExW(
        0, WC_COMBOBOXW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_OWNERDRAWFIXED |
            CBS_HASSTRINGS | CBS_AUTOHSCROLL,
        x, y, width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (!combo)
        return false;
    if (HFONT font = WindowFont(parent))
        ::SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (!Attach(combo)) {
        ::DestroyWindow(combo);
        return false;
    }
    ownsCombo_ = true;
    return true;
}

bool TztCommandBox::Attach(HWND combo) {
    if (combo_ || !combo)
        return false;
    constexpr DWORD kNeeded = CBS_DROPDOWN | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(combo, GWL_STYLE));
    if ((style & 3) != CBS_DROPDOWN || (style & kNeeded) != kNeeded)
        return false;
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    HWND parent = ::GetParent(combo);
    if (!parent || !::GetComboBoxInfo(combo, &info) || !info.hwndItem)
        return false;

    const auto data = reinterpret_cast<DWORD_PTR>(this);
    const auto id = reinterpret_cast<UINT_PTR>(this);
    if (!::SetWindowSubclass(combo, &ComboProc, id, data))
        return false;
    combo_ = combo;
    edit_ = info.hwndItem;
    parent_ = parent;
    if (!::SetWindowSubclass(edit_, &EditProc, id, data) ||
        !::SetWindowSubclass(parent_, &ParentProc, id, data)) {
        Detach();
        return false;
    }

    const bool visible = (style & WS_VISIBLE) != 0;
    button_.reset(::CreateWindowExW(
        0, WC_BUTTONW, L"...", WS_CHILD | WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, 0, 0, 0, 0,
        parent_, nullptr, reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(combo, GWLP_HINSTANCE)),
        nullptr));
    if (!button_) {
        Detach();
        return false;
    }
    ::SendMessageW(button_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont(combo)), FALSE);
    // Next to the box in the tab order.
    ::SetWindowPos(button_.get(), combo_, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PlaceButton();
    if (visible)
        ::ShowWindow(button_.get(), SW_SHOWNA);
    FitItemHeight();
    lastText_ = WindowText(combo_);
    UpdateForText(lastText_);
    return true;
}

void TztCommandBox::Detach() noexcept {
    if (!combo_)
        return;
    const auto id = reinterpret_cast<UINT_PTR>(this);
    ::RemoveWindowSubclass(combo_, &ComboProc, id);
    if (edit_)
        ::RemoveWindowSubclass(edit_, &EditProc, id);
    if (parent_)
        ::RemoveWindowSubclass(parent_, &ParentProc, id);
    tooltip_.reset();
    button_.reset();
    combo_ = edit_ = parent_ = nullptr;
    ownsCombo_ = false;
}

void TztCommandBox::SetCmnd(IztCmnd* cmnd) {
    if (cmnd)
        cmnd->AddRef();
    cmnd_.reset(cmnd);
    if (!combo_)
        return;
    if (cmnd_) {
        // Emptying the list empties the field too: put the text back without a change.
        const std::wstring text = Text();
        filling_ = true;
        ::SendMessageW(combo_, WM_SETREDRAW, FALSE, 0);
        ::SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
        for (const std::wstring& name : Lines(ztTakeBstr(cmnd_->GetNamesText())))
            ::SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        ::SetWindowTextW(combo_, text.c_str());
        ::SendMessageW(combo_, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(combo_, nullptr, TRUE);
        filling_ = false;
        lastText_ = text;
    }
    UpdateForText(lastText_);
}

std::wstring TztCommandBox::Text() const {
    return combo_ ? WindowText(combo_) : std::wstring();
}

void TztCommandBox::SetText(const std::wstring& text) {
    if (combo_)
        ::SetWindowTextW(combo_, text.c_str()); // handled in ComboProc
}

void TztCommandBox::SetHint(const std::wstring& hint) {
    hint_ = hint;
    if (!combo_)
        return;
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = parent_;
    tool.lpszText = hint_.data();
    if (!tooltip_) {
        if (hint_.empty())
            return;
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&controls);
        tooltip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                         WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent_,
                                         nullptr, nullptr, nullptr));
        if (!tooltip_)
            return;
        for (HWND part : {combo_, edit_}) {
            tool.uId = reinterpret_cast<UINT_PTR>(part);
            ::SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        return;
    }
    for (HWND part : {combo_, edit_}) {
        tool.uId = reinterpret_cast<UINT_PTR>(part);
        ::SendMessageW(tooltip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void TztCommandBox::Click() {
    if (!combo_ || !cmnd_)
        return;
    HWND combo = combo_;
    const std::wstring edited = ztTakeBstr(cmnd_->EditCommandLine(Text().c_str()));
    // The editor's own window may have outlived the box.
    if (combo_ == combo && ::IsWindow(combo))
        SetText(edited);
}

void TztCommandBox::PlaceButton() {
    if (!button_)
        return;
    RECT rect{};
    ::GetWindowRect(combo_, &rect);
    ::MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&rect), 2);
    const int side = rect.bottom - rect.top + 2;
    ::SetWindowPos(button_.get(), nullptr, rect.right + kButtonGap, rect.top - 1, side, side,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void TztCommandBox::FitItemHeight() {
    WindowDc dc(combo_);
    std::optional<ScopedSelect> font;
    if (HFONT handle = WindowFont(combo_))
        font.emplace(dc.get(), handle);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.get(), &metrics);
    ::SendMessageW(combo_, CB_SETITEMHEIGHT, 0, metrics.tmHeight + 2);
}

bool TztCommandBox::EnterClicks() const {
    return button_ && ::IsWindowEnabled(button_.get()) &&
           !::SendMessageW(combo_, CB_GETDROPPEDSTATE, 0, 0);
}

void TztCommandBox::TextChanged() {
    if (filling_ || !combo_)
        return;
    std::wstring text = Text();
    if (text == lastText_)
        return;
    lastText_ = std::move(text);
    UpdateForText(lastText_);
    if (OnChange)
        OnChange();
}

void TztCommandBox::UpdateForText(const std::wstring& text) {
    if (!button_)
        return;
    const std::wstring name = CommandName(text);
    const bool editor = cmnd_ && !name.empty() && cmnd_->GetEditor(name.c_str()) != nullptr;
    ::EnableWindow(button_.get(), editor && ::IsWindowEnabled(combo_));
    if (!cmnd_ || name.empty())
        return;
    const auto index =
        static_cast<int>(::SendMessageW(combo_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(name.c_str())));
    if (index > 0)
        SetHint(ztTakeBstr(cmnd_->GetCommandDescription(index)));
}

void TztCommandBox::DrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(dc, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const auto index = static_cast<int>(item.itemID);
    const auto count = static_cast<int>(::SendMessageW(combo_, CB_GETCOUNT, 0, 0));
    if (index >= 0 && index < count) {
        std::optional<ScopedSelect> font;
        if (HFONT handle = WindowFont(combo_))
            font.emplace(dc, handle);
        const int oldMode = ::SetBkMode(dc, TRANSPARENT);
        const COLORREF oldColor =
            ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        constexpr UINT kFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
        RECT rect = item.rcItem;
        rect.left += kTextIndent;
        if (cmnd_) {
            const std::wstring name = ztTakeBstr(cmnd_->GetCommandName(index));
            const std::wstring description =
                L" (" + ztTakeBstr(cmnd_->GetCommandDescription(index)) + L")";
            ::DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &rect, kFormat);
            rect.left += TextWidth(dc, name);
            ::SetTextColor(dc, ::GetSysColor(COLOR_HOTLIGHT));
            ::DrawTextW(dc, description.c_str(), static_cast<int>(description.size()), &rect,
                        kFormat);
        } else {
            const std::wstring text = ItemText(combo_, index);
            ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, kFormat);
        }
        ::SetTextColor(dc, oldColor);
        ::SetBkMode(dc, oldMode);
    }
    if (item.itemState & ODS_FOCUS)
        ::DrawFocusRect(dc, &item.rcItem);
}

LRESULT TztCommandBox::OnComboMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT: {
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        TextChanged();
        return result;
    }
    case WM_WINDOWPOSCHANGED: {
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        const auto& position = *reinterpret_cast<const WINDOWPOS*>(lParam);
        PlaceButton();
        if (position.flags & SWP_SHOWWINDOW)
            ::ShowWindow(button_.get(), SW_SHOWNA);
        if (position.flags & SWP_HIDEWINDOW)
            ::ShowWindow(button_.get(), SW_HIDE);
        return result;
    }
    case WM_ENABLE: {
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        UpdateForText(lastText_);
        return result;
    }
    case WM_SETFONT: {
        const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
        ::SendMessageW(button_.get(), WM_SETFONT, wParam, lParam);
        FitItemHeight();
        return result;
    }
    case WM_NCDESTROY:
        Detach();
        return ::DefSubclassProc(window, message, wParam, lParam);
    default:
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
}

LRESULT TztCommandBox::OnEditMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETDLGCODE: {
        LRESULT code = ::DefSubclassProc(window, message, wParam, lParam);
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN && EnterClicks())
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN && EnterClicks()) {
            enterClicked_ = true;
            Click();
            return 0;
        }
        break;
    case WM_CHAR:
        // The character of the Enter that clicked the button.
        if (wParam == L'\r' && enterClicked_) {
            enterClicked_ = false;
            return 0;
        }
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT TztCommandBox::OnParentMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item && item->hwndItem == combo_) {
            DrawItem(*item);
            return TRUE;
        }
        break;
    }
    case WM_COMMAND: {
        const auto from = reinterpret_cast<HWND>(lParam);
        if (from && from == button_.get()) {
            if (HIWORD(wParam) == BN_CLICKED)
                Click();
            return 0;
        }
        if (from && from == combo_) {
            if (HIWORD(wParam) == CBN_SELCHANGE) {
                // The field shows the picked item only after this notification.
                const auto index = static_cast<int>(::SendMessageW(combo_, CB_GETCURSEL, 0, 0));
                if (index >= 0)
                    SetText(ItemText(combo_, index));
            } else if (HIWORD(wParam) == CBN_EDITCHANGE) {
                TextChanged();
            }
        }
        break;
    }
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK TztCommandBox::ComboProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR data) {
    try {
        return reinterpret_cast<TztCommandBox*>(data)->OnComboMessage(window, message, wParam,
                                                                      lParam);
    } catch (...) {
        DiagLogCaught(L"TztCommandBox");
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK TztCommandBox::EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR data) {
    try {
        return reinterpret_cast<TztCommandBox*>(data)->OnEditMessage(window, message, wParam,
                                                                     lParam);
    } catch (...) {
        DiagLogCaught(L"TztCommandBox edit");
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK TztCommandBox::ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR data) {
    try {
        return reinterpret_cast<TztCommandBox*>(data)->OnParentMessage(window, message, wParam,
                                                                       lParam);
    } catch (...) {
        DiagLogCaught(L"TztCommandBox parent");
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
}

} // namespace zt
