// The clock window and the mouse: dragging, clicks and their bindings, hiding on mouse
// over, and gluing to the edges of the work area.

#include "host/main_window.h"
#include "common/key_state.h"
#include "host/screen_edges.h"

namespace zt {

namespace {

ScreenRect ToScreenRect(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

} // namespace

// ---- Mouse ----

void TfrmClock::MouseDown(ClickButton button, int x, int y) {
    if (button != ClickButton::Left || locked_)
        return;
    dragging_ = true;
    dragOrigin_ = {x, y};
    RECT rect{};
    ::GetWindowRect(Window(), &rect);
    positionSum_ = rect.left + rect.top;
    ::SetCapture(panel_ ? panel_->Window() : Window());
}

void TfrmClock::MouseMove(int x, int y) {
    if (hideOnMouseOver_ && ::IsWindowVisible(Window()) && !dragging_) {
        ::ShowWindow(Window(), SW_HIDE);
        OnHidden();
        StartHideWatcher();
        return;
    }
    if (!dragging_)
        return;
    RECT rect{};
    ::GetWindowRect(Window(), &rect);
    // Snapping to the edges happens in WM_WINDOWPOSCHANGING.
    ::SetWindowPos(Window(), nullptr, x + rect.left - dragOrigin_.x, y + rect.top - dragOrigin_.y,
                   0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ComputeEdges();
    Notify(msgWindowMoved, reinterpret_cast<INT_PTR>(static_cast<IUnknown*>(Interface())));
}

void TfrmClock::MouseUp(ClickButton button, bool tray) {
    if (dragging_) {
        dragging_ = false;
        ::ReleaseCapture();
        RECT rect{};
        ::GetWindowRect(Window(), &rect);
        if (rect.left + rect.top != positionSum_)
            return; // a drag, not a click
    }
    const ModifierKeys keys = ModifierKeysDown();
    if (const std::wstring* line = clickEvents_.Find(ClickBindingName(tray, false, button, keys)))
        ExecCommand(*line);
    if (!lastClick_.IsSecondClick(static_cast<uint32_t>(::GetTickCount()),
                                  static_cast<uint32_t>(::GetDoubleClickTime())))
        return;
    if (const std::wstring* line = clickEvents_.Find(ClickBindingName(tray, true, button, keys))) {
        lastClick_.Consumed();
        ExecCommand(*line);
    }
}

void TfrmClock::StartHideWatcher() {
    if (!hideWatcher_)
        hideWatcher_ =
            std::make_unique<TztTimer>(100, false, [this](TztTimer&) { HideWatcherTick(); });
    hideWatcher_->SetEnabled(true);
}

void TfrmClock::HideWatcherTick() {
    if (!hideOnMouseOver_)
        return;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    RECT rect{};
    ::GetWindowRect(Window(), &rect);
    if (cursor.x >= rect.left && cursor.x <= rect.right && cursor.y >= rect.top &&
        cursor.y <= rect.bottom)
        return;
    hideWatcher_->SetEnabled(false);
    ::ShowWindow(Window(), SW_SHOWNA);
    OnShown();
}

// ---- Screen edges ----

RECT TfrmClock::WorkArea() const {
    RECT area{};
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    const HMONITOR monitor = ::MonitorFromWindow(Window(), MONITOR_DEFAULTTONEAREST);
    if (monitor && ::GetMonitorInfoW(monitor, &info))
        return info.rcWork;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

void TfrmClock::ComputeEdges() {
    if (!snapScreen_) {
        edgeFlags_ = 0;
        return;
    }
    const RECT area = WorkArea();
    RECT rect{};
    ::GetWindowRect(Window(), &rect);
    edgeFlags_ = ComputeEdgeFlags(ToScreenRect(area), rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, snapDistance_);
    ApplyEdges();
}

void TfrmClock::ApplyEdges() {
    if (!Window())
        return;
    const RECT area = WorkArea();
    RECT rect{};
    ::GetWindowRect(Window(), &rect);
    int left = rect.left;
    int top = rect.top;
    ApplyEdgeFlags(edgeFlags_, ToScreenRect(area), left, top, rect.right - rect.left,
                   rect.bottom - rect.top);
    if (left != rect.left || top != rect.top)
        ::SetWindowPos(Window(), nullptr, left, top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Every move of the window (drags, restored positions, other programs) lands on an edge
// it comes near, while screen snap is on.
void TfrmClock::SnapMove(WINDOWPOS& position) {
    if (!snapScreen_ || (position.flags & SWP_NOMOVE))
        return;
    RECT rect{};
    ::GetWindowRect(Window(), &rect);
    const int width = (position.flags & SWP_NOSIZE) ? rect.right - rect.left : position.cx;
    const int height = (position.flags & SWP_NOSIZE) ? rect.bottom - rect.top : position.cy;
    const RECT target{position.x, position.y, position.x + width, position.y + height};
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(::MonitorFromRect(&target, MONITOR_DEFAULTTONEAREST), &info))
        return;
    SnapToEdges(ToScreenRect(info.rcWork), position.x, position.y, width, height, snapDistance_);
}

} // namespace zt
