#pragma once
// TztPageTime, the "Time" page (panel "pnlTime"): sets the computer's date and time.
//
// While the page is shown, a timer keeps NewDate and NewTime on the current local date
// and time. Editing either stops it and enables Apply and Reset; Reset shows the current
// time again and restarts the timer. Apply takes the date of NewDate and the time of
// NewTime as a local time, converts it to UTC with the time-zone rules of that date
// (TzSpecificLocalTimeToSystemTime) and hands it to the clock's IztSystemClock; a refusal
// shows "Error=ErrorChangeSysTime" and leaves the page as it is, success tells every
// top-level window (WM_TIMECHANGE) and shows the current time again. lblSTime opens the
// system's date and time settings.

#include <windows.h>

#include "common/window_impl.h"
#include "options/setup_page.h"

namespace zt::options {

class TztSetupHost;

class TztPageTime final : public TztSetupPage, public DialogImpl<TztPageTime> {
public:
    explicit TztPageTime(TztSetupHost& host) : host_(host) {}

    const wchar_t* Name() const override { return L"Time"; }
    bool Create(HWND parent) override;
    HWND Panel() const override { return Window(); }
    void Translate() override;
    void Shown() override;
    void Hidden() override;

private:
    friend class DialogImpl<TztPageTime>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);
    // Shows the current date and time, disables Apply and Reset and runs the timer.
    void Reset();
    void ShowNow();
    void Edited();
    void Apply();
    void OpenSystemSettings() const;

    TztSetupHost& host_;
    bool live_ = false;    // the timer runs
    bool setting_ = false; // the page itself writes the pickers
};

} // namespace zt::options
