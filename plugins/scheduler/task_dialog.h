#pragma once
// TfrmAddSchedule: the task dialog (modal) for a new or a changed task. It holds the
// command, the start date and time, the type with its panel (every N days; every N weeks on
// chosen weekdays; monthly on a day or on the n-th weekday, in chosen months) and, through
// the options dialog, the end date and the repetition. GUI thread only.

#include <windows.h>

#include <memory>
#include <string>

#include "advanced_dialog.h"
#include "common/command_box.h"
#include "common/window_impl.h"
#include "scheduler_ui.h"

namespace zt {

class TfrmAddSchedule final : public DialogImpl<TfrmAddSchedule> {
public:
    // isNew: the command box starts with preset and task is only written on OK; otherwise
    // the controls start from task.
    TfrmAddSchedule(const SchedulerUiContext& context, TScheduleItem& task, bool isNew,
                    std::wstring preset);
    ~TfrmAddSchedule();

    // Modal; true on OK, with the task's fields written.
    bool Run(HWND owner);

private:
    friend class DialogImpl<TfrmAddSchedule>;
    class Panel;
    enum PanelIndex { kDaily, kWeekly, kMonthly, kPanelCount };

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Init();
    void CreatePanels();
    void SetDefaults();
    void Fill(const TScheduleItem& task);
    void Write(TScheduleItem& task) const;
    bool Command(int id, int code);

    void ShowPanel(int type);
    void TwoDigits(int editId);
    void WorkBoxClicked(int boxId, int firstDay, int lastDay);
    void UpdateGroupBox(int boxId, int firstDay, int lastDay);
    void MonthOptionChanged();
    void WeekDayChanged();

    HWND PanelWindow(PanelIndex index) const;

    const SchedulerUiContext& context_;
    TScheduleItem& task_;
    const bool isNew_;
    const std::wstring preset_;
    TaskOptions options_;
    TztCommandBox command_;
    std::unique_ptr<Panel> panels_[kPanelCount];
    // Set while code changes day boxes, whose own handlers then do nothing.
    bool settingDays_ = false;
};

} // namespace zt
