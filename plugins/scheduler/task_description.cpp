#include "task_description.h"

#include <cstdio>

namespace zt {

namespace {

const std::wstring& Line(const std::vector<std::wstring>& lines, int index) {
    static const std::wstring kEmpty;
    return index >= 0 && index < static_cast<int>(lines.size()) ? lines[index] : kEmpty;
}

std::wstring TwoDigits(int value) {
    wchar_t text[8];
    std::swprintf(text, 8, L"%02d", value % 100);
    return text;
}

// "hh:mm" of a value.
std::wstring HourMinute(DateTime value) {
    const LocalTime t = DecodeDateTime(value);
    return TwoDigits(t.hour) + L":" + TwoDigits(t.minute);
}

void EndWithFullStop(std::wstring& text) {
    if (!text.empty())
        text.back() = L'.';
}

std::wstring TypePart(const TScheduleItem& task, const TaskDescriptionTexts& texts) {
    const std::vector<std::wstring>& w = texts.words;
    const int interval = task.Interval > 1 ? task.Interval : 1;
    switch (task.TaskType) {
    case sttDaily: {
        std::wstring part = L" " + texts.monthDay;
        if (interval > 1)
            part += L" " + std::to_wstring(interval);
        return part + L" " + Line(w, 5) + L".";
    }
    case sttWeekly: {
        std::wstring part = L" " + texts.week + L" ";
        if (interval > 1)
            part += std::to_wstring(interval) + L" ";
        part += Line(w, 6) + L", ";
        if ((task.WeekDays & kAllWeekDays) == kAllWeekDays)
            return part + Line(texts.dayWeek, 0);
        // The chosen days as "lead-in day, day, day."
        std::wstring days = Line(texts.dayWeek, 8);
        const wchar_t* separator = L" ";
        for (int day = 1; day <= 7; ++day) {
            if ((task.WeekDays >> day & 1) != 0) {
                days += separator + Line(texts.dayWeek, day);
                separator = L", ";
            }
        }
        days += L'.';
        return part + days;
    }
    case sttMonthly: {
        std::wstring part;
        if (task.ByMonthDay) {
            part =
                L" " + texts.monthDay + L" " + std::to_wstring(task.MonthDay) + L" " + Line(w, 5);
        } else {
            const int weekDay = task.WeekDay;
            const int ordinal = task.MonthDay;
            const std::vector<std::wstring>* ordinals =
                weekDay >= 1 && weekDay <= 7 ? &texts.ordinals[weekDay - 1] : nullptr;
            part = L" " + Line(texts.executeAt, weekDay - 1) + L" " +
                   (ordinals != nullptr ? Line(*ordinals, ordinal - 1) : std::wstring()) + L" " +
                   Line(texts.dayWeek, weekDay);
        }
        const std::uint16_t months = task.Months();
        if ((months & kAllMonths) == kAllMonths)
            return part + Line(texts.months, 0);
        std::wstring names;
        for (int month = 1; month <= 12; ++month) {
            if ((months >> month & 1) != 0)
                names += Line(texts.months, month);
        }
        EndWithFullStop(names);
        return part + names;
    }
    default:
        return std::wstring();
    }
}

} // namespace

std::vector<std::wstring> SplitTextLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start =
            end + (text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n' ? 2 : 1);
    }
    return lines;
}

std::wstring DescribeTask(const TScheduleItem& task, const TaskDescriptionTexts& texts,
                          const std::function<std::wstring(DateTime)>& shortDate) {
    const std::vector<std::wstring>& w = texts.words;
    std::wstring repeat;
    if (task.HasOptions && task.Repeating) {
        repeat = texts.every + L" " + std::to_wstring(task.RepeatEvery) + L" " +
                 (task.EveryInMinutes ? texts.minutes : texts.hours) + L" " +
                 Line(w, task.UntilTime ? 3 : 4) + L" " + std::to_wstring(task.LimitHour) + L":" +
                 (task.LimitMinute < 10 ? L"0" : L"") + std::to_wstring(task.LimitMinute) + L",";
    }
    std::wstring dates = shortDate(task.StartTime);
    if (task.HasOptions && task.HasEndDate)
        dates = Line(w, 1) + L" " + dates + L" " + Line(w, 2) + L" " + shortDate(task.EndDate);

    const LocalTime next = DecodeDateTime(task.NextRun);
    const std::wstring separator(1, texts.dateSeparator);
    std::wstring text = repeat;
    if (!repeat.empty())
        text += L" ";
    text += Line(w, 0) + L" " + HourMinute(task.StartTime) + L", " + dates + L"." +
            TypePart(task, texts) + L" [" + HourMinute(task.NextRun) + L" " + TwoDigits(next.day) +
            separator + TwoDigits(next.month) + separator + TwoDigits(next.year) + L"]";
    return text;
}

} // namespace zt
