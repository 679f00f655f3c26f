#pragma once
// TfrmClock: the clock window. A borderless window that holds the LCD panel showing
// the clock engine's text and sizes itself to the panel.

#include <windows.h>

#include <memory>
#include <string>

#include "common/datetime_format.h"
#include "common/handles.h"
#include "display/lcd_panel.h"
#include "host/custom_zentik_intf.h"

namespace zt {

class TfrmClock {
public:
    TfrmClock(HINSTANCE instance, const FormatSettings& locale, std::wstring language);
    ~TfrmClock();
    TfrmClock(const TfrmClock&) = delete;
    TfrmClock& operator=(const TfrmClock&) = delete;

    // Creates the window with its design: the engine (ticking from now on) and the
    // panel, centred on the desktop. The window stays hidden until StartClock.
    bool Create();
    // Makes the window a tool window, puts the engine on its normal tact and shows it.
    void StartClock();

    HWND Handle() const { return window_; }
    TCustomZentik& Clock() { return engine_->Engine(); }
    TztLCDPanel& MainScreen() { return *panel_; }
    const std::wstring& Language() const { return language_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateMainScreen();
    void FitToPanel();
    void CenterOnDesktop();
    void ShowClock();

    HINSTANCE instance_;
    FormatSettings locale_;
    std::wstring language_;
    HWND window_ = nullptr; // destroyed in the destructor, detached at WM_NCDESTROY
    std::unique_ptr<ClockEngine> engine_;
    std::unique_ptr<TztLCDPanel> panel_;
};

} // namespace zt
