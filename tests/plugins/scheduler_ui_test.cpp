// The Scheduler's windows on real windows: the task dialog's control rules and the fields it
// writes, the options dialog's Cancel, the list window's buttons and rows, and
// SchedulerNewTask. The engine runs on a fixed clock with nothing armed; texts come from a
// small table. Modal dialogs are driven from inside their own message loops by a script of
// steps on a thread timer, each waiting (with a time limit) for its dialog to show.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/component_name.h"
#include "common/dialog_keys.h"
#include "common/window_text.h"
#include "plugins/scheduler/scheduler_ui.h"
#include "plugins/scheduler/task_description.h"
#include "support/pump.h"
#include "zentik/ztZentikInterface.h"

namespace zt {
namespace {

using test::PumpUntil;

constexpr DWORD kStepTimeoutMs = 10000;

// ---- Texts ---------------------------------------------------------------------------

std::wstring Lines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const std::wstring& line : lines)
        text += (text.empty() ? L"" : L"\r\n") + line;
    return text;
}

// The ordinals of weekday w (1..7): "1st-w" ... "last-w", so each weekday's list differs.
std::vector<std::wstring> Ordinals(int weekDay) {
    std::vector<std::wstring> lines;
    for (const wchar_t* ordinal : {L"1st", L"2nd", L"3rd", L"4th", L"last"})
        lines.push_back(std::wstring(ordinal) + L"-" + std::to_wstring(weekDay));
    return lines;
}

const std::map<std::wstring, std::wstring>& TextTable() {
    static const std::map<std::wstring, std::wstring> table = [] {
        std::map<std::wstring, std::wstring> texts{
            {L"cbSTaskType", Lines({L"Once", L"Daily", L"Weekly", L"Monthly"})},
            {L"cbMDayW", Lines({L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat", L"Sun"})},
            {L"rbMExecuteAt", Lines({L"Every(Mon)", L"Every(Tue)", L"Every(Wed)", L"Every(Thu)",
                                     L"Every(Fri)", L"Every(Sat)", L"Every(Sun)"})},
            {L"cbMinHour", Lines({L"minutes", L"hours"})},
            {L"rsWords", Lines({L"At", L"from", L"to", L"until", L"for", L" day", L"week"})},
            {L"rsDayWeek", Lines({L"every day.", L" Monday", L" Tuesday", L" Wednesday",
                                  L" Thursday", L" Friday", L" Saturday", L" Sunday", L"on"})},
            {L"rsMonth",
             Lines({L", every month.", L" Jan,", L" Feb,", L" Mar,", L" Apr,", L" May,", L" Jun,",
                    L" Jul,", L" Aug,", L" Sep,", L" Oct,", L" Nov,", L" Dec,"})},
            {L"rbMDay", L"Every"},
            {L"rbMWeek", L"Every"},
            {L"rsEveryF", L"Every"},
            {L"rsHourF", L"hours"},
            {L"rsMinF", L"minutes"},
            {L"task", L"Command"},
            {L"time", L"When"},
            {L"btnNew", L"New task"},
        };
        for (int day = 1; day <= 7; ++day)
            texts[L"cbMNomb_" + std::to_wstring(day)] = Lines(Ordinals(day));
        return texts;
    }();
    return table;
}

std::wstring Text(const wchar_t* key) {
    const auto found = TextTable().find(key);
    return found == TextTable().end() ? std::wstring() : found->second;
}

std::vector<std::wstring> TextLines(const wchar_t* key) {
    return SplitTextLines(Text(key));
}

// ---- Time ----------------------------------------------------------------------------

DateTime Today() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return EncodeDate(now.wYear, now.wMonth, now.wDay);
}

// The local date and the minute of the day, read together.
std::pair<DateTime, int> DayAndMinute() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {EncodeDate(now.wYear, now.wMonth, now.wDay), now.wHour * 60 + now.wMinute};
}

DateTime At(DateTime date, int hour, int minute) {
    return date + EncodeTime(hour, minute, 0, 0);
}

// ---- Controls ------------------------------------------------------------------------

HWND Find(HWND dialog, const wchar_t* name) {
    HWND control = FindComponent(dialog, name);
    EXPECT_NE(control, nullptr) << "no control named " << std::string(name, name + wcslen(name));
    return control;
}

void Click(HWND dialog, const wchar_t* name) {
    ::SendMessageW(Find(dialog, name), BM_CLICK, 0, 0);
}

// For a button whose click opens or ends a modal dialog: the click happens in the loop.
void PostClick(HWND dialog, const wchar_t* name) {
    ::PostMessageW(Find(dialog, name), BM_CLICK, 0, 0);
}

UINT CheckState(HWND dialog, const wchar_t* name) {
    return static_cast<UINT>(::SendMessageW(Find(dialog, name), BM_GETCHECK, 0, 0));
}

bool Checked(HWND dialog, const wchar_t* name) {
    return CheckState(dialog, name) == BST_CHECKED;
}

bool Enabled(HWND dialog, const wchar_t* name) {
    return ::IsWindowEnabled(Find(dialog, name)) != FALSE;
}

// Selects item index of a drop-down list as the user does (the owner hears CBN_SELCHANGE).
void Choose(HWND dialog, const wchar_t* name, int index) {
    HWND combo = Find(dialog, name);
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageW(::GetParent(combo), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
}

int Chosen(HWND dialog, const wchar_t* name) {
    return static_cast<int>(::SendMessageW(Find(dialog, name), CB_GETCURSEL, 0, 0));
}

std::vector<std::wstring> Items(HWND dialog, const wchar_t* name) {
    HWND combo = Find(dialog, name);
    std::vector<std::wstring> items;
    const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

// An up-down field's value, and setting it as the arrows do.
int Spin(HWND dialog, const wchar_t* upDown) {
    return static_cast<int>(::SendMessageW(Find(dialog, upDown), UDM_GETPOS32, 0, 0));
}

void SetSpin(HWND dialog, const wchar_t* upDown, int value) {
    ::SendMessageW(Find(dialog, upDown), UDM_SETPOS32, 0, value);
}

DateTime PickerDate(HWND dialog, const wchar_t* name) {
    SYSTEMTIME time{};
    ::SendMessageW(Find(dialog, name), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    return EncodeDate(time.wYear, time.wMonth, time.wDay);
}

// Types text into the command box's edit field.
void TypeCommand(HWND dialog, const std::wstring& text) {
    HWND edit = ::FindWindowExW(Find(dialog, L"cbTask"), nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t c : text)
        ::SendMessageW(edit, WM_CHAR, c, 0);
}

std::wstring CommandText(HWND dialog) {
    return WindowText(Find(dialog, L"cbTask"));
}

// ---- Driving modal dialogs -----------------------------------------------------------

// The visible, enabled top-level window of this thread that holds the component, or null
// (a dialog that opened another modal one is disabled until it closes).
HWND DialogWith(const wchar_t* component) {
    struct Search {
        const wchar_t* component;
        HWND found = nullptr;
    } search{component};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* search = reinterpret_cast<Search*>(data);
            if (::IsWindowVisible(window) && ::IsWindowEnabled(window) &&
                FindComponent(window, search->component)) {
                search->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A component of each window the steps act on.
constexpr wchar_t kTaskDialog[] = L"cbSTaskType";
constexpr wchar_t kOptionsDialog[] = L"cbRepeatTask";

// Steps run one after another from a 10 ms thread timer, so they run inside whatever
// message loop this thread is in (a modal dialog's, or a nested one's). Each waits until a
// dialog holding its component shows, then acts on it. A step that does not find its
// dialog in time fails the test and every dialog of the thread is cancelled, so the code
// under test returns.
class DialogScript {
public:
    using Action = std::function<void(HWND dialog)>;

    DialogScript() {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 10, &DialogScript::Tick);
    }
    ~DialogScript() {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    DialogScript& On(const wchar_t* component, Action action) {
        steps_.push_back({component, std::move(action)});
        return *this;
    }
    bool Done() const { return next_ == steps_.size() && !failed_; }

private:
    struct Step {
        const wchar_t* component;
        Action action;
    };

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (current_)
            current_->Advance();
    }

    void Advance() {
        if (failed_) {
            CancelAll();
            return;
        }
        if (next_ == steps_.size())
            return;
        if (stepStart_ == 0)
            stepStart_ = ::GetTickCount64();
        const Step& step = steps_[next_];
        if (HWND dialog = DialogWith(step.component)) {
            // Counted first: the action may open a nested loop that runs the next steps.
            ++next_;
            stepStart_ = 0;
            step.action(dialog);
            return;
        }
        if (::GetTickCount64() - stepStart_ > kStepTimeoutMs) {
            ADD_FAILURE() << "step " << next_ << " found no dialog";
            failed_ = true;
            CancelAll();
        }
    }

    static void CancelAll() {
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND window, LPARAM) -> BOOL {
                if (::IsWindowVisible(window))
                    ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                return TRUE;
            },
            0);
    }

    static inline DialogScript* current_ = nullptr;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    ULONGLONG stepStart_ = 0;
    bool failed_ = false;
    UINT_PTR timer_ = 0;
};

// ---- Fixture -------------------------------------------------------------------------

class SchedulerWindowsTest : public ::testing::Test {
protected:
    SchedulerWindowsTest()
        : engine_(SchedulerPlatform{[this] { return now_; },
                                    [](int) {},
                                    [](const std::wstring&, const std::wstring&) {},
                                    {}}) {
        context_.engine = &engine_;
        context_.text = [](const wchar_t* key) { return Text(key); };
        context_.saveList = [this] { ++saves_; };
        context_.windowDestroyed = [this] { ++destroyed_; };
    }

    static void SetUpTestSuite() {
        // The list window starts at its default place.
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER,
                             (std::wstring(ZT_PLUGINS_REGISTRY_KEY) + L"Scheduler.Zentik").c_str(),
                             L"ListLeft");
    }

    void TearDown() override {
        CloseSchedulerWindow();
        EXPECT_FALSE(SchedulerWindowOpen());
    }

    // The task dialog on task, driven by script; true on OK.
    bool RunDialog(TScheduleItem& task, bool isNew, DialogScript& script,
                   const std::wstring& preset = L"") {
        const bool ok = RunTaskDialog(nullptr, context_, task, isNew, preset);
        EXPECT_TRUE(script.Done());
        return ok;
    }

    // A one-time task tomorrow at hour:minute, in the list.
    TScheduleItem* AddTask(const std::wstring& cmnd, int hour, int minute) {
        auto task = std::make_unique<TScheduleItem>();
        task->Cmnd = cmnd;
        task->StartTime = At(Today() + 1, hour, minute);
        task->NextRun = task->StartTime;
        TScheduleItem* raw = task.get();
        return engine_.InsertTask(std::move(task)) ? raw : nullptr;
    }

    // The list window's rows: command, description.
    std::vector<std::pair<std::wstring, std::wstring>> Rows() const {
        std::vector<std::pair<std::wstring, std::wstring>> rows;
        HWND list = FindComponent(SchedulerWindowHandle(), L"LV");
        const int count = list ? ListView_GetItemCount(list) : 0;
        for (int row = 0; row < count; ++row) {
            wchar_t command[256] = {};
            wchar_t description[512] = {};
            ListView_GetItemText(list, row, 0, command, 256);
            ListView_GetItemText(list, row, 1, description, 512);
            rows.emplace_back(command, description);
        }
        return rows;
    }

    void SelectRow(int row) {
        HWND list = FindComponent(SchedulerWindowHandle(), L"LV");
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
    }

    bool ListButton(const wchar_t* name) const {
        return ::IsWindowEnabled(FindComponent(SchedulerWindowHandle(), name)) != FALSE;
    }

    // Dispatches as the clock's loop does (dialog keys first) until done().
    static bool PumpWindowUntil(const std::function<bool()>& done) {
        return PumpUntil(done, kStepTimeoutMs,
                         [](MSG& message) { return HandleDialogKeys(message); });
    }

    DateTime now_ = Today() + EncodeTime(0, 30, 0, 0);
    TSchedulerEngine engine_;
    SchedulerUiContext context_;
    int saves_ = 0;
    int destroyed_ = 0;
};

// ---- The task dialog's rules ---------------------------------------------------------

using TaskDialogRulesTest = SchedulerWindowsTest;

TEST_F(TaskDialogRulesTest, ChoosingATypeShowsOnlyItsPanel) {
    DialogScript script;
    script.On(kTaskDialog, [](HWND dialog) {
        const wchar_t* panels[] = {L"pDaily", L"pWeekly", L"pMonthly"};
        for (int type = 0; type < 4; ++type) {
            Choose(dialog, L"cbSTaskType", type);
            for (int panel = 0; panel < 3; ++panel)
                EXPECT_EQ(::IsWindowVisible(Find(dialog, panels[panel])) != FALSE,
                          panel + 1 == type)
                    << "type " << type << ", panel " << panel;
        }
        PostClick(dialog, L"btnCancel");
    });
    TScheduleItem task;
    EXPECT_FALSE(RunDialog(task, true, script));
}

TEST_F(TaskDialogRulesTest, WorkDayBoxFollowsTheFiveDays) {
    DialogScript script;
    script.On(kTaskDialog, [](HWND dialog) {
        Choose(dialog, L"cbSTaskType", sttWeekly);
        Click(dialog, L"cbMWork"); // grayed or unchecked at first: checks all five
        EXPECT_EQ(CheckState(dialog, L"cbMWork"), BST_CHECKED);
        for (const wchar_t* day : {L"cbMMon", L"cbMTue", L"cbMWed", L"cbMThu", L"cbMFri"}) {
            EXPECT_TRUE(Checked(dialog, day));
            Click(dialog, day);
        }
        EXPECT_EQ(CheckState(dialog, L"cbMWork"), BST_UNCHECKED);
        Click(dialog, L"cbMMon");
        Click(dialog, L"cbMThu");
        EXPECT_EQ(CheckState(dialog, L"cbMWork"), BST_INDETERMINATE);
        Click(dialog, L"cbMWork");
        EXPECT_EQ(CheckState(dialog, L"cbMWork"), BST_CHECKED);
        for (const wchar_t* day : {L"cbMMon", L"cbMTue", L"cbMWed", L"cbMThu", L"cbMFri"})
            EXPECT_TRUE(Checked(dialog, day));
        Click(dialog, L"cbMWork");
        for (const wchar_t* day : {L"cbMMon", L"cbMTue", L"cbMWed", L"cbMThu", L"cbMFri"})
            EXPECT_FALSE(Checked(dialog, day));
        PostClick(dialog, L"btnCancel");
    });
    TScheduleItem task;
    RunDialog(task, true, script);
}

TEST_F(TaskDialogRulesTest, HolidayBoxFollowsTheWeekend) {
    DialogScript script;
    script.On(kTaskDialog, [](HWND dialog) {
        Choose(dialog, L"cbSTaskType", sttWeekly);
        Click(dialog, L"cbMHol");
        EXPECT_EQ(CheckState(dialog, L"cbMHol"), BST_CHECKED);
        EXPECT_TRUE(Checked(dialog, L"cbMSut"));
        EXPECT_TRUE(Checked(dialog, L"cbMSun"));
        Click(dialog, L"cbMSut");
        EXPECT_EQ(CheckState(dialog, L"cbMHol"), BST_INDETERMINATE);
        Click(dialog, L"cbMSun");
        EXPECT_EQ(CheckState(dialog, L"cbMHol"), BST_UNCHECKED);
        Click(dialog, L"cbMHol");
        EXPECT_TRUE(Checked(dialog, L"cbMSut"));
        EXPECT_TRUE(Checked(dialog, L"cbMSun"));
        PostClick(dialog, L"btnCancel");
    });
    TScheduleItem task;
    RunDialog(task, true, script);
}

TEST_F(TaskDialogRulesTest, ChoosingWednesdayTakesItsCaptionAndOrdinalsKeepingThePosition) {
    DialogScript script;
    script.On(kTaskDialog, [](HWND dialog) {
        Choose(dialog, L"cbSTaskType", sttMonthly);
        EXPECT_EQ(WindowText(Find(dialog, L"rbMExecuteAt")), L"Every(Mon)");
        EXPECT_EQ(Items(dialog, L"cbMNomb"), Ordinals(1));
        Click(dialog, L"rbMExecuteAt");
        Choose(dialog, L"cbMNomb", 2);
        Choose(dialog, L"cbMDayW", 2);
        EXPECT_EQ(WindowText(Find(dialog, L"rbMExecuteAt")), L"Every(Wed)");
        EXPECT_EQ(Items(dialog, L"cbMNomb"), Ordinals(3));
        EXPECT_EQ(Chosen(dialog, L"cbMNomb"), 2);
        PostClick(dialog, L"btnCancel");
    });
    TScheduleItem task;
    RunDialog(task, true, script);
}

TEST_F(TaskDialogRulesTest, MonthlyOptionsEnableTheirOwnFields) {
    DialogScript script;
    script.On(kTaskDialog, [](HWND dialog) {
        Choose(dialog, L"cbSTaskType", sttMonthly);
        EXPECT_TRUE(Checked(dialog, L"rbMDay"));
        EXPECT_TRUE(Enabled(dialog, L"udMMonth"));
        EXPECT_FALSE(Enabled(dialog, L"cbMNomb"));
        EXPECT_FALSE(Enabled(dialog, L"cbMDayW"));
        Click(dialog, L"rbMExecuteAt");
        EXPECT_FALSE(Checked(dialog, L"rbMDay"));
        EXPECT_FALSE(Enabled(dialog, L"udMMonth"));
        EXPECT_TRUE(Enabled(dialog, L"cbMNomb"));
        EXPECT_TRUE(Enabled(dialog, L"cbMDayW"));
        PostClick(dialog, L"btnCancel");
    });
    TScheduleItem task;
    RunDialog(task, true, script);
}

TEST_F(TaskDialogRulesTest, OneTypedDigitGetsALeadingZero) {
    DialogScript script;
    script.On(kTaskDialog, [](HWND dialog) {
        HWND hour = Find(dialog, L"edtStartHour");
        ::SendMessageW(hour, EM_SETSEL, 0, -1);
        ::SendMessageW(hour, WM_CHAR, L'7', 0);
        EXPECT_EQ(WindowText(hour), L"07");
        ::SendMessageW(hour, WM_CHAR, L'9', 0);
        EXPECT_EQ(WindowText(hour), L"79");
        SetSpin(dialog, L"udStartMin", 5);
        EXPECT_EQ(WindowText(Find(dialog, L"edtStartMin")), L"05");
        PostClick(dialog, L"btnOk");
    });
    TScheduleItem task;
    ASSERT_TRUE(RunDialog(task, true, script));
    EXPECT_EQ(DecodeDateTime(task.StartTime).hour, 23); // 79 is past the range
}

TEST_F(TaskDialogRulesTest, OptionsEnableTheirFieldsByTheBoxesAndOptions) {
    DialogScript script;
    script.On(kTaskDialog, [](HWND dialog) { PostClick(dialog, L"btnAdv"); })
        .On(kOptionsDialog,
            [](HWND options) {
                EXPECT_FALSE(Enabled(options, L"edtEndDate"));
                for (const wchar_t* name : {L"udEveryHM", L"cbMinHour", L"rbTime", L"rbDuration",
                                            L"udTHour", L"udTMin", L"udDHour", L"udDMin"})
                    EXPECT_FALSE(Enabled(options, name)) << "with no repetition";
                Click(options, L"cbEndDate");
                EXPECT_TRUE(Enabled(options, L"edtEndDate"));
                Click(options, L"cbRepeatTask");
                for (const wchar_t* name :
                     {L"udEveryHM", L"cbMinHour", L"rbTime", L"rbDuration", L"udDHour", L"udDMin"})
                    EXPECT_TRUE(Enabled(options, name)) << "repeating for a duration";
                EXPECT_FALSE(Enabled(options, L"udTHour"));
                EXPECT_FALSE(Enabled(options, L"udTMin"));
                Click(options, L"rbTime");
                EXPECT_TRUE(Enabled(options, L"udTHour"));
                EXPECT_TRUE(Enabled(options, L"udTMin"));
                EXPECT_FALSE(Enabled(options, L"udDHour"));
                EXPECT_FALSE(Enabled(options, L"udDMin"));
                PostClick(options, L"btnCancel");
            })
        .On(kTaskDialog, [](HWND dialog) { PostClick(dialog, L"btnCancel"); });
    TScheduleItem task;
    RunDialog(task, true, script);
}

TEST_F(TaskDialogRulesTest, OptionsCancelPutsBackWhatTheyShowedWhenOpened) {
    int untilHour = -1;
    DialogScript script;
    script.On(kTaskDialog, [](HWND dialog) { PostClick(dialog, L"btnAdv"); })
        .On(kOptionsDialog,
            [&](HWND options) {
                untilHour = Spin(options, L"udTHour");
                EXPECT_EQ(Spin(options, L"udEveryHM"), 1);
                EXPECT_TRUE(Checked(options, L"rbDuration"));
                EXPECT_EQ(Spin(options, L"udDHour"), 1);
                EXPECT_EQ(Spin(options, L"udDMin"), 0);
                Click(options, L"cbEndDate");
                Click(options, L"cbRepeatTask");
                SetSpin(options, L"udEveryHM", 5);
                Choose(options, L"cbMinHour", 1);
                Click(options, L"rbTime");
                SetSpin(options, L"udTHour", 18);
                SetSpin(options, L"udDHour", 3);
                PostClick(options, L"btnCancel");
            })
        .On(kTaskDialog, [](HWND dialog) { PostClick(dialog, L"btnAdv"); })
        .On(kOptionsDialog,
            [&](HWND options) {
                EXPECT_FALSE(Checked(options, L"cbEndDate"));
                EXPECT_FALSE(Checked(options, L"cbRepeatTask"));
                EXPECT_EQ(Spin(options, L"udEveryHM"), 1);
                EXPECT_EQ(Chosen(options, L"cbMinHour"), 0);
                EXPECT_TRUE(Checked(options, L"rbDuration"));
                EXPECT_FALSE(Checked(options, L"rbTime"));
                EXPECT_EQ(Spin(options, L"udTHour"), untilHour);
                EXPECT_EQ(Spin(options, L"udDHour"), 1);
                PostClick(options, L"btnCancel");
            })
        .On(kTaskDialog, [](HWND dialog) {
            Choose(dialog, L"cbSTaskType", sttDaily);
            PostClick(dialog, L"btnOk");
        });
    TScheduleItem task;
    ASSERT_TRUE(RunDialog(task, true, script));
    EXPECT_FALSE(task.HasOptions);
}

// ---- What OK writes ------------------------------------------------------------------

using TaskDialogOkTest = SchedulerWindowsTest;

TEST_F(TaskDialogOkTest, OnceTaskRunsAtItsStart) {
    DialogScript script;
    script.On(kTaskDialog, [](HWND dialog) {
        TypeCommand(dialog, L"zt_ShowHideClock");
        Click(dialog, L"btnTomorrow");
        SetSpin(dialog, L"udStartHour", 7);
        SetSpin(dialog, L"udStartMin", 5);
        PostClick(dialog, L"btnOk");
    });
    TScheduleItem task;
    ASSERT_TRUE(RunDialog(task, true, script));
    EXPECT_EQ(task.Cmnd, L"zt_ShowHideClock");
    EXPECT_EQ(task.TaskType, sttOnce);
    EXPECT_EQ(task.StartTime, At(Today() + 1, 7, 5));
    EXPECT_EQ(task.NextRun, task.StartTime);
    EXPECT_FALSE(task.HasOptions);
}

TEST_F(TaskDialogOkTest, DailyTaskStartsItsSearchFromZeroWithItsOptions) {
    DialogScript script;
    script
        .On(kTaskDialog,
            [](HWND dialog) {
                Choose(dialog, L"cbSTaskType", sttDaily);
                SetSpin(dialog, L"udDDay", 3);
                SetSpin(dialog, L"udStartHour", 10);
                SetSpin(dialog, L"udStartMin", 0);
                PostClick(dialog, L"btnAdv");
            })
        .On(kOptionsDialog,
            [](HWND options) {
                Click(options, L"cbRepeatTask");
                SetSpin(options, L"udEveryHM", 45);
                SetSpin(options, L"udDHour", 2);
                SetSpin(options, L"udDMin", 0);
                PostClick(options, L"btnOk");
            })
        .On(kTaskDialog, [](HWND dialog) { PostClick(dialog, L"btnOk"); });
    TScheduleItem task;
    ASSERT_TRUE(RunDialog(task, true, script));
    EXPECT_EQ(task.TaskType, sttDaily);
    EXPECT_EQ(task.Interval, 3);
    EXPECT_EQ(task.NextRun, 0);
    EXPECT_EQ(task.StartTime, At(Today(), 10, 0));
    EXPECT_TRUE(task.HasOptions);
    EXPECT_FALSE(task.HasEndDate);
    EXPECT_TRUE(task.Repeating);
    EXPECT_EQ(task.RepeatEvery, 45);
    EXPECT_TRUE(task.EveryInMinutes);
    EXPECT_FALSE(task.UntilTime);
    EXPECT_EQ(task.LimitHour, 2);
    EXPECT_EQ(task.LimitMinute, 0);
}

TEST_F(TaskDialogOkTest, WeeklyTaskTakesTheCheckedDaysAsBits) {
    DialogScript script;
    script.On(kTaskDialog, [](HWND dialog) {
        Choose(dialog, L"cbSTaskType", sttWeekly);
        SetSpin(dialog, L"udWWeek", 2);
        Click(dialog, L"cbMWork"); // all five on
        Click(dialog, L"cbMWork"); // all five off
        if (Checked(dialog, L"cbMSut"))
            Click(dialog, L"cbMSut");
        if (Checked(dialog, L"cbMSun"))
            Click(dialog, L"cbMSun");
        Click(dialog, L"cbMMon");
        Click(dialog, L"cbMFri");
        Click(dialog, L"cbMSun");
        PostClick(dialog, L"btnOk");
    });
    TScheduleItem task;
    ASSERT_TRUE(RunDialog(task, true, script));
    EXPECT_EQ(task.TaskType, sttWeekly);
    EXPECT_EQ(task.Interval, 2);
    EXPECT_EQ(task.WeekDays, (1 << 1) | (1 << 5) | (1 << 7));
    EXPECT_EQ(task.NextRun, 0);
}

TEST_F(TaskDialogOkTest, MonthlyTaskByWeekdayTakesOrdinalWeekdayAndMonths) {
    DialogScript script;
    script.On(kTaskDialog, [](HWND dialog) {
        Choose(dialog, L"cbSTaskType", sttMonthly);
        Click(dialog, L"rbMExecuteAt");
        Choose(dialog, L"cbMDayW", 6);
        Choose(dialog, L"cbMNomb", 4);
        Click(dialog, L"cbFeb");
        Click(dialog, L"cbDec");
        PostClick(dialog, L"btnOk");
    });
    TScheduleItem task;
    ASSERT_TRUE(RunDialog(task, true, script));
    EXPECT_EQ(task.TaskType, sttMonthly);
    EXPECT_FALSE(task.ByMonthDay);
    EXPECT_EQ(task.MonthDay, kLastWeekDayOrdinal);
    EXPECT_EQ(task.WeekDay, 7);
    EXPECT_EQ(task.Months(), kAllMonths & ~(1 << 2) & ~(1 << 12));
    EXPECT_EQ(task.NextRun, 0);
}

TEST_F(TaskDialogOkTest, MonthlyTaskByDayTakesTheDay) {
    DialogScript script;
    script.On(kTaskDialog, [](HWND dialog) {
        Choose(dialog, L"cbSTaskType", sttMonthly);
        SetSpin(dialog, L"udMMonth", 31);
        PostClick(dialog, L"btnOk");
    });
    TScheduleItem task;
    ASSERT_TRUE(RunDialog(task, true, script));
    EXPECT_TRUE(task.ByMonthDay);
    EXPECT_EQ(task.MonthDay, 31);
    EXPECT_EQ(task.Months(), kAllMonths);
}

TEST_F(TaskDialogOkTest, CancelLeavesTheTaskAlone) {
    TScheduleItem task;
    task.Cmnd = L"zt_CloseZentik";
    task.StartTime = At(Today() + 2, 9, 30);
    task.NextRun = task.StartTime;
    DialogScript script;
    script.On(kTaskDialog, [](HWND dialog) {
        Choose(dialog, L"cbSTaskType", sttDaily);
        TypeCommand(dialog, L"other");
        PostClick(dialog, L"btnCancel");
    });
    EXPECT_FALSE(RunDialog(task, false, script));
    EXPECT_EQ(task.Cmnd, L"zt_CloseZentik");
    EXPECT_EQ(task.TaskType, sttOnce);
    EXPECT_EQ(task.NextRun, task.StartTime);
}

// ---- Editing a task ------------------------------------------------------------------

TScheduleItem MonthlyWithOptions() {
    TScheduleItem task;
    task.Cmnd = L"ZT_ExecuteApp notepad.exe";
    task.StartTime = At(Today() + 3, 8, 15);
    task.TaskType = sttMonthly;
    task.ByMonthDay = false;
    task.MonthDay = 3;
    task.WeekDay = 3;
    task.SetMonths((1 << 1) | (1 << 6) | (1 << 11));
    task.HasOptions = true;
    task.HasEndDate = true;
    task.EndDate = Today() + 40;
    task.Repeating = true;
    task.RepeatEvery = 2;
    task.EveryInMinutes = false;
    task.UntilTime = true;
    task.LimitHour = 20;
    task.LimitMinute = 45;
    return task;
}

using TaskDialogEditTest = SchedulerWindowsTest;

TEST_F(TaskDialogEditTest, ControlsStartFromTheTask) {
    TScheduleItem task = MonthlyWithOptions();
    const DateTime endDate = task.EndDate;
    DialogScript script;
    script
        .On(kTaskDialog,
            [&](HWND dialog) {
                EXPECT_EQ(CommandText(dialog), L"ZT_ExecuteApp notepad.exe");
                EXPECT_EQ(Chosen(dialog, L"cbSTaskType"), sttMonthly);
                EXPECT_TRUE(::IsWindowVisible(Find(dialog, L"pMonthly")));
                EXPECT_EQ(PickerDate(dialog, L"edtStartDate"), Today() + 3);
                EXPECT_EQ(Spin(dialog, L"udStartHour"), 8);
                EXPECT_EQ(Spin(dialog, L"udStartMin"), 15);
                EXPECT_TRUE(Checked(dialog, L"rbMExecuteAt"));
                EXPECT_EQ(Chosen(dialog, L"cbMDayW"), 2);
                EXPECT_EQ(Chosen(dialog, L"cbMNomb"), 2);
                EXPECT_EQ(Items(dialog, L"cbMNomb"), Ordinals(3));
                EXPECT_EQ(WindowText(Find(dialog, L"rbMExecuteAt")), L"Every(Wed)");
                const wchar_t* months[] = {L"cbJan", L"cbFeb", L"cbMar", L"cbApr",
                                           L"cbMay", L"cbJun", L"cbJul", L"cbAug",
                                           L"cbSep", L"cbOct", L"cbNov", L"cbDec"};
                for (int month = 1; month <= 12; ++month)
                    EXPECT_EQ(Checked(dialog, months[month - 1]),
                              month == 1 || month == 6 || month == 11)
                        << "month " << month;
                PostClick(dialog, L"btnAdv");
            })
        .On(kOptionsDialog,
            [&](HWND options) {
                EXPECT_TRUE(Checked(options, L"cbEndDate"));
                EXPECT_EQ(PickerDate(options, L"edtEndDate"), endDate);
                EXPECT_TRUE(Checked(options, L"cbRepeatTask"));
                EXPECT_EQ(Spin(options, L"udEveryHM"), 2);
                EXPECT_EQ(Chosen(options, L"cbMinHour"), 1);
                EXPECT_TRUE(Checked(options, L"rbTime"));
                EXPECT_EQ(Spin(options, L"udTHour"), 20);
                EXPECT_EQ(Spin(options, L"udTMin"), 45);
                PostClick(options, L"btnCancel");
            })
        .On(kTaskDialog, [](HWND dialog) { PostClick(dialog, L"btnCancel"); });
    RunDialog(task, false, script);
}

// OK without a change writes back what the controls were filled with, for every kind of
// task: fill and write agree.
TEST_F(TaskDialogEditTest, OkWithoutChangesKeepsEveryKindOfTask) {
    std::vector<TScheduleItem> tasks;
    TScheduleItem once;
    once.Cmnd = L"zt_ShowHideClock";
    once.StartTime = At(Today() + 1, 23, 59);
    once.HasOptions = true;
    once.Repeating = true;
    once.RepeatEvery = 30000;
    once.EveryInMinutes = true;
    once.UntilTime = false;
    once.LimitHour = 0;
    once.LimitMinute = 59;
    tasks.push_back(once);
    TScheduleItem daily;
    daily.Cmnd = L"pm_TalkTime";
    daily.StartTime = At(Today() - 10, 0, 0);
    daily.TaskType = sttDaily;
    daily.Interval = 100;
    tasks.push_back(daily);
    TScheduleItem weekly;
    weekly.Cmnd = L"pm_TalkTime";
    weekly.StartTime = At(Today(), 12, 1);
    weekly.TaskType = sttWeekly;
    weekly.Interval = 4;
    weekly.WeekDays = (1 << 2) | (1 << 6) | (1 << 7);
    tasks.push_back(weekly);
    TScheduleItem byDay;
    byDay.Cmnd = L"pm_TalkTime";
    byDay.StartTime = At(Today(), 6, 0);
    byDay.TaskType = sttMonthly;
    byDay.ByMonthDay = true;
    byDay.MonthDay = 29;
    byDay.SetMonths(kAllMonths & ~(1 << 2));
    tasks.push_back(byDay);
    tasks.push_back(MonthlyWithOptions());

    for (const TScheduleItem& original : tasks) {
        SCOPED_TRACE(testing::Message() << "task type " << int(original.TaskType));
        TScheduleItem task = original;
        DialogScript script;
        script.On(kTaskDialog, [](HWND dialog) { PostClick(dialog, L"btnOk"); });
        ASSERT_TRUE(RunDialog(task, false, script));
        EXPECT_EQ(task.Cmnd, original.Cmnd);
        EXPECT_EQ(task.StartTime, original.StartTime);
        EXPECT_EQ(task.NextRun, original.TaskType == sttOnce ? original.StartTime : 0);
        EXPECT_EQ(task.TaskType, original.TaskType);
        EXPECT_EQ(task.Interval, original.Interval);
        EXPECT_EQ(task.WeekDays, original.WeekDays);
        EXPECT_EQ(task.ByMonthDay, original.ByMonthDay);
        EXPECT_EQ(task.MonthDay, original.MonthDay);
        EXPECT_EQ(task.WeekDay, original.WeekDay);
        EXPECT_EQ(task.HasOptions, original.HasOptions);
        EXPECT_EQ(task.HasEndDate, original.HasEndDate);
        if (original.HasEndDate) {
            EXPECT_EQ(task.EndDate, original.EndDate);
        }
        EXPECT_EQ(task.Repeating, original.Repeating);
        EXPECT_EQ(task.RepeatEvery, original.RepeatEvery);
        EXPECT_EQ(task.EveryInMinutes, original.EveryInMinutes);
        EXPECT_EQ(task.UntilTime, original.UntilTime);
        EXPECT_EQ(task.LimitHour, original.LimitHour);
        EXPECT_EQ(task.LimitMinute, original.LimitMinute);
    }
}

// ---- The list window -----------------------------------------------------------------

using SchedulerListTest = SchedulerWindowsTest;

TEST_F(SchedulerListTest, ChangeAndDeleteNeedASelectedRow) {
    ASSERT_NE(AddTask(L"pm_TalkTime", 10, 0), nullptr);
    ShowSchedulerWindow(context_);
    ASSERT_TRUE(SchedulerWindowOpen());
    EXPECT_EQ(WindowText(FindComponent(SchedulerWindowHandle(), L"btnNew")), L"New task");
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_TRUE(ListButton(L"btnNew"));
    EXPECT_FALSE(ListButton(L"btnChange"));
    EXPECT_FALSE(ListButton(L"btnDelete"));
    SelectRow(0);
    EXPECT_TRUE(ListButton(L"btnChange"));
    EXPECT_TRUE(ListButton(L"btnDelete"));
}

TEST_F(SchedulerListTest, NewTaskAddsARowWithItsDescription) {
    ShowSchedulerWindow(context_);
    DialogScript script;
    script.On(kTaskDialog, [](HWND dialog) {
        TypeCommand(dialog, L"zt_ShowHideClock");
        Click(dialog, L"btnTomorrow");
        SetSpin(dialog, L"udStartHour", 9);
        SetSpin(dialog, L"udStartMin", 30);
        PostClick(dialog, L"btnOk");
    });
    PostClick(SchedulerWindowHandle(), L"btnNew");
    ASSERT_TRUE(PumpWindowUntil([&] { return script.Done() && Rows().size() == 1; }));

    ASSERT_EQ(engine_.List().Count(), 1u);
    const TScheduleItem& task = *engine_.List().First();
    EXPECT_EQ(task.NextRun, At(Today() + 1, 9, 30));
    TaskDescriptionTexts texts;
    texts.words = TextLines(L"rsWords");
    texts.dayWeek = TextLines(L"rsDayWeek");
    texts.months = TextLines(L"rsMonth");
    const auto shortDate = [](DateTime value) {
        const LocalTime t = DecodeDateTime(value);
        SYSTEMTIME time{};
        time.wYear = t.year;
        time.wMonth = t.month;
        time.wDay = t.day;
        wchar_t text[64] = {};
        ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, text, 64,
                          nullptr);
        return std::wstring(text);
    };
    wchar_t separator[8] = {};
    ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDATE, separator, 8);
    texts.dateSeparator = separator[0];
    EXPECT_EQ(Rows()[0].first, L"zt_ShowHideClock");
    EXPECT_EQ(Rows()[0].second, DescribeTask(task, texts, shortDate));
}

TEST_F(SchedulerListTest, DoubleClickChangesTheTaskAndItsPlace) {
    TScheduleItem* first = AddTask(L"first", 10, 0);
    ASSERT_NE(AddTask(L"second", 11, 0), nullptr);
    ShowSchedulerWindow(context_);
    SelectRow(0);
    DialogScript script;
    script.On(kTaskDialog, [](HWND dialog) {
        EXPECT_EQ(CommandText(dialog), L"first");
        SetSpin(dialog, L"udStartHour", 12);
        PostClick(dialog, L"btnOk");
    });
    HWND list = FindComponent(SchedulerWindowHandle(), L"LV");
    NMITEMACTIVATE click{};
    click.hdr.hwndFrom = list;
    click.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(list));
    click.hdr.code = NM_DBLCLK;
    click.iItem = 0;
    ::SendMessageW(SchedulerWindowHandle(), WM_NOTIFY, click.hdr.idFrom,
                   reinterpret_cast<LPARAM>(&click));
    EXPECT_TRUE(script.Done());
    ASSERT_EQ(Rows().size(), 2u);
    EXPECT_EQ(Rows()[0].first, L"second");
    EXPECT_EQ(Rows()[1].first, L"first");
    EXPECT_EQ(engine_.List().First()->next, first);
    EXPECT_EQ(first->NextRun, At(Today() + 1, 12, 0));
}

TEST_F(SchedulerListTest, DeleteRemovesTheRowAndTheTask) {
    ASSERT_NE(AddTask(L"first", 10, 0), nullptr);
    ASSERT_NE(AddTask(L"second", 11, 0), nullptr);
    ShowSchedulerWindow(context_);
    SelectRow(0);
    Click(SchedulerWindowHandle(), L"btnDelete");
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0].first, L"second");
    ASSERT_EQ(engine_.List().Count(), 1u);
    EXPECT_EQ(engine_.List().First()->Cmnd, L"second");
    EXPECT_FALSE(ListButton(L"btnDelete"));
}

TEST_F(SchedulerListTest, CloseSavesTheListAndDestroysTheWindow) {
    ShowSchedulerWindow(context_);
    Click(SchedulerWindowHandle(), L"btnClose");
    EXPECT_FALSE(SchedulerWindowOpen());
    EXPECT_EQ(saves_, 1);
    EXPECT_EQ(destroyed_, 1);
}

TEST_F(SchedulerListTest, EscapeCloses) {
    ShowSchedulerWindow(context_);
    HWND list = FindComponent(SchedulerWindowHandle(), L"LV");
    ::SetFocus(list);
    ::PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(PumpWindowUntil([] { return !SchedulerWindowOpen(); }));
    EXPECT_EQ(saves_, 1);
}

TEST_F(SchedulerListTest, TheWindowComesBackWhereItWasClosed) {
    ShowSchedulerWindow(context_);
    ::SetWindowPos(SchedulerWindowHandle(), nullptr, 40, 50, 700, 320,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    RECT before{};
    ::GetWindowRect(SchedulerWindowHandle(), &before);
    CloseSchedulerWindow();
    ShowSchedulerWindow(context_);
    RECT after{};
    ::GetWindowRect(SchedulerWindowHandle(), &after);
    EXPECT_TRUE(::EqualRect(&before, &after));
}

TEST_F(SchedulerListTest, NewTaskFromOutsidePresetsTheCommandOnce) {
    // The date and minute the dialog shows: those of its opening, read before and after it.
    std::pair<DateTime, int> before;
    DialogScript script;
    script.On(kTaskDialog, [&](HWND dialog) {
        EXPECT_EQ(CommandText(dialog), L"NU_Synchronize");
        const std::pair<DateTime, int> shown{PickerDate(dialog, L"edtStartDate"),
                                             Spin(dialog, L"udStartHour") * 60 +
                                                 Spin(dialog, L"udStartMin")};
        const std::pair<DateTime, int> after = DayAndMinute();
        EXPECT_TRUE(shown == before || shown == after)
            << shown.first << " " << shown.second << " at " << after.first << " " << after.second;
        PostClick(dialog, L"btnCancel");
    });
    before = DayAndMinute();
    SchedulerNewTask(context_, L"NU_Synchronize");
    EXPECT_TRUE(script.Done());
    ASSERT_TRUE(SchedulerWindowOpen());

    // The window's own preset is back: New shows an empty command.
    DialogScript again;
    again.On(kTaskDialog, [](HWND dialog) {
        EXPECT_EQ(CommandText(dialog), L"");
        PostClick(dialog, L"btnCancel");
    });
    PostClick(SchedulerWindowHandle(), L"btnNew");
    EXPECT_TRUE(PumpWindowUntil([&] { return again.Done(); }));
    EXPECT_EQ(engine_.List().Count(), 0u);
}

} // namespace
} // namespace zt
