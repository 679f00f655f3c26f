#pragma once
// TFAlarm: the Scheduler's frame on the alarm page of the options dialog. A child dialog
// (component "FAlarm") put into the page panel "pnlAlarm" at 10, 135 pixels: the group box
// GBox with the buttons btnShed (opens the scheduler), btnSv (remembers the alarm command
// in the saved-events grid), btnFastSched (bold; pops up the fast-schedule menu pmFS) and
// the grid SvEv (name, command line; names are edited in place and unique, a double click
// on a command line edits it in place, Delete removes a row, a click puts the row's command
// line into the alarm command box "CBoxDoIt").
//
// The grid is read from the file "Events.sav" when the frame is made and written back
// ("name=value" lines, CR LF, UTF-8) when it changed, at SaveEvents and when the frame's
// window is destroyed (with the dialog, or by the object's destructor).
//
// The command box belongs to the options library: the frame only reads its text
// (GetWindowText) and sets it (SetWindowText, which the picker notices as any change).
// GUI thread only.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/handles.h"
#include "common/window_impl.h"
#include "events_file.h"
#include "scheduler_engine.h"

namespace zt {

struct AlarmFrameContext {
    // Fast-schedule items insert their task here (listChanged refills the list window).
    TSchedulerEngine* engine = nullptr;
    // A text of the plug-in's language section (empty when missing).
    std::function<std::wstring(const wchar_t* key)> text;
    // btnShed.
    std::function<void()> showScheduler;
    // N_Shed: the new-task dialog with command as its command line.
    std::function<void(const std::wstring& command)> newTask;
    // Full path of "Events.sav".
    std::wstring eventsFile;
};

class TFAlarm final : public DialogImpl<TFAlarm> {
public:
    explicit TFAlarm(AlarmFrameContext context);
    // Destroys the frame's window if it is still there (saving the grid).
    ~TFAlarm();

    // Creates the frame in the panel "pnlAlarm" of the setup dialog and keeps the command
    // box "CBoxDoIt" (which may be missing); false, and no frame, without the panel.
    bool Attach(HWND setupDialog);

    HWND CommandBox() const noexcept { return commandBox_; }
    // The pmFS menu (its popup).
    HMENU FastScheduleMenu() const noexcept;
    std::vector<SavedEvent> Events() const;
    // Writes the grid to the events file when it changed since it was read or written;
    // false when that failed.
    bool SaveEvents();

private:
    friend class DialogImpl<TFAlarm>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void InitFrame();
    void Translate();
    void LoadEvents();
    void AddRow(const SavedEvent& event);
    void OnCommand(int id);
    INT_PTR OnNotify(const NMHDR& header);
    bool NameTaken(const std::wstring& name, int except) const;
    std::wstring CommandText() const;
    void SetCommandText(const std::wstring& text);
    void PopUpFastMenu();
    void FastSchedule(int minutes);
    // The in-place editor of a command line: Enter or leaving it keeps the text, Escape not.
    void BeginValueEdit(int row);
    void EndValueEdit(bool keep);
    static LRESULT CALLBACK ValueEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR data);

    AlarmFrameContext context_;
    HWND commandBox_ = nullptr;
    HWND grid_ = nullptr;
    HWND valueEdit_ = nullptr;
    int valueRow_ = -1;
    UniqueMenu menu_;
    UniqueFont boldFont_;
    bool dirty_ = false;
};

// The frame for a setup dialog, or null when the dialog has no alarm panel.
std::unique_ptr<TFAlarm> AttachAlarmFrame(HWND setupDialog, AlarmFrameContext context);

} // namespace zt
