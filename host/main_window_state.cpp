// The clock window's visibility and window attributes, and its numbered settings.

#include "host/main_window.h"
#include "host/screen_edges.h"

namespace zt {

// ---- Visibility and attributes ----

void TfrmClock::OnShown() {
    if (engine_)
        engine_->Engine().SetNormalTact();
    Notify(msgShown, 0);
}

void TfrmClock::OnHidden() {
    if (engine_)
        engine_->Engine().SetSlowTact();
    Notify(msgHidden, 0);
}

void TfrmClock::ShowHideClock() {
    const bool visible = ::IsWindowVisible(Window()) != FALSE;
    const DWORD flags = RollAnimationFlags(edgeFlags_, visible, transparentMode_);
    // Alpha blending is off while the window animates.
    const bool blended = alphaBlend_;
    alphaBlend_ = false;
    ApplyLayered();
    if (!::AnimateWindow(Window(), 250, flags))
        ::ShowWindow(Window(), visible ? SW_HIDE : SW_SHOWNOACTIVATE);
    alphaBlend_ = blended;
    ApplyLayered();
    if (visible)
        OnHidden();
    else
        OnShown();
}

void TfrmClock::ShowFromBroadcast() {
    tray_.SetActive(false);
    ::ShowWindow(Window(), SW_SHOWNOACTIVATE);
    OnShown();
    tray_.SetActive(true);
}

void TfrmClock::ApplyLayered() {
    LONG_PTR exStyle = ::GetWindowLongPtrW(Window(), GWL_EXSTYLE);
    if (!alphaBlend_ && !transparentMode_) {
        if (exStyle & WS_EX_LAYERED)
            ::SetWindowLongPtrW(Window(), GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
        return;
    }
    if (!(exStyle & WS_EX_LAYERED))
        ::SetWindowLongPtrW(Window(), GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    DWORD flags = 0;
    if (alphaBlend_)
        flags |= LWA_ALPHA;
    if (transparentMode_)
        flags |= LWA_COLORKEY;
    ::SetLayeredWindowAttributes(Window(), transparentColor_, alpha_, flags);
}

void TfrmClock::SetOnTop(bool value) {
    onTop_ = value;
    ::SetWindowPos(Window(), value ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TfrmClock::SetLocked(bool value) {
    locked_ = value;
    if (panel_)
        panel_->SetCursor(::LoadCursorW(nullptr, value ? IDC_ARROW : IDC_SIZEALL));
}

INT_PTR TfrmClock::Value(int item) const {
    switch (item) {
    case ztvWindowHandle:
    case ztvAppHandle:
        return reinterpret_cast<INT_PTR>(Window());
    case ztvAlpha:
        return alpha_;
    case ztvTransparentMode:
        return transparentMode_ ? 1 : 0;
    case ztvTransparentColor:
        return static_cast<INT_PTR>(transparentColor_);
    case ztvScreenSnap:
        return snapScreen_ ? 1 : 0;
    case ztvSnapDistance:
        return snapDistance_;
    case ztvTrayIcon:
        return tray_.Active() ? 1 : 0;
    case ztvAlwaysOnTop:
        return (::GetWindowLongPtrW(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0;
    case ztvHideOnMouseOver:
        return hideOnMouseOver_ ? 1 : 0;
    case ztvLocked:
        return locked_ ? 1 : 0;
    default:
        return 0;
    }
}

void TfrmClock::SetValue(int item, INT_PTR value) {
    switch (item) {
    case ztvAlpha:
        alpha_ = static_cast<BYTE>(value < 0 ? 0 : value > 255 ? 255 : value);
        alphaBlend_ = alpha_ != 255;
        ApplyLayered();
        break;
    case ztvTransparentMode:
        transparentMode_ = value != 0;
        ApplyLayered();
        break;
    case ztvTransparentColor:
        transparentColor_ = static_cast<COLORREF>(value) & 0x00FFFFFF;
        ApplyLayered();
        break;
    case ztvScreenSnap:
        snapScreen_ = value != 0;
        ComputeEdges();
        break;
    case ztvSnapDistance:
        snapDistance_ = static_cast<int>(value);
        break;
    case ztvTrayIcon:
        tray_.SetActive(value != 0);
        break;
    case ztvAlwaysOnTop:
        SetOnTop(value != 0);
        break;
    case ztvHideOnMouseOver:
        hideOnMouseOver_ = value != 0;
        break;
    case ztvLocked:
        SetLocked(value != 0);
        // The cursor changed: plug-ins hear of it as of a panel resize.
        if (panel_)
            Notify(msgPanelResized, reinterpret_cast<INT_PTR>(panel_->Unknown()));
        break;
    default:
        break;
    }
}

} // namespace zt
