#pragma once
// TfrmScheduler: the list of scheduled tasks (modeless, sizable tool window), one row per
// task with its command and a readable description of its rule and next run; New, Change,
// Delete and Close. There is at most one, reached through scheduler_ui.h. GUI thread only.

#include <windows.h>

#include <string>
#include <utility>

#include "common/window_impl.h"
#include "scheduler_ui.h"

namespace zt {

class TfrmScheduler final : public DialogImpl<TfrmScheduler> {
public:
    explicit TfrmScheduler(SchedulerUiContext context) : context_(std::move(context)) {}

    // Creates the window (hidden) at its remembered place; false on failure.
    bool Create();
    // Buttons from the selection, the first task's next run again, the rows refilled; shown.
    void Show();
    // The rows again from the task list (which is armed first).
    void Refill();
    // btnNew: the new-task dialog with the window's preset command line; on OK the task is
    // inserted. False when the window was destroyed meanwhile (this object is then gone).
    bool NewTask();
    // btnNew with preset in place of the window's preset, which is put back afterwards.
    bool NewTaskWith(const std::wstring& preset);
    // Saves the list and destroys the window (and this object).
    void Close();

private:
    friend class DialogImpl<TfrmScheduler>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnFinalMessage();
    void Init();
    void Layout();
    void MinimumSize(MINMAXINFO& info) const;
    bool Notify(const NMHDR& header);
    void UpdateButtons();
    TScheduleItem* SelectedTask() const;
    int SelectedRow() const;
    // Runs the task dialog; false when the window went away meanwhile (this deleted).
    bool RunDialog(TScheduleItem& task, bool isNew, const std::wstring& preset, bool& ok);
    bool ChangeTask();
    void DeleteTask();
    void SavePlacement() const;
    void RestorePlacement();

    SchedulerUiContext context_;
    std::wstring preset_;
    HWND list_ = nullptr;
    // Nested task dialogs running; the object outlives its window until they return.
    int dialogs_ = 0;
    bool orphaned_ = false;
};

} // namespace zt
