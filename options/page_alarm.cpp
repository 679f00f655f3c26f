#include "options/page_alarm.h"

#include <commctrl.h>

#include "common/component_name.h"
#include "common/datetime.h"
#include "common/module_window_class.h"
#include "options/page_alarm_resource.h"
#include "options/page_texts.h"
#include "options/setup_host.h"

namespace zt::options {
namespace {

constexpr TztControlName kControls[] = {
    {IDC_ALARM_SWITCH, L"SwitchEnabled"}, {IDC_ALARM_TIME_LABEL, L"lblAlrmTime"},
    {IDC_ALARM_TIME, L"edtAlrmTime"},     {IDC_ALARM_COMMAND_LABEL, L"lblDoIt"},
    {IDC_ALARM_COMMAND, L"CBoxDoIt"},
};

} // namespace

bool TztPageAlarm::Create(HWND parent) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_DATE_CLASSES};
    ::InitCommonControlsEx(&controls);
    if (!CreateModeless(CurrentModule(), IDD_PAGE_ALARM, parent))
        return false;
    SetComponentName(Window(), L"pnlAlarm");
    return true;
}

void TztPageAlarm::Translate() {
    TranslateControls(Window(), host_, kControls);
}

INT_PTR TztPageAlarm::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        NameControls(Window(), kControls);
        ::SendDlgItemMessageW(Window(), IDC_ALARM_TIME, DTM_SETFORMATW, 0,
                              reinterpret_cast<LPARAM>(L"HH:mm:ss"));
        command_.Attach(::GetDlgItem(Window(), IDC_ALARM_COMMAND));
        command_.OnChange = [this] { CommandChanged(); };
        return FALSE; // a page takes no focus of its own
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_ALARM_SWITCH && HIWORD(wParam) == BN_CLICKED)
            SwitchChanged();
        return TRUE;
    default:
        return FALSE;
    }
}

void TztPageAlarm::SwitchChanged() {
    const bool enabled = ::IsDlgButtonChecked(Window(), IDC_ALARM_SWITCH) == BST_CHECKED;
    ::EnableWindow(::GetDlgItem(Window(), IDC_ALARM_TIME), enabled);
    if (filling_)
        return;
    if (ICustomZentik* clock = host_.Clock())
        clock->SetAlarmEnabled(enabled);
}

void TztPageAlarm::CommandChanged() {
    if (filling_)
        return;
    if (IZentik* zentik = host_.Zentik())
        zentik->SetAlarmCommand(command_.Text().c_str());
}

void TztPageAlarm::Fill() {
    filling_ = true;
    if (ICustomZentik* clock = host_.Clock()) {
        startEnabled_ = clock->GetAlarmEnabled() != FALSE;
        const LocalTime alarm = DecodeDateTime(TimeOf(clock->GetAlarmTime()));
        SYSTEMTIME time{};
        ::GetLocalTime(&time);
        time.wHour = alarm.hour;
        time.wMinute = alarm.minute;
        time.wSecond = alarm.second;
        time.wMilliseconds = 0;
        ::SendDlgItemMessageW(Window(), IDC_ALARM_TIME, DTM_SETSYSTEMTIME, GDT_VALID,
                              reinterpret_cast<LPARAM>(&time));
    }
    if (IZentik* zentik = host_.Zentik())
        startCommand_ = ztTakeBstr(zentik->GetAlarmCommand());
    ::CheckDlgButton(Window(), IDC_ALARM_SWITCH, startEnabled_ ? BST_CHECKED : BST_UNCHECKED);
    SwitchChanged();
    command_.SetCmnd(host_.Commands());
    command_.SetText(startCommand_);
    filling_ = false;
}

// The page is shown: the clock gets the command in the box again.
void TztPageAlarm::Shown() {
    CommandChanged();
}

void TztPageAlarm::Ok() {
    ICustomZentik* clock = host_.Clock();
    SYSTEMTIME time{};
    if (clock && ::SendDlgItemMessageW(Window(), IDC_ALARM_TIME, DTM_GETSYSTEMTIME, 0,
                                       reinterpret_cast<LPARAM>(&time)) == GDT_VALID)
        clock->SetAlarmTime(EncodeTime(time.wHour, time.wMinute, time.wSecond, 0));
}

void TztPageAlarm::Cancel() {
    if (ICustomZentik* clock = host_.Clock())
        clock->SetAlarmEnabled(startEnabled_);
    if (IZentik* zentik = host_.Zentik())
        zentik->SetAlarmCommand(startCommand_.c_str());
}

std::unique_ptr<TztSetupPage> CreatePageAlarm(TztSetupHost& host) {
    return std::make_unique<TztPageAlarm>(host);
}

} // namespace zt::options
