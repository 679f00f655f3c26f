#pragma once
// The Scheduler's windows as the plug-in object drives them: the list window (one,
// modeless) and the task dialog. GUI thread only.

#include <windows.h>

#include <functional>
#include <string>

#include "scheduler_engine.h"
#include "zentik/ztCmnd.h"

namespace zt {

// What the windows need of the plug-in. Every member must stay valid while a window is open.
struct SchedulerUiContext {
    TSchedulerEngine* engine = nullptr;
    // The host's command registry for the command picker (may be null: free text only).
    IztCmnd* cmnd = nullptr;
    // A text of the plug-in's language section (empty when missing).
    std::function<std::wstring(const wchar_t* key)> text;
    // Closing the list window saves the task list.
    std::function<void()> saveList;
    // The list window was destroyed (the plug-in trims the working set).
    std::function<void()> windowDestroyed;
};

// Creates the list window when it does not exist and shows it (modeless).
void ShowSchedulerWindow(const SchedulerUiContext& context);
bool SchedulerWindowOpen() noexcept;
// The list window's handle, or null.
HWND SchedulerWindowHandle() noexcept;
// Refills the list window's rows when it is open.
void RefillSchedulerWindow();
// Shows the list window, presses New with preset as the new task's command line, and puts
// the previous preset back after the dialog returns.
void SchedulerNewTask(const SchedulerUiContext& context, const std::wstring& preset);
// Destroys the list window (saving the list) when it is open; at plug-in finalisation.
void CloseSchedulerWindow();

// The task dialog, modal. isNew: task is a blank record filled on OK (its command box starts
// with preset); else the dialog starts from task. True on OK, with the fields written.
bool RunTaskDialog(HWND owner, const SchedulerUiContext& context, TScheduleItem& task, bool isNew,
                   const std::wstring& preset);

} // namespace zt
