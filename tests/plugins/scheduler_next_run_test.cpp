// The next-run rule: its documented cases, defined outcomes for garbage, and agreement with
// the step-by-step reference on random tasks and instants.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <vector>

#include "plugins/scheduler/schedule_item.h"
#include "tests/plugins/scheduler_stepping_reference.h"

namespace zt {
namespace {

DateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, second, 0);
}

constexpr std::uint8_t Day(int isoWeekDay) {
    return static_cast<std::uint8_t>(1u << isoWeekDay);
}
constexpr std::uint16_t Month(int month) {
    return static_cast<std::uint16_t>(1u << month);
}

TScheduleItem Once(DateTime start) {
    TScheduleItem task;
    task.TaskType = sttOnce;
    task.StartTime = start;
    task.NextRun = start;
    return task;
}

// As the dialog stores it: NextRun 0.
TScheduleItem Daily(DateTime start, int interval = 1) {
    TScheduleItem task;
    task.TaskType = sttDaily;
    task.StartTime = start;
    task.Interval = static_cast<std::uint8_t>(interval);
    return task;
}

TScheduleItem Weekly(DateTime start, int interval, std::uint8_t days) {
    TScheduleItem task;
    task.TaskType = sttWeekly;
    task.StartTime = start;
    task.Interval = static_cast<std::uint8_t>(interval);
    task.WeekDays = days;
    return task;
}

TScheduleItem MonthlyOnDay(DateTime start, int day, std::uint16_t months = kAllMonths) {
    TScheduleItem task;
    task.TaskType = sttMonthly;
    task.StartTime = start;
    task.ByMonthDay = true;
    task.MonthDay = static_cast<std::uint8_t>(day);
    task.SetMonths(months);
    return task;
}

TScheduleItem MonthlyOnWeekDay(DateTime start, int ordinal, int weekDay,
                               std::uint16_t months = kAllMonths) {
    TScheduleItem task = MonthlyOnDay(start, ordinal, months);
    task.ByMonthDay = false;
    task.WeekDay = static_cast<std::uint8_t>(weekDay);
    return task;
}

TScheduleItem Repeating(TScheduleItem task, int every, bool minutes, bool until, int hour,
                        int minute) {
    task.HasOptions = true;
    task.Repeating = true;
    task.RepeatEvery = static_cast<std::uint16_t>(every);
    task.EveryInMinutes = minutes;
    task.UntilTime = until;
    task.LimitHour = static_cast<std::uint16_t>(hour);
    task.LimitMinute = static_cast<std::uint16_t>(minute);
    return task;
}

TScheduleItem Ending(TScheduleItem task, DateTime endDate) {
    task.HasOptions = true;
    task.HasEndDate = true;
    task.EndDate = endDate;
    return task;
}

std::optional<DateTime> Next(TScheduleItem task, DateTime now) {
    if (!ComputeNextRun(task, now))
        return std::nullopt;
    return task.NextRun;
}

// The runs a task makes from now on as the engine reschedules it: each computed from the
// previous run, up to limit runs.
std::vector<DateTime> Runs(TScheduleItem task, DateTime now, std::size_t limit) {
    std::vector<DateTime> runs;
    while (runs.size() < limit && ComputeNextRun(task, now)) {
        runs.push_back(task.NextRun);
        now = task.NextRun;
    }
    return runs;
}

using Times = std::vector<DateTime>;

TEST(NextRun, RepetitionEvery45MinutesFor2HoursOnceAndDaily) {
    const TScheduleItem once = Repeating(Once(At(2026, 3, 10, 10, 0)), 45, true, false, 2, 0);
    EXPECT_EQ(Runs(once, At(2026, 3, 10, 9, 0), 10),
              (Times{At(2026, 3, 10, 10, 0), At(2026, 3, 10, 10, 45), At(2026, 3, 10, 11, 30)}));
    // Started late, in the middle of its window: the next repetition.
    EXPECT_EQ(Next(once, At(2026, 3, 10, 10, 50, 12)), At(2026, 3, 10, 11, 30));
    EXPECT_EQ(Next(once, At(2026, 3, 10, 11, 30)), std::nullopt);

    const TScheduleItem daily = Repeating(Daily(At(2026, 3, 1, 10, 0)), 45, true, false, 2, 0);
    EXPECT_EQ(Runs(daily, At(2026, 3, 10, 9, 0), 6),
              (Times{At(2026, 3, 10, 10, 0), At(2026, 3, 10, 10, 45), At(2026, 3, 10, 11, 30),
                     At(2026, 3, 11, 10, 0), At(2026, 3, 11, 10, 45), At(2026, 3, 11, 11, 30)}));
}

TEST(NextRun, RepetitionWindowEndsAtItsLastStepUntilATimeOrForADuration) {
    // Until 09:00 with a 10:00 run time: the window is empty, only the run itself.
    const TScheduleItem empty = Repeating(Daily(At(2026, 3, 1, 10, 0)), 15, true, true, 9, 0);
    EXPECT_EQ(Runs(empty, At(2026, 3, 10, 9, 0), 3),
              (Times{At(2026, 3, 10, 10, 0), At(2026, 3, 11, 10, 0), At(2026, 3, 12, 10, 0)}));
    // Until 11:00 every 30 minutes: the limit itself is a run.
    const TScheduleItem until = Repeating(Daily(At(2026, 3, 1, 10, 0)), 30, true, true, 11, 0);
    EXPECT_EQ(Runs(until, At(2026, 3, 10, 9, 0), 4),
              (Times{At(2026, 3, 10, 10, 0), At(2026, 3, 10, 10, 30), At(2026, 3, 10, 11, 0),
                     At(2026, 3, 11, 10, 0)}));
    // Every 2 hours for 3 hours 30: 22:00, 00:00 and 01:00 past midnight, into the next day.
    const TScheduleItem hours = Repeating(Daily(At(2026, 3, 1, 22, 0)), 2, false, false, 3, 30);
    EXPECT_EQ(Runs(hours, At(2026, 3, 10, 21, 0), 4),
              (Times{At(2026, 3, 10, 22, 0), At(2026, 3, 11, 0, 0), At(2026, 3, 11, 22, 0),
                     At(2026, 3, 12, 0, 0)}));
    // A step of 0 is no repetition.
    const TScheduleItem zero = Repeating(Daily(At(2026, 3, 1, 10, 0)), 0, true, false, 2, 0);
    EXPECT_EQ(Next(zero, At(2026, 3, 10, 10, 0)), At(2026, 3, 11, 10, 0));
}

TEST(NextRun, WeeklyEveryTwoWeeksOnMondayAndFriday) {
    TScheduleItem task = Weekly(At(2026, 1, 5, 8, 30), 2, Day(1) | Day(5));
    task.NextRun = At(2026, 3, 2, 8, 30); // its last run, a Monday
    const DateTime justRun = At(2026, 3, 2, 8, 30, 40);
    EXPECT_EQ(Runs(task, justRun, 4), (Times{At(2026, 3, 6, 8, 30), At(2026, 3, 16, 8, 30),
                                             At(2026, 3, 20, 8, 30), At(2026, 3, 30, 8, 30)}));
    // The current occurrence is never returned once over, even exactly at its time.
    EXPECT_EQ(Next(task, At(2026, 3, 2, 8, 30)), At(2026, 3, 6, 8, 30));
    EXPECT_EQ(Next(task, At(2026, 3, 2, 8, 29, 59)), At(2026, 3, 2, 8, 30));
    // A stored occurrence weeks behind keeps the phase of its fortnights.
    task.NextRun = At(2026, 1, 5, 8, 30);
    EXPECT_EQ(Next(task, At(2026, 3, 11, 12, 0)), At(2026, 3, 16, 8, 30));
    // Interval 0 runs as every week.
    task.Interval = 0;
    EXPECT_EQ(Next(task, At(2026, 3, 11, 12, 0)), At(2026, 3, 13, 8, 30));
}

TEST(NextRun, LastSundayOfAMonthEndingOnSundayOrSaturday) {
    // May 2026 ends on a Sunday, January 2026 on a Saturday.
    TScheduleItem task =
        MonthlyOnWeekDay(At(2025, 12, 1, 9, 0), kLastWeekDayOrdinal, 7, Month(1) | Month(5));
    EXPECT_EQ(Runs(task, At(2026, 1, 1, 0, 0), 3),
              (Times{At(2026, 1, 25, 9, 0), At(2026, 5, 31, 9, 0), At(2027, 1, 31, 9, 0)}));
    // The n-th weekday: the second Tuesday, the fourth Monday.
    EXPECT_EQ(Next(MonthlyOnWeekDay(At(2026, 1, 1, 9, 0), 2, 2), At(2026, 3, 1)),
              At(2026, 3, 10, 9, 0));
    EXPECT_EQ(Next(MonthlyOnWeekDay(At(2026, 1, 1, 9, 0), 4, 1), At(2026, 3, 24)),
              At(2026, 4, 27, 9, 0));
}

TEST(NextRun, MonthlyOnDay15CreatedOnThe15thBeforeTheRunTime) {
    const TScheduleItem task = MonthlyOnDay(At(2026, 3, 15, 10, 0), 15);
    EXPECT_EQ(Next(task, At(2026, 3, 15, 9, 12, 5)), At(2026, 3, 15, 10, 0));
    EXPECT_EQ(Next(task, At(2026, 3, 15, 10, 0, 1)), At(2026, 4, 15, 10, 0));
}

TEST(NextRun, MonthsLackingTheDayAreSkipped) {
    // Day 31 skips April; day 29 in February alone waits for a leap year, across 2100.
    EXPECT_EQ(Next(MonthlyOnDay(At(2026, 1, 1, 7, 0), 31, Month(4) | Month(5)), At(2026, 3, 31)),
              At(2026, 5, 31, 7, 0));
    EXPECT_EQ(Next(MonthlyOnDay(At(2026, 1, 1, 7, 0), 29, Month(2)), At(2026, 3, 1)),
              At(2028, 2, 29, 7, 0));
    EXPECT_EQ(Next(MonthlyOnDay(At(2026, 1, 1, 7, 0), 29, Month(2)), At(2096, 3, 1)),
              At(2104, 2, 29, 7, 0));
    // No chosen month has the day: no run.
    EXPECT_EQ(Next(MonthlyOnDay(At(2026, 1, 1, 7, 0), 30, Month(2)), At(2026, 3, 1)), std::nullopt);
    EXPECT_EQ(Next(MonthlyOnDay(At(2026, 1, 1, 7, 0), 31, Month(4) | Month(6) | Month(11)),
                   At(2026, 3, 1)),
              std::nullopt);
}

TEST(NextRun, EndDateTodayAllowsTodaysRunsAndNotTheDayAfter) {
    const TScheduleItem task =
        Ending(Repeating(Daily(At(2026, 3, 1, 10, 0)), 1, false, false, 1, 0), At(2026, 3, 10));
    EXPECT_EQ(Runs(task, At(2026, 3, 10, 9, 0), 5),
              (Times{At(2026, 3, 10, 10, 0), At(2026, 3, 10, 11, 0)}));
    EXPECT_EQ(Next(task, At(2026, 3, 11, 9, 0)), std::nullopt);
    // The end date's time of day does not count, only its date.
    EXPECT_EQ(
        Next(Ending(Daily(At(2026, 3, 1, 23, 0)), At(2026, 3, 10, 6, 0)), At(2026, 3, 10, 22, 0)),
        At(2026, 3, 10, 23, 0));
    // A repetition past midnight is on the next date: after the end date.
    const TScheduleItem late =
        Ending(Repeating(Daily(At(2026, 3, 1, 23, 30)), 1, false, false, 2, 0), At(2026, 3, 10));
    EXPECT_EQ(Runs(late, At(2026, 3, 10, 12, 0), 5), (Times{At(2026, 3, 10, 23, 30)}));
    // HasOptions off: the end date is not in force.
    TScheduleItem off = Ending(Daily(At(2026, 3, 1, 10, 0)), At(2026, 3, 1));
    off.HasOptions = false;
    EXPECT_EQ(Next(off, At(2026, 3, 10, 12, 0)), At(2026, 3, 11, 10, 0));
}

TEST(NextRun, IntervalCountsFromTheZeroDateForATaskFromTheDialog) {
    // 10 March 2026 is day 46091 (odd): every second day runs on the even days.
    EXPECT_EQ(Next(Daily(At(2026, 3, 9, 6, 0), 2), At(2026, 3, 10, 5, 0)), At(2026, 3, 11, 6, 0));
    EXPECT_EQ(Next(Daily(At(2026, 3, 9, 6, 0), 2), At(2026, 3, 11, 5, 0)), At(2026, 3, 11, 6, 0));
    // A loaded task keeps the phase of its stored NextRun.
    TScheduleItem loaded = Daily(At(2026, 3, 9, 6, 0), 3);
    loaded.NextRun = At(2026, 3, 1, 6, 0);
    EXPECT_EQ(Runs(loaded, At(2026, 3, 10, 12, 0), 2),
              (Times{At(2026, 3, 13, 6, 0), At(2026, 3, 16, 6, 0)}));
    // Interval 0 runs every day.
    EXPECT_EQ(Next(Daily(At(2026, 3, 9, 6, 0), 0), At(2026, 3, 10, 7, 0)), At(2026, 3, 11, 6, 0));
}

TEST(NextRun, StartingOccurrenceNotYetOverIsTakenAsItStands) {
    // A one-time task: its time, or nothing once it passed.
    EXPECT_EQ(Next(Once(At(2026, 3, 10, 10, 0)), At(2026, 3, 10, 9, 59, 59)),
              At(2026, 3, 10, 10, 0));
    EXPECT_EQ(Next(Once(At(2026, 3, 10, 10, 0)), At(2026, 3, 10, 10, 0)), std::nullopt);
    // After a time change tasks restart from StartTime: one in the future runs then,
    // whatever its rule (here a Tuesday for a task on Sundays).
    TScheduleItem weekly = Weekly(At(2026, 3, 10, 10, 0), 1, Day(7));
    weekly.NextRun = weekly.StartTime;
    EXPECT_EQ(Next(weekly, At(2026, 3, 9, 0, 0)), At(2026, 3, 10, 10, 0));
    // The run time is StartTime's time of day in whole minutes.
    EXPECT_EQ(Next(Daily(At(2026, 3, 9, 6, 0, 45)), At(2026, 3, 10, 5, 0)), At(2026, 3, 10, 6, 0));
}

TEST(NextRun, TasksWithoutARunRuleHaveNoNextRun) {
    const DateTime now = At(2026, 3, 10, 12, 0);
    EXPECT_EQ(Next(Weekly(At(2026, 3, 1, 10, 0), 1, 0), now), std::nullopt);
    EXPECT_EQ(Next(Weekly(At(2026, 3, 1, 10, 0), 1, 0x01), now), std::nullopt); // bit 0 only
    EXPECT_EQ(Next(MonthlyOnDay(At(2026, 3, 1, 10, 0), 5, 0), now), std::nullopt);
    EXPECT_EQ(Next(MonthlyOnDay(At(2026, 3, 1, 10, 0), 5, 0xE001), now), std::nullopt);
    EXPECT_EQ(Next(MonthlyOnDay(At(2026, 3, 1, 10, 0), 0), now), std::nullopt);
    EXPECT_EQ(Next(MonthlyOnDay(At(2026, 3, 1, 10, 0), 40), now), std::nullopt);
    EXPECT_EQ(Next(MonthlyOnWeekDay(At(2026, 3, 1, 10, 0), 0, 3), now), std::nullopt);
    EXPECT_EQ(Next(MonthlyOnWeekDay(At(2026, 3, 1, 10, 0), 6, 3), now), std::nullopt);
    EXPECT_EQ(Next(MonthlyOnWeekDay(At(2026, 3, 1, 10, 0), 1, 0), now), std::nullopt);
    EXPECT_EQ(Next(MonthlyOnWeekDay(At(2026, 3, 1, 10, 0), 1, 9), now), std::nullopt);
    TScheduleItem unknown = Daily(At(2026, 3, 1, 10, 0));
    unknown.TaskType = 7;
    EXPECT_EQ(Next(unknown, now), std::nullopt);
    // Unused mask bits beside chosen ones are ignored.
    EXPECT_EQ(Next(Weekly(At(2026, 3, 1, 10, 0), 1, Day(3) | 0x01), now), At(2026, 3, 11, 10, 0));
}

TEST(NextRun, GarbageFieldsGiveTheDocumentedOutcome) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const DateTime now = At(2026, 3, 10, 12, 0);
    const TScheduleItem daily = Daily(At(2026, 3, 1, 10, 0));

    TScheduleItem task = daily;
    for (const DateTime bad : {kNaN, kInf, 1e300, 2958466.0, 2958465.9999999999}) {
        task.NextRun = bad;
        EXPECT_FALSE(ComputeNextRun(task, now)) << bad;
        EXPECT_TRUE(std::isnan(bad) ? std::isnan(task.NextRun) : task.NextRun == bad);
    }
    for (const DateTime early : {-kInf, -1e300, -5.25}) { // counted from 30 December 1899
        task.NextRun = early;
        EXPECT_EQ(Next(task, now), At(2026, 3, 11, 10, 0)) << early;
    }
    for (const DateTime badStart : {kNaN, kInf, -1e300, 1e300}) { // run time 00:00
        task = daily;
        task.StartTime = badStart;
        EXPECT_EQ(Next(task, now), At(2026, 3, 11)) << badStart;
    }
    EXPECT_FALSE(ComputeNextRun(task, kNaN));
    EXPECT_FALSE(ComputeNextRun(task, kInf));
    EXPECT_FALSE(ComputeNextRun(task, 2958466.0));
    EXPECT_EQ(Next(daily, -kInf), At(1899, 12, 30, 10, 0));
    EXPECT_EQ(Next(daily, At(9999, 12, 31, 9, 0)), At(9999, 12, 31, 10, 0));
    EXPECT_EQ(Next(daily, At(9999, 12, 31, 10, 0)), std::nullopt);

    EXPECT_EQ(Next(Ending(daily, kNaN), now), std::nullopt);
    EXPECT_EQ(Next(Ending(daily, -3.0), now), std::nullopt);
    EXPECT_EQ(Next(Ending(daily, kInf), now), At(2026, 3, 11, 10, 0));
    EXPECT_EQ(Next(Ending(daily, 1e300), now), At(2026, 3, 11, 10, 0));

    // A window longer than a day is kept: every 20 hours for 500 hours from 1 March 10:00.
    TScheduleItem wide = Repeating(daily, 20, false, false, 500, 0);
    wide.NextRun = At(2026, 3, 1);
    EXPECT_EQ(Next(wide, now), At(2026, 3, 10, 14, 0));
    // The largest fields stay within the arithmetic and agree with the reference.
    TScheduleItem huge = Repeating(daily, 65535, false, true, 65535, 65535);
    huge.Interval = 255;
    huge.NextRun = At(2026, 1, 1);
    for (const DateTime when : {now, At(2040, 1, 1), At(9990, 1, 1)}) {
        TScheduleItem fast = huge;
        TScheduleItem slow = huge;
        ASSERT_EQ(ComputeNextRun(fast, when), stepping::SteppingNextRun(slow, when)) << when;
        EXPECT_EQ(fast.NextRun, slow.NextRun) << when;
    }
}

TEST(NextRun, ResultsAreExactWholeMinutes) {
    for (int minute = 0; minute < 24 * 60; minute += 7) {
        const DateTime start = At(2026, 3, 1, minute / 60, minute % 60);
        const auto next = Next(Daily(start), At(2026, 7, 3, 23, 59, 30));
        ASSERT_TRUE(next.has_value());
        EXPECT_EQ(*next, At(2026, 7, 4, minute / 60, minute % 60)) << minute;
        std::int64_t back = 0;
        ASSERT_TRUE(DateTimeToMinute(*next, back));
        EXPECT_EQ(MinuteToDateTime(back), *next);
    }
}

// Random tasks of every kind; instants as stored by the dialog (0, coarse rules only so
// the reference finishes), from StartTime, and run after run from each previous result.
class RandomTasks {
public:
    explicit RandomTasks(std::uint32_t seed) : rng_(seed) {}

    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool Chance(int percent) { return Int(1, 100) <= percent; }

    DateTime Instant(int fromYear, int toYear) {
        const int year = Int(fromYear, toYear);
        const int month = Int(1, 12);
        return At(year, month, Int(1, DaysInMonth(year, month)), Int(0, 23), Int(0, 59),
                  Chance(50) ? 0 : Int(1, 59));
    }

    TScheduleItem Task(bool fromDialog) {
        TScheduleItem task;
        task.TaskType = static_cast<std::uint8_t>(Int(0, 3));
        if (fromDialog && task.TaskType == sttOnce)
            task.TaskType = sttMonthly;
        task.StartTime = Instant(2020, 2030);
        switch (task.TaskType) {
        case sttDaily:
            task.Interval = static_cast<std::uint8_t>(fromDialog ? Int(40, 255) : SmallOrAny());
            break;
        case sttWeekly:
            task.Interval = static_cast<std::uint8_t>(fromDialog ? Int(8, 255) : SmallOrAny());
            task.WeekDays = static_cast<std::uint8_t>(Chance(15) ? kAllWeekDays : Int(0, 255));
            break;
        case sttMonthly:
            task.SetMonths(static_cast<std::uint16_t>(Chance(20) ? kAllMonths : Int(0, 0x1FFF)));
            task.ByMonthDay = Chance(50);
            task.MonthDay = static_cast<std::uint8_t>(task.ByMonthDay ? Int(1, 31) : Int(1, 5));
            task.WeekDay = static_cast<std::uint8_t>(Int(1, 7));
            break;
        default:
            break;
        }
        if (Chance(50)) {
            task.HasOptions = true;
            task.HasEndDate = Chance(40);
            const DateTime end = Instant(2020, 2034);
            task.EndDate = Chance(50) ? end : std::floor(end);
            task.Repeating = Chance(70);
            task.EveryInMinutes = Chance(60);
            task.RepeatEvery = static_cast<std::uint16_t>(Chance(5)             ? 0
                                                          : task.EveryInMinutes ? Int(1, 400)
                                                                                : Int(1, 30));
            task.UntilTime = Chance(40);
            task.LimitHour = static_cast<std::uint16_t>(Chance(5) ? Int(24, 500) : Int(0, 23));
            task.LimitMinute = static_cast<std::uint16_t>(Int(0, 59));
        }
        return task;
    }

    // An instant near the task's run time (on its boundaries) or anywhere in a few years.
    DateTime NowFor(const TScheduleItem& task, DateTime base) {
        if (Chance(50))
            return Instant(2021, 2031);
        const DateTime day = std::floor(base) + Int(-3, 40);
        return day + TimeOf(task.StartTime) + Int(-2, 3 * 60) / static_cast<double>(kMinsPerDay);
    }

private:
    int SmallOrAny() { return Chance(70) ? Int(0, 4) : Int(5, 255); }

    std::mt19937 rng_;
};

TEST(NextRun, AgreesWithTheSteppingReference) {
    constexpr int kTasks = 50000;
    const std::uint32_t seed = 20260310;
    RandomTasks random(seed);
    int withRun = 0;
    for (int n = 0; n < kTasks; ++n) {
        const int startKind = n % 3; // 0: from the dialog, 1: from StartTime, 2: a run chain
        TScheduleItem task = random.Task(startKind == 0);
        task.NextRun = startKind == 0 ? 0 : task.StartTime;
        DateTime now =
            startKind == 0 ? random.Instant(1900, 2030) : random.NowFor(task, task.StartTime);
        for (int run = 0; run < (startKind == 2 ? 6 : 1); ++run) {
            TScheduleItem fast = task;
            TScheduleItem slow = task;
            const bool fastResult = ComputeNextRun(fast, now);
            const bool slowResult = stepping::SteppingNextRun(slow, now);
            ASSERT_EQ(fastResult, slowResult)
                << "seed " << seed << " task " << n << " run " << run << " now " << now;
            ASSERT_EQ(fast.NextRun, slow.NextRun)
                << "seed " << seed << " task " << n << " run " << run << " now " << now;
            if (!fastResult)
                break;
            ++withRun;
            task = fast;
            now = task.NextRun + (random.Chance(50) ? 0 : random.Int(0, 50000) / 1e6);
        }
    }
    // The random mix must exercise tasks that do run, not only rejected ones.
    EXPECT_GT(withRun, kTasks / 2);
}

} // namespace
} // namespace zt
