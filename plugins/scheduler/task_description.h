#pragma once
// The readable description of a task shown in the scheduler's list, built from the
// plug-in's language texts.

#include <functional>
#include <string>
#include <vector>

#include "schedule_item.h"

namespace zt {

// The texts the description uses; lists hold one entry per line of their key.
struct TaskDescriptionTexts {
    std::vector<std::wstring> words;       // "rsWords": W0 ... W6
    std::vector<std::wstring> dayWeek;     // "rsDayWeek": all days, Monday ... Sunday, lead-in
    std::vector<std::wstring> months;      // "rsMonth": all months, January ... December
    std::vector<std::wstring> executeAt;   // "rbMExecuteAt": one line per weekday
    std::vector<std::wstring> ordinals[7]; // "cbMNomb_1" ... "cbMNomb_7"
    std::wstring monthDay;                 // "rbMDay"
    std::wstring week;                     // "rbMWeek"
    std::wstring every;                    // "rsEveryF"
    std::wstring hours;                    // "rsHourF"
    std::wstring minutes;                  // "rsMinF"
    wchar_t dateSeparator = L'/';          // the system's, in the next-run stamp
};

// Splits a language text into its lines (CR LF, LF or CR).
std::vector<std::wstring> SplitTextLines(const std::wstring& text);

// shortDate formats the date part of a value in the system's short date format. A missing
// list line reads as empty text.
std::wstring DescribeTask(const TScheduleItem& task, const TaskDescriptionTexts& texts,
                          const std::function<std::wstring(DateTime)>& shortDate);

} // namespace zt
