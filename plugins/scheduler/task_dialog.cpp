#include "task_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "common/component_name.h"
#include "common/diag_log.h"
#include "common/window_text.h"
#include "schedule_controls.h"
#include "scheduler_windows_resource.h"

namespace zt {
namespace {

constexpr int kMaxInterval = 100;
constexpr int kOrdinalCount = 5;
constexpr int kDaysInWeek = 7;
constexpr int kMonthsInYear = 12;

constexpr TztControlName kCaptioned[] = {
    {IDC_LB_TASK, L"lbTask"},
    {IDC_LB_TYPE, L"lbTaskType"},
    {IDC_LB_START_TIME, L"lbStartTime"},
    {IDC_LB_START_COLON, L"lbStartColon"},
    {IDC_LB_START_DATE, L"lbStartDate"},
    {IDC_BTN_TODAY, L"btnToday"},
    {IDC_BTN_TOMORROW, L"btnTomorrow"},
    {IDC_GB_SETTING, L"gbSetting"},
    {IDC_BTN_ADV, L"btnAdv"},
    {IDOK, L"btnOk"},
    {IDCANCEL, L"btnCancel"},
};
constexpr TztControlName kNamedOnly[] = {
    {IDC_CB_TASK, L"cbTask"},
    {IDC_CB_TASK_TYPE, L"cbSTaskType"},
    {IDC_EDT_START_HOUR, L"edtStartHour"},
    {IDC_UD_START_HOUR, L"udStartHour"},
    {IDC_EDT_START_MIN, L"edtStartMin"},
    {IDC_UD_START_MIN, L"udStartMin"},
    {IDC_EDT_START_DATE, L"edtStartDate"},
};
constexpr TztControlHint kHints[] = {
    {IDC_CB_TASK_TYPE, L"cbSTaskTypeHint"},   {IDC_EDT_START_HOUR, L"edtStartHourHint"},
    {IDC_UD_START_HOUR, L"edtStartHourHint"}, {IDC_EDT_START_MIN, L"edtStartMinHint"},
    {IDC_UD_START_MIN, L"edtStartMinHint"},   {IDC_EDT_START_DATE, L"edtStartDateHint"},
};

constexpr TztControlName kDailyCaptioned[] = {
    {IDC_LB_DDAY1, L"lbDDay1"},
    {IDC_LB_DDAY2, L"lbDDay2"},
};
constexpr TztControlName kDailyNamedOnly[] = {
    {IDC_EDT_DDAY, L"edtDDay"},
    {IDC_UD_DDAY, L"udDDay"},
};
constexpr TztControlHint kDailyHints[] = {
    {IDC_EDT_DDAY, L"udDDayHint"},
    {IDC_UD_DDAY, L"udDDayHint"},
};

constexpr TztControlName kWeeklyCaptioned[] = {
    {IDC_LB_WWEEK1, L"lbWWeek1"}, {IDC_LB_WWEEK2, L"lbWWeek2"}, {IDC_CB_MWORK, L"cbMWork"},
    {IDC_CB_MMON, L"cbMMon"},     {IDC_CB_MTUE, L"cbMTue"},     {IDC_CB_MWED, L"cbMWed"},
    {IDC_CB_MTHU, L"cbMThu"},     {IDC_CB_MFRI, L"cbMFri"},     {IDC_CB_MHOL, L"cbMHol"},
    {IDC_CB_MSUT, L"cbMSut"},     {IDC_CB_MSUN, L"cbMSun"},
};
constexpr TztControlName kWeeklyNamedOnly[] = {
    {IDC_EDT_WWEEK, L"edtWWeek"},
    {IDC_UD_WWEEK, L"udWWeek"},
};
constexpr TztControlHint kWeeklyHints[] = {
    {IDC_EDT_WWEEK, L"udWWeekHint"},
    {IDC_UD_WWEEK, L"udWWeekHint"},
};

constexpr TztControlName kMonthlyCaptioned[] = {
    {IDC_RB_MDAY, L"rbMDay"},     {IDC_LB_MDAY, L"lbMDay"}, {IDC_LB_MEXECUTE_AT, L"lbMExecuteAt"},
    {IDC_LB_MONTHS, L"lbMonths"}, {IDC_CB_JAN, L"cbJan"},   {IDC_CB_FEB, L"cbFeb"},
    {IDC_CB_MAR, L"cbMar"},       {IDC_CB_APR, L"cbApr"},   {IDC_CB_MAY, L"cbMay"},
    {IDC_CB_JUN, L"cbJun"},       {IDC_CB_JUL, L"cbJul"},   {IDC_CB_AUG, L"cbAug"},
    {IDC_CB_SEP, L"cbSep"},       {IDC_CB_OCT, L"cbOct"},   {IDC_CB_NOV, L"cbNov"},
    {IDC_CB_DEC, L"cbDec"},
};
// rbMExecuteAt's caption is its weekday's line of "rbMExecuteAt".
constexpr TztControlName kMonthlyNamedOnly[] = {
    {IDC_EDT_MMONTH, L"edtMMonth"},
    {IDC_UD_MMONTH, L"udMMonth"},
    {IDC_RB_MEXECUTE_AT, L"rbMExecuteAt"},
    {IDC_CB_MNOMB, L"cbMNomb"},
    {IDC_CB_MDAYW, L"cbMDayW"},
};
constexpr TztControlHint kMonthlyHints[] = {
    {IDC_EDT_MMONTH, L"udMMonthHint"},
    {IDC_UD_MMONTH, L"udMMonthHint"},
    {IDC_RB_MEXECUTE_AT, L"rbMExecuteAtHint"},
    {IDC_CB_MNOMB, L"cbMNombHint"},
    {IDC_CB_MDAYW, L"cbMDayWHint"},
};

constexpr int kDayFieldControls[] = {IDC_EDT_MMONTH, IDC_UD_MMONTH, IDC_LB_MDAY};
constexpr int kWeekDayControls[] = {IDC_CB_MNOMB, IDC_CB_MDAYW, IDC_LB_MEXECUTE_AT};

// The box of ISO weekday 1..7 and of month 1..12.
int DayBox(int weekDay) {
    return IDC_CB_MMON + weekDay - 1;
}
int MonthBox(int month) {
    return IDC_CB_JAN + month - 1;
}

// ISO weekday (1 Monday ... 7 Sunday) of a date.
int IsoWeekDay(DateTime date) {
    const int dayOfWeek = DecodeDateTime(date).dayOfWeek; // 0 Sunday
    return dayOfWeek == 0 ? kDaysInWeek : dayOfWeek;
}

} // namespace

// A schedule panel inside gbSetting: a child dialog whose controls report to the task
// dialog.
class TfrmAddSchedule::Panel final : public DialogImpl<Panel> {
public:
    bool Create(HWND owner, int templateId) {
        return CreateModeless(CurrentModule(), templateId, owner);
    }

private:
    friend class DialogImpl<Panel>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_INITDIALOG:
            return FALSE;
        case WM_COMMAND:
        case WM_NOTIFY:
            ::SendMessageW(::GetParent(Window()), message, wParam, lParam);
            return TRUE;
        default:
            return FALSE;
        }
    }
};

TfrmAddSchedule::TfrmAddSchedule(const SchedulerUiContext& context, TScheduleItem& task, bool isNew,
                                 std::wstring preset)
    : context_(context), task_(task), isNew_(isNew), preset_(std::move(preset)) {}

TfrmAddSchedule::~TfrmAddSchedule() = default;

bool TfrmAddSchedule::Run(HWND owner) {
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_DATE_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    return RunModal(CurrentModule(), IDD_TASK, owner) == IDOK;
}

HWND TfrmAddSchedule::PanelWindow(PanelIndex index) const {
    return panels_[index] ? panels_[index]->Window() : nullptr;
}

INT_PTR TfrmAddSchedule::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        Init();
        return TRUE;
    case WM_COMMAND:
        return Command(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_DESTROY:
        command_.Detach();
        RemoveHintWindow(Window());
        return FALSE;
    default:
        return FALSE;
    }
}

void TfrmAddSchedule::Init() {
    HWND dialog = Window();
    SetComponentName(dialog, L"frmAddSchedule");
    NameControls(dialog, kCaptioned);
    NameControls(dialog, kNamedOnly);
    CreateHintWindow(dialog);
    CreatePanels();

    const ControlTextSource text = SchedulerTexts(context_);
    TranslateCaption(dialog, context_, L"frmAddSchedule");
    TranslateControls(dialog, kCaptioned, text);
    TranslateHints(dialog, kHints, text);
    HWND daily = PanelWindow(kDaily);
    TranslateControls(daily, kDailyCaptioned, text);
    TranslateHints(daily, kDailyHints, text);
    HWND weekly = PanelWindow(kWeekly);
    TranslateControls(weekly, kWeeklyCaptioned, text);
    TranslateHints(weekly, kWeeklyHints, text);
    HWND monthly = PanelWindow(kMonthly);
    TranslateControls(monthly, kMonthlyCaptioned, text);
    TranslateHints(monthly, kMonthlyHints, text);

    FillList(dialog, IDC_CB_TASK_TYPE, SchedulerTextLines(context_, L"cbSTaskType", 4), 0);
    FillList(monthly, IDC_CB_MDAYW, SchedulerTextLines(context_, L"cbMDayW", kDaysInWeek), 0);
    SetSpinRange(dialog, IDC_UD_START_HOUR, 0, 23);
    SetSpinRange(dialog, IDC_UD_START_MIN, 0, 59);
    // Three characters: a digit typed after two drops the first (see TwoDigits).
    ::SendDlgItemMessageW(dialog, IDC_EDT_START_HOUR, EM_LIMITTEXT, 3, 0);
    ::SendDlgItemMessageW(dialog, IDC_EDT_START_MIN, EM_LIMITTEXT, 3, 0);
    SetSpinRange(daily, IDC_UD_DDAY, 1, kMaxInterval);
    SetSpinRange(weekly, IDC_UD_WWEEK, 1, kMaxInterval);
    SetSpinRange(monthly, IDC_UD_MMONTH, 1, 31);
    ::SendDlgItemMessageW(daily, IDC_EDT_DDAY, EM_LIMITTEXT, 3, 0);
    ::SendDlgItemMessageW(weekly, IDC_EDT_WWEEK, EM_LIMITTEXT, 3, 0);
    ::SendDlgItemMessageW(monthly, IDC_EDT_MMONTH, EM_LIMITTEXT, 2, 0);

    if (command_.Attach(::GetDlgItem(dialog, IDC_CB_TASK))) {
        command_.SetCmnd(context_.cmnd);
        command_.SetHint(text(L"cbTaskHint"));
    }
    SetDefaults();
    if (isNew_)
        command_.SetText(preset_);
    else
        Fill(task_);
}

void TfrmAddSchedule::CreatePanels() {
    HWND dialog = Window();
    // The inside of gbSetting, in dialog units.
    RECT area{12, 89, 12 + 236, 89 + 86};
    ::MapDialogRect(dialog, &area);
    HWND after = ::GetDlgItem(dialog, IDC_GB_SETTING);
    static constexpr struct {
        PanelIndex index;
        int templateId;
        const wchar_t* name;
    } kPanels[] = {{kDaily, IDD_PANEL_DAILY, L"pDaily"},
                   {kWeekly, IDD_PANEL_WEEKLY, L"pWeekly"},
                   {kMonthly, IDD_PANEL_MONTHLY, L"pMonthly"}};
    for (const auto& panel : kPanels) {
        auto created = std::make_unique<Panel>();
        if (!created->Create(dialog, panel.templateId))
            throw std::runtime_error("a schedule panel could not be created");
        HWND window = created->Window();
        SetComponentName(window, panel.name);
        // After gbSetting in the tab order.
        ::SetWindowPos(window, after, area.left, area.top, area.right - area.left,
                       area.bottom - area.top, SWP_NOACTIVATE);
        after = window;
        panels_[panel.index] = std::move(created);
    }
    NameControls(PanelWindow(kDaily), kDailyCaptioned);
    NameControls(PanelWindow(kDaily), kDailyNamedOnly);
    NameControls(PanelWindow(kWeekly), kWeeklyCaptioned);
    NameControls(PanelWindow(kWeekly), kWeeklyNamedOnly);
    NameControls(PanelWindow(kMonthly), kMonthlyCaptioned);
    NameControls(PanelWindow(kMonthly), kMonthlyNamedOnly);
}

void TfrmAddSchedule::SetDefaults() {
    HWND dialog = Window();
    const DateTime now = LocalDateTimeNow();
    const LocalTime t = DecodeDateTime(now);
    SetSpinValue(dialog, IDC_UD_START_HOUR, t.hour);
    SetSpinValue(dialog, IDC_UD_START_MIN, t.minute);
    SetPickerDate(dialog, IDC_EDT_START_DATE, now);
    SetListIndex(dialog, IDC_CB_TASK_TYPE, sttOnce);
    ShowPanel(sttOnce);

    SetSpinValue(PanelWindow(kDaily), IDC_UD_DDAY, 1);

    HWND weekly = PanelWindow(kWeekly);
    SetSpinValue(weekly, IDC_UD_WWEEK, 1);
    SetChecked(weekly, DayBox(IsoWeekDay(now)), true);
    UpdateGroupBox(IDC_CB_MWORK, 1, 5);
    UpdateGroupBox(IDC_CB_MHOL, 6, 7);

    HWND monthly = PanelWindow(kMonthly);
    SetSpinValue(monthly, IDC_UD_MMONTH, 1);
    SetListIndex(monthly, IDC_CB_MDAYW, 0);
    WeekDayChanged();
    SetListIndex(monthly, IDC_CB_MNOMB, 0);
    SetChecked(monthly, IDC_RB_MDAY, true);
    SetChecked(monthly, IDC_RB_MEXECUTE_AT, false);
    MonthOptionChanged();
    for (int month = 1; month <= kMonthsInYear; ++month)
        SetChecked(monthly, MonthBox(month), true);

    options_ = DefaultTaskOptions(now);
}

void TfrmAddSchedule::Fill(const TScheduleItem& task) {
    HWND dialog = Window();
    command_.SetText(task.Cmnd);
    SetPickerDate(dialog, IDC_EDT_START_DATE, task.StartTime);
    const LocalTime start = DecodeDateTime(task.StartTime);
    SetSpinValue(dialog, IDC_UD_START_HOUR, start.hour);
    SetSpinValue(dialog, IDC_UD_START_MIN, start.minute);
    const int type = task.TaskType <= sttMonthly ? static_cast<int>(task.TaskType) : 0;
    SetListIndex(dialog, IDC_CB_TASK_TYPE, type);
    ShowPanel(type);

    switch (type) {
    case sttDaily:
        SetSpinValue(PanelWindow(kDaily), IDC_UD_DDAY,
                     std::clamp<int>(task.Interval, 1, kMaxInterval));
        break;
    case sttWeekly: {
        HWND weekly = PanelWindow(kWeekly);
        SetSpinValue(weekly, IDC_UD_WWEEK, std::clamp<int>(task.Interval, 1, kMaxInterval));
        for (int day = 1; day <= kDaysInWeek; ++day)
            SetChecked(weekly, DayBox(day), (task.WeekDays >> day) & 1);
        UpdateGroupBox(IDC_CB_MWORK, 1, 5);
        UpdateGroupBox(IDC_CB_MHOL, 6, 7);
        break;
    }
    case sttMonthly: {
        HWND monthly = PanelWindow(kMonthly);
        SetChecked(monthly, IDC_RB_MDAY, task.ByMonthDay);
        SetChecked(monthly, IDC_RB_MEXECUTE_AT, !task.ByMonthDay);
        if (task.ByMonthDay) {
            SetSpinValue(monthly, IDC_UD_MMONTH, std::clamp<int>(task.MonthDay, 1, 31));
        } else {
            SetListIndex(monthly, IDC_CB_MDAYW, std::clamp<int>(task.WeekDay, 1, kDaysInWeek) - 1);
            WeekDayChanged();
            SetListIndex(monthly, IDC_CB_MNOMB,
                         std::clamp<int>(task.MonthDay, 1, kOrdinalCount) - 1);
        }
        MonthOptionChanged();
        const std::uint16_t months = task.Months();
        for (int month = 1; month <= kMonthsInYear; ++month)
            SetChecked(monthly, MonthBox(month), (months >> month) & 1);
        break;
    }
    default:
        break;
    }

    if (task.HasOptions) {
        options_.hasEndDate = task.HasEndDate;
        if (task.HasEndDate)
            options_.endDate = task.EndDate;
        options_.repeating = task.Repeating;
        if (task.Repeating) {
            options_.every = std::clamp<int>(task.RepeatEvery, 1, 30000);
            options_.inMinutes = task.EveryInMinutes;
            options_.untilTime = task.UntilTime;
            const int hour = std::min<int>(task.LimitHour, 23);
            const int minute = std::min<int>(task.LimitMinute, 59);
            if (task.UntilTime) {
                options_.untilHour = hour;
                options_.untilMinute = minute;
            } else {
                options_.durationHour = hour;
                options_.durationMinute = minute;
            }
        }
    }
}

void TfrmAddSchedule::Write(TScheduleItem& task) const {
    HWND dialog = Window();
    task.Cmnd = command_.Text();
    task.StartTime =
        PickerDate(dialog, IDC_EDT_START_DATE) +
        EncodeTime(SpinValue(dialog, IDC_UD_START_HOUR), SpinValue(dialog, IDC_UD_START_MIN), 0, 0);
    task.TaskType = static_cast<std::uint8_t>(ListIndex(dialog, IDC_CB_TASK_TYPE));
    task.NextRun = task.TaskType == sttOnce ? task.StartTime : 0;

    switch (task.TaskType) {
    case sttDaily:
        task.Interval = static_cast<std::uint8_t>(SpinValue(PanelWindow(kDaily), IDC_UD_DDAY));
        break;
    case sttWeekly: {
        HWND weekly = PanelWindow(kWeekly);
        task.Interval = static_cast<std::uint8_t>(SpinValue(weekly, IDC_UD_WWEEK));
        std::uint8_t days = 0;
        for (int day = 1; day <= kDaysInWeek; ++day) {
            if (IsChecked(weekly, DayBox(day)))
                days |= static_cast<std::uint8_t>(1 << day);
        }
        task.WeekDays = days;
        break;
    }
    case sttMonthly: {
        HWND monthly = PanelWindow(kMonthly);
        task.ByMonthDay = IsChecked(monthly, IDC_RB_MDAY);
        if (task.ByMonthDay) {
            task.MonthDay = static_cast<std::uint8_t>(SpinValue(monthly, IDC_UD_MMONTH));
        } else {
            task.MonthDay = static_cast<std::uint8_t>(ListIndex(monthly, IDC_CB_MNOMB) + 1);
            task.WeekDay = static_cast<std::uint8_t>(ListIndex(monthly, IDC_CB_MDAYW) + 1);
        }
        std::uint16_t months = 0;
        for (int month = 1; month <= kMonthsInYear; ++month) {
            if (IsChecked(monthly, MonthBox(month)))
                months |= static_cast<std::uint16_t>(1 << month);
        }
        task.SetMonths(months);
        break;
    }
    default:
        break;
    }

    task.HasOptions = options_.hasEndDate || options_.repeating;
    if (task.HasOptions) {
        task.HasEndDate = options_.hasEndDate;
        task.EndDate = options_.endDate;
        task.Repeating = options_.repeating;
        if (task.Repeating) {
            task.RepeatEvery = static_cast<std::uint16_t>(options_.every);
            task.EveryInMinutes = options_.inMinutes;
            task.UntilTime = options_.untilTime;
            task.LimitHour = static_cast<std::uint16_t>(options_.untilTime ? options_.untilHour
                                                                           : options_.durationHour);
            task.LimitMinute = static_cast<std::uint16_t>(
                options_.untilTime ? options_.untilMinute : options_.durationMinute);
        }
    }
}

bool TfrmAddSchedule::Command(int id, int code) {
    HWND dialog = Window();
    switch (id) {
    case IDOK:
        Write(task_);
        ::EndDialog(dialog, IDOK);
        return true;
    case IDCANCEL:
        ::EndDialog(dialog, IDCANCEL);
        return true;
    case IDC_BTN_ADV: {
        TfrmAdvanced advanced(context_, options_);
        advanced.Run(dialog);
        return true;
    }
    case IDC_BTN_TODAY:
        SetPickerDate(dialog, IDC_EDT_START_DATE, LocalDateTimeNow());
        return true;
    case IDC_BTN_TOMORROW:
        SetPickerDate(dialog, IDC_EDT_START_DATE, DateOf(LocalDateTimeNow()) + 1);
        return true;
    case IDC_CB_TASK_TYPE:
        if (code == CBN_SELCHANGE)
            ShowPanel(ListIndex(dialog, IDC_CB_TASK_TYPE));
        return true;
    case IDC_EDT_START_HOUR:
    case IDC_EDT_START_MIN:
        if (code == EN_CHANGE)
            TwoDigits(id);
        return true;
    case IDC_CB_MWORK:
        if (code == BN_CLICKED)
            WorkBoxClicked(IDC_CB_MWORK, 1, 5);
        return true;
    case IDC_CB_MHOL:
        if (code == BN_CLICKED)
            WorkBoxClicked(IDC_CB_MHOL, 6, 7);
        return true;
    case IDC_CB_MMON:
    case IDC_CB_MTUE:
    case IDC_CB_MWED:
    case IDC_CB_MTHU:
    case IDC_CB_MFRI:
        if (code == BN_CLICKED && !settingDays_)
            UpdateGroupBox(IDC_CB_MWORK, 1, 5);
        return true;
    case IDC_CB_MSUT:
    case IDC_CB_MSUN:
        if (code == BN_CLICKED && !settingDays_)
            UpdateGroupBox(IDC_CB_MHOL, 6, 7);
        return true;
    case IDC_RB_MDAY:
    case IDC_RB_MEXECUTE_AT:
        if (code == BN_CLICKED) {
            HWND monthly = PanelWindow(kMonthly);
            SetChecked(monthly, IDC_RB_MDAY, id == IDC_RB_MDAY);
            SetChecked(monthly, IDC_RB_MEXECUTE_AT, id == IDC_RB_MEXECUTE_AT);
            MonthOptionChanged();
        }
        return true;
    case IDC_CB_MDAYW:
        if (code == CBN_SELCHANGE)
            WeekDayChanged();
        return true;
    default:
        return false;
    }
}

void TfrmAddSchedule::ShowPanel(int type) {
    for (int index = 0; index < kPanelCount; ++index) {
        if (HWND panel = PanelWindow(static_cast<PanelIndex>(index)))
            ::ShowWindow(panel, type == index + 1 ? SW_SHOWNA : SW_HIDE);
    }
}

// A single character becomes two ("5" → "05"); a third typed after two drops the first, so
// typing goes on naturally ("05" then "9" → "59"). The range is enforced when read.
void TfrmAddSchedule::TwoDigits(int editId) {
    HWND edit = ::GetDlgItem(Window(), editId);
    const std::wstring text = WindowText(edit);
    std::wstring fixed;
    if (text.size() == 1)
        fixed = L"0" + text;
    else if (text.size() > 2)
        fixed = text.substr(text.size() - 2);
    else
        return;
    ::SetWindowTextW(edit, fixed.c_str());
    ::SendMessageW(edit, EM_SETSEL, fixed.size(), fixed.size());
}

// A group box sets its days to its own new state: checked, or unchecked when it was
// checked (a grayed box becomes checked).
void TfrmAddSchedule::WorkBoxClicked(int boxId, int firstDay, int lastDay) {
    HWND weekly = PanelWindow(kWeekly);
    const bool checked = ::IsDlgButtonChecked(weekly, boxId) != BST_CHECKED;
    ::CheckDlgButton(weekly, boxId, checked ? BST_CHECKED : BST_UNCHECKED);
    settingDays_ = true;
    for (int day = firstDay; day <= lastDay; ++day)
        SetChecked(weekly, DayBox(day), checked);
    settingDays_ = false;
}

// Checked when all the group's days are, unchecked when none is, grayed otherwise.
void TfrmAddSchedule::UpdateGroupBox(int boxId, int firstDay, int lastDay) {
    HWND weekly = PanelWindow(kWeekly);
    int checked = 0;
    for (int day = firstDay; day <= lastDay; ++day)
        checked += IsChecked(weekly, DayBox(day)) ? 1 : 0;
    const UINT state = checked == lastDay - firstDay + 1 ? BST_CHECKED
                       : checked == 0                    ? BST_UNCHECKED
                                                         : BST_INDETERMINATE;
    ::CheckDlgButton(weekly, boxId, state);
}

void TfrmAddSchedule::MonthOptionChanged() {
    HWND monthly = PanelWindow(kMonthly);
    const bool byDay = IsChecked(monthly, IDC_RB_MDAY);
    EnableControls(monthly, kDayFieldControls, byDay);
    EnableControls(monthly, kWeekDayControls, !byDay);
}

// The option's caption and the ordinals take the weekday's grammatical form.
void TfrmAddSchedule::WeekDayChanged() {
    HWND monthly = PanelWindow(kMonthly);
    const int weekDay = ListIndex(monthly, IDC_CB_MDAYW);
    const std::wstring caption = SchedulerTextLines(context_, L"rbMExecuteAt",
                                                    kDaysInWeek)[static_cast<std::size_t>(weekDay)];
    if (!caption.empty())
        ::SetDlgItemTextW(monthly, IDC_RB_MEXECUTE_AT, caption.c_str());
    const int ordinal = ListIndex(monthly, IDC_CB_MNOMB);
    FillList(
        monthly, IDC_CB_MNOMB,
        SchedulerTextLines(context_, L"cbMNomb_" + std::to_wstring(weekDay + 1), kOrdinalCount),
        ordinal);
}

bool RunTaskDialog(HWND owner, const SchedulerUiContext& context, TScheduleItem& task, bool isNew,
                   const std::wstring& preset) {
    try {
        TfrmAddSchedule dialog(context, task, isNew, preset);
        return dialog.Run(owner);
    } catch (...) {
        DiagLogCaught(L"RunTaskDialog");
        return false;
    }
}

} // namespace zt
