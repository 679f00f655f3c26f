#pragma once
// TScheduleItem: one scheduled task (a command line and the rule saying when it runs), and
// the rule arithmetic on it. Portable: times are local wall-clock date-times (days since
// 30 December 1899, the fraction is the time of day).

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "common/datetime.h"

namespace zt {

enum ScheduleTaskType : std::uint8_t {
    sttOnce = 0,
    sttDaily = 1,
    sttWeekly = 2,
    sttMonthly = 3,
};

// WeekDays: bit k for ISO weekday k (1 Monday ... 7 Sunday). Months: bit k for month k.
inline constexpr std::uint8_t kAllWeekDays = 0xFE;
inline constexpr std::uint16_t kAllMonths = 0x1FFE;
// MonthDay of a task by weekday ordinal: 1..4, or this for the last one in the month.
inline constexpr std::uint8_t kLastWeekDayOrdinal = 5;

struct TScheduleItem {
    // Neighbours in the task list; not stored.
    TScheduleItem* next = nullptr;
    TScheduleItem* prev = nullptr;

    DateTime StartTime = 0; // the time of day (whole minutes) is the run time of every run day
    DateTime NextRun = 0;   // the list is ordered by it
    std::uint8_t TaskType = sttOnce;
    // Daily: every N days; weekly: every N weeks. Monthly tasks keep Months in these two
    // bytes (Interval the low byte, WeekDays the high byte).
    std::uint8_t Interval = 1;
    std::uint8_t WeekDays = 0;
    bool ByMonthDay = true;    // monthly: a fixed day, else the n-th WeekDay
    std::uint8_t MonthDay = 1; // 1..31, or the ordinal 1..5 (5 = last)
    std::uint8_t WeekDay = 1;  // 1 Monday ... 7 Sunday
    bool HasOptions = false;   // the fields below count only when set
    bool HasEndDate = false;
    DateTime EndDate = 0; // last date (date part) on which the task may run
    bool Repeating = false;
    std::uint16_t RepeatEvery = 1; // 0: no repetition
    bool EveryInMinutes = true;    // else hours
    bool UntilTime = false;        // repeat until LimitHour:LimitMinute, else for that long
    std::uint16_t LimitHour = 0;
    std::uint16_t LimitMinute = 0;
    // A command name, optionally followed by one blank and the parameter text.
    std::wstring Cmnd;
    // The run time of the last run made in this session (0: none); not stored. The engine
    // never schedules a run at or before it.
    DateTime LastRun = 0;

    std::uint16_t Months() const noexcept {
        return static_cast<std::uint16_t>(Interval | (WeekDays << 8));
    }
    void SetMonths(std::uint16_t months) noexcept {
        Interval = static_cast<std::uint8_t>(months & 0xFF);
        WeekDays = static_cast<std::uint8_t>(months >> 8);
    }
};

using TaskPtr = std::unique_ptr<TScheduleItem>;

// Sets task.NextRun to the first run of the task later than now, starting from the
// NextRun it holds (0 for a task fresh from the dialog, StartTime for a one-time task or
// after a time change); false, NextRun unchanged, when the task has no run left.
// Jumps straight to the answer: the cost does not grow with the distance covered.
//
// The run time is StartTime's time of day in whole minutes (seconds dropped). The starting
// occurrence is NextRun's date at the run time; while it is over (its time and the last
// repetition in its window passed), the next one follows by the type's rule:
//   once: none; daily: Interval days later; weekly: the next chosen weekday in the same
//   Monday-to-Sunday week, else the first chosen weekday Interval weeks later; monthly: the
//   chosen day (MonthDay, or the MonthDay-th WeekDay, 5 the last) in the next chosen month
//   that has it.
// A repetition every RepeatEvery minutes (hours) runs within the window of LimitHour hours
// LimitMinute minutes after the run time, or up to that time of day when UntilTime.
// Defined outcomes:
//   - no next run: a weekly task without weekday, a monthly task without month, a monthly
//     day no chosen month can have (0, above 31, 30 with February alone), an ordinal outside
//     1..5 or a WeekDay outside 1..7, an unknown TaskType; a next run whose date is after
//     EndDate (HasOptions and HasEndDate) or after 31 December 9999; NaN now, NextRun or
//     EndDate (when in force); now, NextRun after 31 December 9999 (infinities included).
//   - Interval 0 runs as 1; RepeatEvery 0 means no repetition; unused bits of WeekDays
//     (bit 0) and Months (bits 0, 13..15) are ignored; LimitHour and LimitMinute are taken
//     as they stand (a window may be longer than a day).
//   - now before 30 December 1899 is earlier than every run; NextRun before then counts
//     from 30 December 1899; a StartTime that is NaN or outside the years 1..9999 gives the
//     run time 00:00; an end date before 30 December 1899 allows no run, an infinite one no
//     limit.
// The arithmetic is in whole minutes: a result equals EncodeDate + EncodeTime(h, m, 0, 0).
bool ComputeNextRun(TScheduleItem& task, DateTime now);

// The last date of the task arithmetic: 31 December 9999.
inline constexpr std::int64_t kLastScheduleDay = 2958465;
// The minute since 30 December 1899 00:00 in which value lies (milliseconds rounded as
// DecodeDateTime does, seconds dropped); false for NaN and values outside 30 December 1899
// .. 31 December 9999.
bool DateTimeToMinute(DateTime value, std::int64_t& minute);
// The date-time of a minute counted that way (0 .. the last minute of kLastScheduleDay):
// exactly EncodeDate(y, m, d) + EncodeTime(h, mi, 0, 0).
DateTime MinuteToDateTime(std::int64_t minute);

// The command name (up to the first blank) and the parameter text (after it).
std::pair<std::wstring, std::wstring> SplitCommandLine(const std::wstring& line);

// The fast-schedule task: once, at now with seconds cut off plus minutes, running cmnd
// (StartTime = NextRun; 0 when that is outside 30 December 1899 .. 31 December 9999).
TaskPtr MakeFastTask(DateTime now, int minutes, const std::wstring& cmnd);

} // namespace zt
