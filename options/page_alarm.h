#pragma once
// TztPageAlarm, the "Alarm" page (panel "pnlAlarm"): the alarm switch SwitchEnabled, the
// alarm time edtAlrmTime and the alarm command CBoxDoIt (a command picker). The switch and
// the command apply at once; the time is given to the clock on OK. Cancel puts back the
// switch and the command found by Fill. Plug-ins find the panel and the command box by
// their names (the Scheduler adds its frame below the controls).

#include <windows.h>

#include <memory>
#include <string>

#include "common/command_box.h"
#include "common/window_impl.h"
#include "options/setup_page.h"

namespace zt::options {

class TztSetupHost;

class TztPageAlarm final : public TztSetupPage, public DialogImpl<TztPageAlarm> {
public:
    explicit TztPageAlarm(TztSetupHost& host) : host_(host) {}

    const wchar_t* Name() const override { return L"Alarm"; }
    bool Create(HWND parent) override;
    HWND Panel() const override { return Window(); }
    void Translate() override;
    void Fill() override;
    void Shown() override;
    void Ok() override;
    void Cancel() override;

private:
    friend class DialogImpl<TztPageAlarm>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void SwitchChanged();
    void CommandChanged();

    TztSetupHost& host_;
    TztCommandBox command_;
    bool startEnabled_ = false;
    std::wstring startCommand_;
    // Set until Fill has written the controls, so their notifications change nothing.
    bool filling_ = true;
};

std::unique_ptr<TztSetupPage> CreatePageAlarm(TztSetupHost& host);

} // namespace zt::options
