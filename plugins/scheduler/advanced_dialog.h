#pragma once
// TfrmAdvanced: the options of a task (an end date, and a repetition every N minutes or
// hours until a time of day or for a duration), opened from the task dialog. GUI thread only.

#include <windows.h>

#include "common/datetime.h"
#include "common/window_impl.h"
#include "scheduler_ui.h"

namespace zt {

// What the options dialog shows. The task dialog keeps it from its start to its end.
struct TaskOptions {
    bool hasEndDate = false;
    DateTime endDate = 0;
    bool repeating = false;
    int every = 1; // 1..30000
    bool inMinutes = true;
    bool untilTime = false; // else for the duration
    int untilHour = 0;
    int untilMinute = 0;
    int durationHour = 1;
    int durationMinute = 0;
};

// The options of a new dialog: end date today, until-time now, every 1 minute, for 1:00.
TaskOptions DefaultTaskOptions(DateTime now);

class TfrmAdvanced final : public DialogImpl<TfrmAdvanced> {
public:
    TfrmAdvanced(const SchedulerUiContext& context, TaskOptions& options)
        : context_(context), options_(options) {}

    // Modal. OK writes the controls into the options; Cancel (or closing) leaves them as
    // they were, so the dialog opens with them again.
    bool Run(HWND owner);

private:
    friend class DialogImpl<TfrmAdvanced>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Init();
    void Show(const TaskOptions& options);
    TaskOptions Read() const;
    void UpdateEnabled();

    const SchedulerUiContext& context_;
    TaskOptions& options_;
};

} // namespace zt
