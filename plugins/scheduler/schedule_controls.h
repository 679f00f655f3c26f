#pragma once
// Small helpers shared by the Scheduler's windows: texts from the plug-in's language,
// up-down fields, date pickers, check boxes and drop-down lists. GUI thread only.

#include <windows.h>

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "common/control_texts.h"
#include "common/datetime.h"
#include "scheduler_ui.h"

namespace zt {

// A control whose hint comes from a key other than its name + "Hint" (the edit of an
// up-down pair shares the up-down's hint, for example).
struct TztControlHint {
    int id;
    const wchar_t* key;
};

// The context's texts for the control-text helpers.
ControlTextSource SchedulerTexts(const SchedulerUiContext& context);
// Exactly count lines of the text of key (missing lines are empty), so list positions stay
// valid whatever the language holds.
std::vector<std::wstring> SchedulerTextLines(const SchedulerUiContext& context,
                                             const std::wstring& key, std::size_t count);
// Sets the hints of the controls of parent from their keys.
void TranslateHints(HWND parent, std::span<const TztControlHint> hints,
                    const ControlTextSource& text);
// The window caption from key, when the language has it.
void TranslateCaption(HWND window, const SchedulerUiContext& context, const wchar_t* key);

// The local date and time now, to the second.
DateTime LocalDateTimeNow();
// The date part of a value (the value's day, without the time of day).
DateTime DateOf(DateTime value);

// Up-down fields (an up-down with its buddy edit): the range, and the value clamped to it
// (a text that is not a number reads as the lower bound).
void SetSpinRange(HWND dialog, int upDownId, int low, int high);
int SpinValue(HWND dialog, int upDownId);
void SetSpinValue(HWND dialog, int upDownId, int value);

// Date pickers: the date shown (time of day 0); a value outside the picker's years shows
// today instead.
DateTime PickerDate(HWND dialog, int pickerId);
void SetPickerDate(HWND dialog, int pickerId, DateTime date);

bool IsChecked(HWND dialog, int id);
void SetChecked(HWND dialog, int id, bool checked);

// Replaces the items of a drop-down list; the selection follows selected when in range.
void FillList(HWND dialog, int comboId, const std::vector<std::wstring>& lines, int selected);
// The selected position, or 0 when none.
int ListIndex(HWND dialog, int comboId);
void SetListIndex(HWND dialog, int comboId, int index);

// Enables each control of ids that exists.
void EnableControls(HWND dialog, std::span<const int> ids, bool enabled);

} // namespace zt
