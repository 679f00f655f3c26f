// The firing engine with a fake clock: the clock message it arms, the runs it makes, the
// restart after a time change, the fast schedule, and wall-clock minute sequences across the
// changes to and from summer time.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "plugins/scheduler/scheduler_engine.h"

namespace zt {
namespace {

DateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
            int millisecond = 0) {
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, second, millisecond);
}

constexpr int kMinute = 60;
constexpr int kHour = 3600;
constexpr int kDay = 86400;
constexpr int kMonth = 2592000;
constexpr int kYear = 31104000;

struct Fired {
    DateTime when;
    std::wstring name;
    std::wstring params;
    bool operator==(const Fired&) const = default;
};

// The platform: a settable clock, the armed message, the commands run.
struct FakePlatform {
    DateTime now = At(2026, 3, 10, 12, 0);
    int armed = 0;
    int armCalls = 0;
    int listChanged = 0;
    std::vector<Fired> runs;

    SchedulerPlatform Make() {
        return SchedulerPlatform{[this] { return now; },
                                 [this](int tick) {
                                     armed = tick;
                                     ++armCalls;
                                 },
                                 [this](const std::wstring& name, const std::wstring& params) {
                                     runs.push_back({now, name, params});
                                 },
                                 [this] { ++listChanged; }};
    }
};

TaskPtr OneTime(DateTime when, const std::wstring& cmnd) {
    auto task = std::make_unique<TScheduleItem>();
    task->TaskType = sttOnce;
    task->StartTime = task->NextRun = when;
    task->Cmnd = cmnd;
    return task;
}

// As the dialog stores it: NextRun 0.
TaskPtr Daily(DateTime start, const std::wstring& cmnd) {
    auto task = std::make_unique<TScheduleItem>();
    task->TaskType = sttDaily;
    task->StartTime = start;
    task->Cmnd = cmnd;
    return task;
}

TEST(SchedulerTick, CoarsestMessageNotAfterTheRun) {
    const DateTime now = At(2026, 3, 10, 10, 20);
    EXPECT_EQ(ChooseSchedulerTick(At(2027, 3, 10, 10, 0), now), kYear); // a year-long wait
    EXPECT_EQ(ChooseSchedulerTick(At(2027, 1, 1), now), kYear);
    EXPECT_EQ(ChooseSchedulerTick(At(2026, 12, 31, 23, 59), now), kMonth);
    EXPECT_EQ(ChooseSchedulerTick(At(2026, 4, 1), now), kMonth);
    EXPECT_EQ(ChooseSchedulerTick(At(2026, 3, 31, 23, 59), now), kDay);
    EXPECT_EQ(ChooseSchedulerTick(At(2026, 3, 11), now), kDay);
    EXPECT_EQ(ChooseSchedulerTick(At(2026, 3, 10, 23, 59), now), kHour);
    EXPECT_EQ(ChooseSchedulerTick(At(2026, 3, 10, 11, 0), now), kHour);
    EXPECT_EQ(ChooseSchedulerTick(At(2026, 3, 10, 10, 59), now), kMinute);
    EXPECT_EQ(ChooseSchedulerTick(At(2026, 3, 10, 10, 20, 1, 500), now), kMinute);
    // Due: less than a second away, now, or past.
    EXPECT_EQ(ChooseSchedulerTick(At(2026, 3, 10, 10, 20, 0, 999), now), 0);
    EXPECT_EQ(ChooseSchedulerTick(now, now), 0);
    EXPECT_EQ(ChooseSchedulerTick(At(2025, 1, 1), now), 0);
    // 30.5 days ahead just after a month began: the month message (1 April) would come late.
    const DateTime monthBegan = At(2026, 3, 1, 0, 1);
    EXPECT_EQ(ChooseSchedulerTick(monthBegan + 30.5, monthBegan), kDay);
    // Without a calendar to measure by, the minute message.
    EXPECT_EQ(ChooseSchedulerTick(At(2026, 3, 11), -1.0), kMinute);
    EXPECT_EQ(ChooseSchedulerTick(At(2026, 3, 11), 1e300), kMinute);
}

TEST(SchedulerEngine, ArmsForTheFirstTaskAndTheMinuteWhenItIsAlreadyDue) {
    FakePlatform platform;
    TSchedulerEngine engine(platform.Make());
    EXPECT_TRUE(engine.ArmScheduler()); // empty
    EXPECT_EQ(platform.armed, 0);

    ASSERT_TRUE(engine.InsertTask(OneTime(At(2026, 3, 11, 9, 0), L"later")));
    EXPECT_FALSE(engine.ArmScheduler());
    EXPECT_EQ(platform.armed, kDay);
    EXPECT_EQ(engine.ArmedTick(), kDay);

    // Added while its time comes: outside RunDueTasks the minute message is armed, so the
    // task runs on it.
    ASSERT_TRUE(engine.InsertTask(OneTime(At(2026, 3, 10, 12, 1), L"soon")));
    platform.now = At(2026, 3, 10, 12, 1, 0, 400);
    EXPECT_TRUE(engine.ArmScheduler());
    EXPECT_EQ(platform.armed, kMinute);
    platform.now = At(2026, 3, 10, 12, 2);
    engine.RunDueTasks(platform.now);
    EXPECT_EQ(platform.runs, (std::vector<Fired>{{platform.now, L"soon", L""}}));
    EXPECT_EQ(platform.armed, kDay);
}

TEST(SchedulerEngine, TasksAtTheSameMinuteRunInOnePass) {
    FakePlatform platform;
    TSchedulerEngine engine(platform.Make());
    const DateTime when = At(2026, 3, 10, 14, 30);
    ASSERT_TRUE(engine.InsertTask(OneTime(when, L"first one two")));
    ASSERT_TRUE(engine.InsertTask(Daily(At(2026, 3, 1, 14, 30), L"second")));
    ASSERT_TRUE(engine.InsertTask(OneTime(At(2026, 3, 10, 14, 31), L"third")));
    engine.ArmScheduler();
    EXPECT_EQ(platform.armed, kHour);

    platform.now = when;
    engine.RunDueTasks(when);
    EXPECT_EQ(platform.runs,
              (std::vector<Fired>{{when, L"first", L"one two"}, {when, L"second", L""}}));
    EXPECT_EQ(platform.listChanged, 1);
    // The one-time task is gone, the daily one moved to tomorrow behind the third.
    ASSERT_EQ(engine.List().Count(), 2u);
    EXPECT_EQ(engine.List().First()->Cmnd, L"third");
    EXPECT_EQ(engine.List().First()->next->NextRun, At(2026, 3, 11, 14, 30));
    EXPECT_EQ(platform.armed, kMinute);

    // A pass with nothing due (a coarse message) re-arms without a change to announce.
    engine.RunDueTasks(At(2026, 3, 10, 14, 30, 20));
    EXPECT_EQ(platform.runs.size(), 2u);
    EXPECT_EQ(platform.listChanged, 1);
}

TEST(SchedulerEngine, AnEarlyMessageRunsTheTaskOnceAndTheLastTaskCancelsTheMessage) {
    FakePlatform platform;
    TSchedulerEngine engine(platform.Make());
    ASSERT_TRUE(engine.InsertTask(Daily(At(2026, 3, 1, 14, 30), L"daily")));
    ASSERT_TRUE(engine.InsertTask(OneTime(At(2026, 3, 10, 14, 30), L"once")));
    platform.now = At(2026, 3, 10, 14, 29, 59, 600); // less than a second before
    engine.RunDueTasks(platform.now);
    ASSERT_EQ(platform.runs.size(), 2u);
    engine.RunDueTasks(At(2026, 3, 10, 14, 30)); // the minute itself: not again
    EXPECT_EQ(platform.runs.size(), 2u);
    EXPECT_EQ(engine.List().First()->NextRun, At(2026, 3, 11, 14, 30));

    // Removing the first task re-arms for the next; the last one leaves nothing armed.
    ASSERT_TRUE(engine.InsertTask(OneTime(At(2027, 6, 1), L"far")));
    engine.ArmScheduler();
    EXPECT_EQ(platform.armed, kDay);
    engine.RemoveTask(engine.List().First());
    EXPECT_EQ(platform.armed, kYear);
    engine.RemoveTask(engine.List().First());
    EXPECT_EQ(platform.armed, 0);
}

TEST(SchedulerEngine, RestartAfterATimeChangeCountsFromStartTime) {
    FakePlatform platform;
    TSchedulerEngine engine(platform.Make());
    // A weekly task on Sundays whose StartTime is a Thursday in the future: it runs then.
    auto weekly = std::make_unique<TScheduleItem>();
    weekly->TaskType = sttWeekly;
    weekly->WeekDays = 1 << 7;
    weekly->StartTime = At(2026, 3, 19, 8, 0);
    weekly->Cmnd = L"weekly";
    ASSERT_TRUE(engine.InsertTask(std::move(weekly)));
    EXPECT_EQ(engine.List().First()->NextRun, At(2026, 3, 15, 8, 0)); // from the dialog
    // A daily task every third day keeps the phase of its StartTime.
    auto third = Daily(At(2026, 3, 1, 9, 0), L"third");
    third->Interval = 3;
    ASSERT_TRUE(engine.InsertTask(std::move(third)));

    platform.now = At(2026, 3, 5, 12, 0); // the clock was set back
    engine.RestartAllTasks();
    EXPECT_EQ(engine.List().First()->Cmnd, L"third");
    EXPECT_EQ(engine.List().First()->NextRun, At(2026, 3, 7, 9, 0));
    EXPECT_EQ(engine.List().First()->next->NextRun, At(2026, 3, 19, 8, 0));
    EXPECT_EQ(platform.armed, kDay);
    EXPECT_EQ(platform.listChanged, 1);
}

TEST(SchedulerEngine, FastScheduleRunsWholeMinutesAhead) {
    FakePlatform platform;
    TSchedulerEngine engine(platform.Make());
    platform.now = At(2026, 3, 10, 14, 25, 37, 512);
    ASSERT_TRUE(engine.FastSchedule(10080, L"Alarm x"));
    const TScheduleItem* task = engine.List().First();
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->StartTime, At(2026, 3, 17, 14, 25)); // exactly seven days, seconds cut
    EXPECT_EQ(task->NextRun, task->StartTime);
    EXPECT_EQ(task->TaskType, sttOnce);
    EXPECT_FALSE(task->HasOptions);
    EXPECT_EQ(task->Cmnd, L"Alarm x");
    EXPECT_EQ(platform.armed, kDay);
    EXPECT_EQ(platform.listChanged, 1);

    EXPECT_FALSE(engine.FastSchedule(0, L"none"));
    EXPECT_EQ(engine.List().Count(), 1u);
    // One minute ahead from 14:25:37: 14:26, run by the minute message.
    ASSERT_TRUE(engine.FastSchedule(1, L"soon"));
    EXPECT_EQ(engine.List().First()->NextRun, At(2026, 3, 10, 14, 26));
    EXPECT_EQ(platform.armed, kMinute);
}

// ---- Wall-clock sequences: the host raises the minute message every minute, the hour
// message at minute 0, the day message at 00:00, the month and year messages at their
// starts. A pass runs when the armed one comes. ----

std::vector<DateTime> Minutes(DateTime from, DateTime to) {
    std::int64_t first = 0;
    std::int64_t last = 0;
    EXPECT_TRUE(DateTimeToMinute(from, first));
    EXPECT_TRUE(DateTimeToMinute(to, last));
    std::vector<DateTime> minutes;
    for (std::int64_t m = first; m <= last; ++m)
        minutes.push_back(MinuteToDateTime(m));
    return minutes;
}

std::vector<DateTime> Concat(std::initializer_list<std::vector<DateTime>> parts) {
    std::vector<DateTime> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

bool Raised(int tick, DateTime when) {
    const LocalTime t = DecodeDateTime(when);
    switch (tick) {
    case kMinute:
        return true;
    case kHour:
        return t.minute == 0;
    case kDay:
        return t.minute == 0 && t.hour == 0;
    case kMonth:
        return t.minute == 0 && t.hour == 0 && t.day == 1;
    case kYear:
        return t.minute == 0 && t.hour == 0 && t.day == 1 && t.month == 1;
    default:
        return false;
    }
}

// Walks the clock through the minutes; where it jumps (forward or back), a time-change
// message may come before the clock messages.
void Drive(TSchedulerEngine& engine, FakePlatform& platform, const std::vector<DateTime>& minutes,
           bool timeChangeMessage) {
    std::int64_t previous = 0;
    ASSERT_TRUE(DateTimeToMinute(platform.now, previous));
    for (const DateTime when : minutes) {
        std::int64_t minute = 0;
        ASSERT_TRUE(DateTimeToMinute(when, minute));
        platform.now = when;
        if (minute != previous + 1 && timeChangeMessage)
            engine.RestartAllTasks();
        previous = minute;
        if (Raised(platform.armed, when))
            engine.RunDueTasks(when);
    }
}

std::vector<DateTime> RunTimes(const FakePlatform& platform) {
    std::vector<DateTime> times;
    for (const Fired& run : platform.runs)
        times.push_back(run.when);
    return times;
}

TEST(SchedulerDaylightSaving, TaskInTheSkippedHourRunsOnceAtThreeOClock) {
    // 29 March 2026: 01:59 is followed by 03:00.
    for (const bool timeChangeMessage : {false, true}) {
        FakePlatform platform;
        TSchedulerEngine engine(platform.Make());
        platform.now = At(2026, 3, 28, 21, 59);
        ASSERT_TRUE(engine.InsertTask(Daily(At(2026, 3, 1, 2, 30), L"night")));
        engine.ArmScheduler();
        Drive(engine, platform,
              Concat({Minutes(At(2026, 3, 28, 22, 0), At(2026, 3, 29, 1, 59)),
                      Minutes(At(2026, 3, 29, 3, 0), At(2026, 3, 30, 3, 0))}),
              timeChangeMessage);
        EXPECT_EQ(RunTimes(platform),
                  (std::vector<DateTime>{At(2026, 3, 29, 3, 0), At(2026, 3, 30, 2, 30)}))
            << "time change message " << timeChangeMessage;
    }
}

TEST(SchedulerDaylightSaving, RepeatedHourRunsTheTaskOnce) {
    // 25 October 2026: 02:59 is followed by 02:00 again.
    const std::vector<DateTime> day =
        Concat({Minutes(At(2026, 10, 24, 23, 0), At(2026, 10, 25, 2, 59)),
                Minutes(At(2026, 10, 25, 2, 0), At(2026, 10, 25, 5, 0))});
    for (const bool timeChangeMessage : {false, true}) {
        FakePlatform platform;
        TSchedulerEngine engine(platform.Make());
        platform.now = At(2026, 10, 24, 22, 59);
        ASSERT_TRUE(engine.InsertTask(Daily(At(2026, 10, 1, 2, 30), L"night")));
        engine.ArmScheduler();
        Drive(engine, platform, day, timeChangeMessage);
        EXPECT_EQ(RunTimes(platform), (std::vector<DateTime>{At(2026, 10, 25, 2, 30)}))
            << "time change message " << timeChangeMessage;
    }
}

TEST(SchedulerDaylightSaving, RepetitionsAreNotRepeatedInTheRepeatedHour) {
    // Every 15 minutes from 01:00 for 3 hours: 01:00 .. 02:45 once each before the clocks go
    // back, none while 02:00 .. 02:59 comes again, then 03:00 .. 04:00.
    const std::vector<DateTime> day =
        Concat({Minutes(At(2026, 10, 24, 23, 0), At(2026, 10, 25, 2, 59)),
                Minutes(At(2026, 10, 25, 2, 0), At(2026, 10, 25, 5, 0))});
    std::vector<DateTime> expected;
    for (int minute = 60; minute <= 4 * 60; minute += 15)
        expected.push_back(At(2026, 10, 25, minute / 60, minute % 60));
    for (const bool timeChangeMessage : {false, true}) {
        FakePlatform platform;
        TSchedulerEngine engine(platform.Make());
        platform.now = At(2026, 10, 24, 22, 59);
        auto task = Daily(At(2026, 10, 1, 1, 0), L"every quarter");
        task->HasOptions = task->Repeating = true;
        task->RepeatEvery = 15;
        task->LimitHour = 3;
        ASSERT_TRUE(engine.InsertTask(std::move(task)));
        engine.ArmScheduler();
        Drive(engine, platform, day, timeChangeMessage);
        EXPECT_EQ(RunTimes(platform), expected) << "time change message " << timeChangeMessage;
    }
}

} // namespace
} // namespace zt
