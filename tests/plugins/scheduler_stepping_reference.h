#pragma once
// The next-run rule computed the plain way: start at the stored occurrence and advance one
// run day at a time while the occurrence is over. Slow for tasks counted from 1899, simple
// enough to trust; the tests and the benchmark hold ComputeNextRun against it.

#include <cmath>
#include <cstdint>

#include "common/datetime.h"
#include "plugins/scheduler/schedule_item.h"

namespace zt::stepping {

inline constexpr std::int64_t kDayMinutes = 1440;
inline constexpr std::int64_t kLastDay = 2958465; // 31 December 9999

// Minutes since 30 December 1899 of a valid value; false for NaN, beyond the year 9999.
inline bool Minutes(DateTime value, std::int64_t& minutes) {
    if (std::isnan(value) || value >= static_cast<double>(kLastDay + 1))
        return false;
    if (value < 0) {
        minutes = -1;
        return true;
    }
    const LocalTime t = DecodeDateTime(value);
    if (t.year == 1899 && t.month == 12 && t.day == 30 && value >= 1)
        return false; // rounded past the year 9999
    minutes = static_cast<std::int64_t>(EncodeDate(t.year, t.month, t.day)) * kDayMinutes +
              t.hour * 60 + t.minute;
    return true;
}

inline int WeekDayOf(std::int64_t day) { // 1 Monday ... 7 Sunday
    const LocalTime t = DecodeDateTime(static_cast<DateTime>(day));
    return t.dayOfWeek == 0 ? 7 : t.dayOfWeek;
}

inline bool Chosen(unsigned mask, int bit) {
    return (mask >> bit & 1) != 0;
}

// The day of the monthly rule in year/month; 0 when the month lacks it.
inline int MonthlyRuleDay(const TScheduleItem& task, int year, int month) {
    const int length = DaysInMonth(year, month);
    int day = task.MonthDay;
    if (!task.ByMonthDay) {
        const int firstWeekDay = WeekDayOf(static_cast<std::int64_t>(EncodeDate(year, month, 1)));
        if (task.MonthDay <= 4) {
            day = 1;
            while (WeekDayOf(static_cast<std::int64_t>(EncodeDate(year, month, day))) !=
                   task.WeekDay)
                ++day;
            day += 7 * (task.MonthDay - 1);
        } else {
            const int w = (firstWeekDay - 1 + length - 1) % 7 + 1; // weekday of day length
            day = task.WeekDay > w ? length - 7 + task.WeekDay - w : length - w + task.WeekDay;
        }
    }
    return day >= 1 && day <= length ? day : 0;
}

// The same contract as ComputeNextRun.
inline bool SteppingNextRun(TScheduleItem& task, DateTime now) {
    std::int64_t nowMin = 0;
    std::int64_t start = 0;
    if (!Minutes(now, nowMin) || !Minutes(task.NextRun, start))
        return false;
    const bool endDate = task.HasOptions && task.HasEndDate;
    std::int64_t endDay = kLastDay;
    if (endDate) {
        if (std::isnan(task.EndDate) || task.EndDate < 0)
            return false;
        std::int64_t endMin = 0;
        if (Minutes(task.EndDate, endMin))
            endDay = endMin / kDayMinutes;
        // Today later than the end date: no run.
        if (nowMin >= 0 && nowMin / kDayMinutes > endDay)
            return false;
    }
    const unsigned weekDays = task.WeekDays & 0xFEu;
    const unsigned months = task.Months() & 0x1FFEu;
    switch (task.TaskType) {
    case sttOnce:
    case sttDaily:
        break;
    case sttWeekly:
        if (weekDays == 0)
            return false;
        break;
    case sttMonthly: {
        if (months == 0)
            return false;
        if (task.ByMonthDay) {
            bool possible = false;
            for (int m = 1; m <= 12; ++m)
                possible = possible || (Chosen(months, m) && task.MonthDay >= 1 &&
                                        task.MonthDay <= DaysInMonth(2000, m));
            if (!possible)
                return false;
        } else if (task.MonthDay < 1 || task.MonthDay > 5 || task.WeekDay < 1 || task.WeekDay > 7) {
            return false;
        }
        break;
    }
    default:
        return false;
    }

    const LocalTime startTime = DecodeDateTime(task.StartTime);
    const std::int64_t timeOfDay = startTime.hour * 60 + startTime.minute;
    std::int64_t window = 0;
    std::int64_t step = 0;
    if (task.HasOptions && task.Repeating && task.RepeatEvery > 0) {
        window = task.LimitHour * 60 + task.LimitMinute;
        if (task.UntilTime)
            window = window - timeOfDay >= 0 ? window - timeOfDay : 0;
        step = task.EveryInMinutes ? task.RepeatEvery : task.RepeatEvery * 60;
    }
    const int interval = task.Interval == 0 ? 1 : task.Interval;

    std::int64_t o = start / kDayMinutes * kDayMinutes + timeOfDay;
    const auto over = [&](std::int64_t occurrence) {
        if (occurrence + window <= nowMin)
            return true;
        if (step > 0 && occurrence <= nowMin) {
            const std::int64_t k = (nowMin - occurrence) / step + 1;
            return occurrence + k * step > occurrence + window;
        }
        return false;
    };
    while (over(o)) {
        std::int64_t day = o / kDayMinutes;
        if (task.TaskType == sttOnce)
            break;
        if (task.TaskType == sttDaily) {
            day += interval;
        } else if (task.TaskType == sttWeekly) {
            const int d = WeekDayOf(day);
            int f = d + 1;
            while (f <= 7 && !Chosen(weekDays, f))
                ++f;
            if (f <= 7) {
                day += f - d;
            } else {
                f = 1;
                while (!Chosen(weekDays, f))
                    ++f;
                day += 7 * interval + f - d;
            }
        } else {
            const LocalTime t = DecodeDateTime(static_cast<DateTime>(day));
            int year = t.year;
            int month = t.month;
            int ruleDay = 0;
            while (ruleDay == 0) { // months lacking the day are skipped
                int m = month + 1;
                while (m <= 12 && !Chosen(months, m))
                    ++m;
                if (m > 12) {
                    ++year;
                    m = 1;
                    while (!Chosen(months, m))
                        ++m;
                }
                month = m;
                if (year > 9999)
                    return false;
                ruleDay = MonthlyRuleDay(task, year, month);
            }
            day = static_cast<std::int64_t>(EncodeDate(year, month, ruleDay));
        }
        if (day > kLastDay)
            return false;
        o = day * kDayMinutes + timeOfDay;
    }
    if (step > 0 && o <= nowMin) {
        const std::int64_t k = (nowMin - o) / step + 1;
        if (o + k * step <= o + window)
            o += k * step;
    }
    const std::int64_t runDay = o / kDayMinutes;
    if (!(o > nowMin) || runDay > kLastDay || runDay > endDay)
        return false;
    const std::int64_t ofDay = o % kDayMinutes;
    task.NextRun = static_cast<DateTime>(runDay) +
                   EncodeTime(static_cast<int>(ofDay / 60), static_cast<int>(ofDay % 60), 0, 0);
    return true;
}

} // namespace zt::stepping
