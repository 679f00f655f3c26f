#include "advanced_dialog.h"

#include <commctrl.h>

#include <algorithm>

#include "common/component_name.h"
#include "schedule_controls.h"
#include "scheduler_windows_resource.h"

namespace zt {
namespace {

constexpr int kMaxEvery = 30000;

constexpr TztControlName kCaptioned[] = {
    {IDC_CB_END_DATE, L"cbEndDate"}, {IDC_CB_REPEAT_TASK, L"cbRepeatTask"},
    {IDC_LB_EVERY, L"lbEvery"},      {IDC_RB_TIME, L"rbTime"},
    {IDC_LB_TCOLON, L"lbTColon"},    {IDC_RB_DURATION, L"rbDuration"},
    {IDC_LB_DCOLON, L"lbDColon"},    {IDOK, L"btnOk"},
    {IDCANCEL, L"btnCancel"},
};

constexpr TztControlName kNamedOnly[] = {
    {IDC_EDT_END_DATE, L"edtEndDate"}, {IDC_EDT_EVERY_HM, L"edtEveryHM"},
    {IDC_UD_EVERY_HM, L"udEveryHM"},   {IDC_CB_MIN_HOUR, L"cbMinHour"},
    {IDC_EDT_THOUR, L"edtTHour"},      {IDC_UD_THOUR, L"udTHour"},
    {IDC_EDT_TMIN, L"edtTMin"},        {IDC_UD_TMIN, L"udTMin"},
    {IDC_EDT_DHOUR, L"edtDHour"},      {IDC_UD_DHOUR, L"udDHour"},
    {IDC_EDT_DMIN, L"edtDMin"},        {IDC_UD_DMIN, L"udDMin"},
};

// The step's hint is also the hint of both hour fields, the until-minute's hint that of the
// duration-minute field.
constexpr TztControlHint kHints[] = {
    {IDC_EDT_END_DATE, L"edtEndDateHint"}, {IDC_CB_MIN_HOUR, L"cbMinHourHint"},
    {IDC_EDT_EVERY_HM, L"udEveryHMHint"},  {IDC_UD_EVERY_HM, L"udEveryHMHint"},
    {IDC_EDT_THOUR, L"udEveryHMHint"},     {IDC_UD_THOUR, L"udEveryHMHint"},
    {IDC_EDT_DHOUR, L"udEveryHMHint"},     {IDC_UD_DHOUR, L"udEveryHMHint"},
    {IDC_EDT_TMIN, L"udTMinHint"},         {IDC_UD_TMIN, L"udTMinHint"},
    {IDC_EDT_DMIN, L"udTMinHint"},         {IDC_UD_DMIN, L"udTMinHint"},
};

constexpr int kRepeatControls[] = {IDC_LB_EVERY,    IDC_EDT_EVERY_HM, IDC_UD_EVERY_HM,
                                   IDC_CB_MIN_HOUR, IDC_RB_TIME,      IDC_RB_DURATION};
constexpr int kUntilControls[] = {IDC_EDT_THOUR, IDC_UD_THOUR, IDC_LB_TCOLON, IDC_EDT_TMIN,
                                  IDC_UD_TMIN};
constexpr int kDurationControls[] = {IDC_EDT_DHOUR, IDC_UD_DHOUR, IDC_LB_DCOLON, IDC_EDT_DMIN,
                                     IDC_UD_DMIN};

} // namespace

TaskOptions DefaultTaskOptions(DateTime now) {
    TaskOptions options;
    const LocalTime t = DecodeDateTime(now);
    options.endDate = EncodeDate(t.year, t.month, t.day);
    options.untilHour = t.hour;
    options.untilMinute = t.minute;
    return options;
}

bool TfrmAdvanced::Run(HWND owner) {
    return RunModal(CurrentModule(), IDD_ADVANCED, owner) == IDOK;
}

INT_PTR TfrmAdvanced::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        Init();
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            options_ = Read();
            ::EndDialog(Window(), IDOK);
            return TRUE;
        case IDCANCEL:
            ::EndDialog(Window(), IDCANCEL);
            return TRUE;
        case IDC_CB_END_DATE:
        case IDC_CB_REPEAT_TASK:
        case IDC_RB_TIME:
        case IDC_RB_DURATION:
            if (HIWORD(wParam) == BN_CLICKED)
                UpdateEnabled();
            return TRUE;
        default:
            return FALSE;
        }
    case WM_DESTROY:
        RemoveHintWindow(Window());
        return FALSE;
    default:
        return FALSE;
    }
}

void TfrmAdvanced::Init() {
    HWND dialog = Window();
    SetComponentName(dialog, L"frmAdvanced");
    NameControls(dialog, kCaptioned);
    NameControls(dialog, kNamedOnly);
    CreateHintWindow(dialog);
    const ControlTextSource text = SchedulerTexts(context_);
    TranslateCaption(dialog, context_, L"frmAdvanced");
    TranslateControls(dialog, kCaptioned, text);
    TranslateHints(dialog, kHints, text);
    FillList(dialog, IDC_CB_MIN_HOUR, SchedulerTextLines(context_, L"cbMinHour", 2), 0);
    SetSpinRange(dialog, IDC_UD_EVERY_HM, 1, kMaxEvery);
    SetSpinRange(dialog, IDC_UD_THOUR, 0, 23);
    SetSpinRange(dialog, IDC_UD_TMIN, 0, 59);
    SetSpinRange(dialog, IDC_UD_DHOUR, 0, 23);
    SetSpinRange(dialog, IDC_UD_DMIN, 0, 59);
    ::SendDlgItemMessageW(dialog, IDC_EDT_EVERY_HM, EM_LIMITTEXT, 5, 0);
    for (int id : {IDC_EDT_THOUR, IDC_EDT_TMIN, IDC_EDT_DHOUR, IDC_EDT_DMIN})
        ::SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, 2, 0);
    Show(options_);
}

void TfrmAdvanced::Show(const TaskOptions& options) {
    HWND dialog = Window();
    SetChecked(dialog, IDC_CB_END_DATE, options.hasEndDate);
    SetPickerDate(dialog, IDC_EDT_END_DATE, options.endDate);
    SetChecked(dialog, IDC_CB_REPEAT_TASK, options.repeating);
    SetSpinValue(dialog, IDC_UD_EVERY_HM, std::clamp(options.every, 1, kMaxEvery));
    SetListIndex(dialog, IDC_CB_MIN_HOUR, options.inMinutes ? 0 : 1);
    SetChecked(dialog, IDC_RB_TIME, options.untilTime);
    SetChecked(dialog, IDC_RB_DURATION, !options.untilTime);
    SetSpinValue(dialog, IDC_UD_THOUR, options.untilHour);
    SetSpinValue(dialog, IDC_UD_TMIN, options.untilMinute);
    SetSpinValue(dialog, IDC_UD_DHOUR, options.durationHour);
    SetSpinValue(dialog, IDC_UD_DMIN, options.durationMinute);
    UpdateEnabled();
}

TaskOptions TfrmAdvanced::Read() const {
    HWND dialog = Window();
    TaskOptions options;
    options.hasEndDate = IsChecked(dialog, IDC_CB_END_DATE);
    options.endDate = PickerDate(dialog, IDC_EDT_END_DATE);
    options.repeating = IsChecked(dialog, IDC_CB_REPEAT_TASK);
    options.every = SpinValue(dialog, IDC_UD_EVERY_HM);
    options.inMinutes = ListIndex(dialog, IDC_CB_MIN_HOUR) == 0;
    options.untilTime = IsChecked(dialog, IDC_RB_TIME);
    options.untilHour = SpinValue(dialog, IDC_UD_THOUR);
    options.untilMinute = SpinValue(dialog, IDC_UD_TMIN);
    options.durationHour = SpinValue(dialog, IDC_UD_DHOUR);
    options.durationMinute = SpinValue(dialog, IDC_UD_DMIN);
    return options;
}

void TfrmAdvanced::UpdateEnabled() {
    HWND dialog = Window();
    ::EnableWindow(::GetDlgItem(dialog, IDC_EDT_END_DATE), IsChecked(dialog, IDC_CB_END_DATE));
    const bool repeating = IsChecked(dialog, IDC_CB_REPEAT_TASK);
    const bool untilTime = IsChecked(dialog, IDC_RB_TIME);
    EnableControls(dialog, kRepeatControls, repeating);
    EnableControls(dialog, kUntilControls, repeating && untilTime);
    EnableControls(dialog, kDurationControls, repeating && !untilTime);
}

} // namespace zt
