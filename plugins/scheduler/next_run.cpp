// ComputeNextRun: the first occurrence of a task's rule (with its repetitions) after now,
// found by arithmetic on whole minutes instead of walking the occurrences.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "schedule_item.h"

namespace zt {

namespace {

constexpr std::int64_t kMinutesPerDay = kMinsPerDay;
constexpr int kNoDay = -1;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return -FloorDiv(-a, b);
}

// 1 Monday ... 7 Sunday; day 0 (30 December 1899) was a Saturday.
int IsoWeekDay(std::int64_t day) {
    return static_cast<int>(((day + 5) % 7 + 7) % 7) + 1;
}

// Weeks run Monday to Sunday; the Monday of week w is day 7w - 5.
std::int64_t WeekOf(std::int64_t day) {
    return FloorDiv(day + 5, 7);
}

std::int64_t MondayOf(std::int64_t week) {
    return week * 7 - 5;
}

// The first day of week at or after from whose weekday is in mask (bits 1..7), or kNoDay.
std::int64_t FirstChosenDay(std::uint8_t mask, std::int64_t week, std::int64_t from) {
    const std::int64_t monday = MondayOf(week);
    const int firstWeekDay = static_cast<int>(std::max<std::int64_t>(1, from - monday + 1));
    if (firstWeekDay > 7)
        return kNoDay;
    const unsigned later = static_cast<unsigned>(mask) >> firstWeekDay << firstWeekDay;
    if (later == 0)
        return kNoDay;
    return monday + std::countr_zero(later) - 1;
}

struct MonthDayRule {
    bool byMonthDay;
    int monthDay; // the day, or the ordinal 1..5
    int weekDay;
};

// The rule's day in the month, 0 when the month lacks it.
int RuleDay(const MonthDayRule& rule, int year, int month) {
    const int length = DaysInMonth(year, month);
    if (rule.byMonthDay)
        return rule.monthDay <= length ? rule.monthDay : 0;
    const std::int64_t first = static_cast<std::int64_t>(EncodeDate(year, month, 1));
    if (rule.monthDay < kLastWeekDayOrdinal) {
        const int firstWeekDay = IsoWeekDay(first);
        return 1 + (rule.weekDay - firstWeekDay + 7) % 7 + 7 * (rule.monthDay - 1);
    }
    const int lastWeekDay = IsoWeekDay(first + length - 1);
    return length - (lastWeekDay - rule.weekDay + 7) % 7;
}

// Whether some chosen month (bits 1..12) can have the rule's day.
bool RuleCanHold(const MonthDayRule& rule, std::uint16_t months) {
    if (!rule.byMonthDay)
        return rule.monthDay >= 1 && rule.monthDay <= kLastWeekDayOrdinal && rule.weekDay >= 1 &&
               rule.weekDay <= 7;
    if (rule.monthDay < 1)
        return false;
    for (int month = 1; month <= 12; ++month) {
        // 2000 is a leap year: the longest form of every month.
        if ((months >> month & 1) != 0 && rule.monthDay <= DaysInMonth(2000, month))
            return true;
    }
    return false;
}

// Weekly: the first run day at or after minDay of the sequence that starts on startDay and
// goes on through the chosen weekdays of its week and of every interval-th week after it.
std::int64_t WeeklyDay(std::uint8_t mask, std::int64_t interval, std::int64_t startDay,
                       std::int64_t minDay) {
    const std::int64_t startWeek = WeekOf(startDay);
    const std::int64_t minWeek = WeekOf(minDay);
    std::int64_t week = startWeek;
    if (minWeek > startWeek)
        week += std::max<std::int64_t>(1, CeilDiv(minWeek - startWeek, interval)) * interval;
    if (week == minWeek) {
        const std::int64_t day = FirstChosenDay(mask, week, minDay);
        if (day != kNoDay)
            return day;
        week += interval;
    }
    return FirstChosenDay(mask, week, MondayOf(week));
}

// Monthly: the first run day at or after minDay in a chosen month after startDay's month.
// Within 9 years every rule that a chosen month can hold comes round (29 February takes
// up to 8), so the search is bounded; kNoDay beyond it or after the year 9999.
std::int64_t MonthlyDay(const MonthDayRule& rule, std::uint16_t months, std::int64_t startDay,
                        std::int64_t minDay) {
    const LocalTime start = DecodeDateTime(static_cast<DateTime>(startDay));
    const LocalTime least = DecodeDateTime(static_cast<DateTime>(minDay));
    std::int64_t index =
        std::max<std::int64_t>(start.year * 12 + start.month, least.year * 12 + least.month - 1);
    for (int n = 0; n < 12 * 10; ++n) {
        ++index;
        const int year = static_cast<int>((index - 1) / 12);
        const int month = static_cast<int>((index - 1) % 12) + 1;
        if (year > 9999)
            return kNoDay;
        if ((months >> month & 1) == 0)
            continue;
        const int day = RuleDay(rule, year, month);
        if (day == 0)
            continue;
        const std::int64_t date = static_cast<std::int64_t>(EncodeDate(year, month, day));
        if (date >= minDay)
            return date;
    }
    return kNoDay;
}

} // namespace

bool ComputeNextRun(TScheduleItem& task, DateTime now) {
    std::int64_t nowMinute = -1; // before 30 December 1899: every run is later
    if (std::isnan(now) || (now >= 0 && !DateTimeToMinute(now, nowMinute)))
        return false;

    std::int64_t startMinute = 0; // before 30 December 1899: from then
    if (std::isnan(task.NextRun) ||
        (task.NextRun >= 0 && !DateTimeToMinute(task.NextRun, startMinute)))
        return false;
    const std::int64_t startDay = startMinute / kMinutesPerDay;

    const LocalTime runTime = DecodeDateTime(task.StartTime);
    const std::int64_t timeOfDay = runTime.hour * 60 + runTime.minute;

    // The repetition step and the offset of the last repetition in the window.
    std::int64_t step = 0;
    std::int64_t lastOffset = 0;
    if (task.HasOptions && task.Repeating && task.RepeatEvery > 0) {
        step = task.EveryInMinutes ? task.RepeatEvery : task.RepeatEvery * std::int64_t{60};
        std::int64_t window = task.LimitHour * std::int64_t{60} + task.LimitMinute;
        if (task.UntilTime)
            window = std::max<std::int64_t>(0, window - timeOfDay);
        lastOffset = window / step * step;
    }

    // An occurrence is over when it and its last repetition are at or before now: the
    // answer's occurrence is the first run day whose run time is after threshold.
    const std::int64_t threshold = nowMinute - lastOffset;
    const std::int64_t minDay = FloorDiv(threshold - timeOfDay, kMinutesPerDay) + 1;
    const std::int64_t interval = std::max<std::int64_t>(1, task.Interval);

    std::int64_t day = kNoDay;
    switch (task.TaskType) {
    case sttOnce:
        day = startDay >= minDay ? startDay : kNoDay;
        break;
    case sttDaily:
        day = startDay >= minDay ? startDay
                                 : startDay + CeilDiv(minDay - startDay, interval) * interval;
        break;
    case sttWeekly: {
        const auto mask = static_cast<std::uint8_t>(task.WeekDays & kAllWeekDays);
        if (mask == 0)
            return false;
        day = startDay >= minDay ? startDay : WeeklyDay(mask, interval, startDay, minDay);
        break;
    }
    case sttMonthly: {
        const auto months = static_cast<std::uint16_t>(task.Months() & kAllMonths);
        const MonthDayRule rule{task.ByMonthDay, task.MonthDay, task.WeekDay};
        if (months == 0 || !RuleCanHold(rule, months))
            return false;
        if (startDay >= minDay)
            day = startDay;
        else if (minDay <= kLastScheduleDay)
            day = MonthlyDay(rule, months, startDay, minDay);
        break;
    }
    default:
        return false;
    }
    if (day == kNoDay || day > kLastScheduleDay)
        return false;

    std::int64_t next = day * kMinutesPerDay + timeOfDay;
    if (step > 0 && next <= nowMinute) // within its window: the first repetition after now
        next += (FloorDiv(nowMinute - next, step) + 1) * step;

    const std::int64_t nextDay = next / kMinutesPerDay;
    if (nextDay > kLastScheduleDay)
        return false;
    if (task.HasOptions && task.HasEndDate) {
        const DateTime end = task.EndDate;
        std::int64_t endMinute = 0;
        if (std::isnan(end) || end < 0)
            return false;
        if (DateTimeToMinute(end, endMinute) && nextDay > endMinute / kMinutesPerDay)
            return false;
    }
    task.NextRun = MinuteToDateTime(next);
    return true;
}

} // namespace zt
