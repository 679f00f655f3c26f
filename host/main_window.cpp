#include "host/main_window.h"

#include "host/startup.h"

namespace zt {

namespace {

// The design of the clock face.
constexpr wchar_t kDesignCaption[] = L"00:00";
constexpr wchar_t kDesignFormat[] = L"hh:mm:ss";
constexpr uint16_t kDesignThickness = 3;
constexpr uint16_t kDesignHorzsize = 10;
constexpr uint16_t kDesignVertsize = 7;
constexpr WORD kDesignBorderWidth = 2;
constexpr int kDesignClientWidth = 129;
constexpr int kDesignClientHeight = 39;

ATOM RegisterClockClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = ::GetSysColorBrush(COLOR_WINDOWFRAME);
    wc.lpszClassName = kClockWindowClass;
    const ATOM atom = ::RegisterClassExW(&wc);
    return atom ? atom : static_cast<ATOM>(::GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
}

} // namespace

TfrmClock::TfrmClock(HINSTANCE instance, const FormatSettings& locale, std::wstring language)
    : instance_(instance), locale_(locale), language_(std::move(language)) {}

TfrmClock::~TfrmClock() {
    // The engine stops ticking before the panel it writes to goes away.
    engine_.reset();
    panel_.reset();
    if (window_)
        ::DestroyWindow(window_);
}

bool TfrmClock::Create() {
    if (!RegisterClockClass(instance_, &TfrmClock::WindowProc))
        return false;
    const HWND window = ::CreateWindowExW(0, kClockWindowClass, kClockWindowTitle, WS_POPUP, 0, 0,
                                          kDesignClientWidth, kDesignClientHeight, nullptr, nullptr,
                                          instance_, this);
    if (!window)
        return false;

    engine_ = CreateClockEngine(locale_);
    TCustomZentik& clock = engine_->Engine();
    clock.SetCustomFormat(kDesignFormat);
    clock.SetUseCustomFormat(false);
    clock.SetTact(250);
    CreateMainScreen();
    if (!panel_)
        return false;
    clock.OnTextChange = [this](TCustomZentik&, const std::wstring& text) {
        panel_->SetCaption(text);
    };
    clock.Refresh();
    CenterOnDesktop();
    return true;
}

void TfrmClock::CreateMainScreen() {
    panel_ = TztLCDPanel::Create(window_, 0, 0);
    if (!panel_)
        return;
    TztLCDPanel& panel = *panel_;
    panel.BeginLoading();
    TztLED& led = panel.GetLED();
    led.SetThickness(kDesignThickness);
    led.SetHorzsize(kDesignHorzsize);
    led.SetVertsize(kDesignVertsize);
    led.SetActiveColor(kClBtnHighlight);
    led.SetInActiveColor(kClBtnShadow);
    panel.SetColor(kClWindowFrame);
    panel.SetBorderColor(kClBtnFace);
    panel.SetBorderWidth(kDesignBorderWidth);
    panel.SetAutoSize(TRUE);
    panel.SetCaption(kDesignCaption);
    panel.SetCursor(::LoadCursorW(nullptr, IDC_SIZEALL));
    panel.OnResize = [this](TztLCDPanel&) { FitToPanel(); };
    panel.EndLoading();
    FitToPanel();
}

// The window is auto-sized: its client area is the panel.
void TfrmClock::FitToPanel() {
    if (!panel_ || !window_)
        return;
    RECT rect{0, 0, panel_->Width(), panel_->Height()};
    ::AdjustWindowRectEx(&rect, static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_EXSTYLE)));
    ::SetWindowPos(window_, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmClock::CenterOnDesktop() {
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT window{};
    ::GetWindowRect(window_, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    ::SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmClock::StartClock() {
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window_, GWL_EXSTYLE);
    ::SetWindowLongPtrW(window_, GWL_EXSTYLE, exStyle | WS_EX_TOOLWINDOW);
    engine_->Engine().SetNormalTact();
    ShowClock();
}

void TfrmClock::ShowClock() {
    ::ShowWindow(window_, SW_SHOWNOACTIVATE);
    ::UpdateWindow(window_);
}

LRESULT CALLBACK TfrmClock::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TfrmClock* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<TfrmClock*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<TfrmClock*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT TfrmClock::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const ZentikMessages& messages = RegisterZentikMessages();
    if (message == messages.showWindow && message != 0) {
        ShowClock();
        return 0;
    }
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the panel covers the whole client area
    case WM_TIMECHANGE:
        if (engine_)
            engine_->Engine().Refresh();
        return 0;
    case WM_SYSCOLORCHANGE:
        if (panel_)
            panel_->Rebuild();
        return 0;
    case WM_CLOSE:
        ::DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        if (engine_)
            engine_->Engine().OnTextChange = nullptr;
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

} // namespace zt
