#include "host/panel_hint.h"

#include "common/diag_log.h"

namespace zt {

namespace {

// The hint sits this far below the cursor's hot spot, clear of the arrow.
constexpr int kBelowCursor = 20;

constexpr WPARAM kAnyButton = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2;

} // namespace

PanelHint::~PanelHint() {
    Detach();
}

bool PanelHint::Attach(HWND face, HINSTANCE instance) {
    if (face_ || !face)
        return false;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    // Not owned by the clock: an owned topmost popup would keep the clock from changing
    // its own topmost state.
    tooltip_.reset(::CreateWindowExW(
        0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr));
    if (!tooltip_)
        return false;
    face_ = face;
    TTTOOLINFOW tool = ToolInfo();
    tool.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
    if (!::SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) ||
        !::SetWindowSubclass(face_, &FaceProc, reinterpret_cast<UINT_PTR>(this),
                             reinterpret_cast<DWORD_PTR>(this))) {
        face_ = nullptr;
        tooltip_.reset();
        return false;
    }
    return true;
}

void PanelHint::Detach() noexcept {
    if (face_) {
        ::RemoveWindowSubclass(face_, &FaceProc, reinterpret_cast<UINT_PTR>(this));
        face_ = nullptr;
    }
    tooltip_.reset();
    tracking_ = shown_ = false;
}

void PanelHint::SetText(const std::wstring& text) {
    if (text == text_)
        return;
    text_ = text;
    if (!tooltip_)
        return;
    TTTOOLINFOW tool = ToolInfo();
    ::SendMessageW(tooltip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void PanelHint::Tick() {
    if (!shown_ || !face_)
        return;
    POINT cursor{};
    RECT face{};
    if (::GetCursorPos(&cursor) && ::GetWindowRect(face_, &face) && !::PtInRect(&face, cursor))
        Hide();
}

TTTOOLINFOW PanelHint::ToolInfo() {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = face_;
    tool.uId = reinterpret_cast<UINT_PTR>(face_);
    tool.lpszText = text_.data();
    return tool;
}

void PanelHint::Track(DWORD flags) {
    TRACKMOUSEEVENT track{sizeof(track), flags, face_, HOVER_DEFAULT};
    if (::TrackMouseEvent(&track))
        tracking_ = !(flags & TME_CANCEL);
}

void PanelHint::Show() {
    if (shown_ || !tooltip_)
        return;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::SendMessageW(tooltip_.get(), TTM_TRACKPOSITION, 0,
                   MAKELPARAM(cursor.x, cursor.y + kBelowCursor));
    TTTOOLINFOW tool = ToolInfo();
    ::SendMessageW(tooltip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    shown_ = true;
}

void PanelHint::Hide() {
    if (!shown_ || !tooltip_)
        return;
    TTTOOLINFOW tool = ToolInfo();
    ::SendMessageW(tooltip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    shown_ = false;
}

LRESULT PanelHint::OnFaceMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
        if (!tracking_)
            Track(TME_HOVER | TME_LEAVE);
        break;
    case WM_MOUSEHOVER:
        // The cursor rests: no more tracking until it moves (Tick sees it jump away).
        Track(TME_CANCEL | TME_LEAVE);
        if (!(wParam & kAnyButton))
            Show();
        return 0;
    case WM_MOUSELEAVE:
        tracking_ = false;
        Hide();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
        Hide();
        break;
    case WM_NCDESTROY:
        Detach();
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK PanelHint::FaceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR data) {
    try {
        return reinterpret_cast<PanelHint*>(data)->OnFaceMessage(window, message, wParam, lParam);
    } catch (...) {
        DiagLogCaught(L"PanelHint");
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
}

} // namespace zt
