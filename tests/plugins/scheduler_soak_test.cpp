// A year of the clock engine and the Scheduler in the zone Europe/Berlin (the test program
// runs with TZ=Europe/Berlin; local times come from the C library natively, from Windows under
// Wine), from 31 December 2026 23:00 to 1 January 2028 00:00 local time. The clock ticks at
// seconds 0, 5 and 30 of every minute through both changes of summer time, a four-hour sleep,
// the clock set forward and set back (the last two, and the changes of summer time, with the
// host's time-change message). Every task runs when the minute shown changes to or past each
// run the stepping reference gives (runs the clock jumped over once, at the first change of
// the minute after the jump), never at a wall-clock time it already ran; the alarm rings once
// a day at its minute.

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <ctime>
#endif

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "common/datetime_format.h"
#include "host/custom_zentik.h"
#include "plugins/scheduler/scheduler_engine.h"
#include "tests/plugins/scheduler_stepping_reference.h"

namespace zt::test {
namespace {

// The host's clock messages.
constexpr int kMinuteMessage = 60;
constexpr int kHourMessage = 3600;
constexpr int kDayMessage = 86400;
constexpr int kMonthMessage = 2592000;
constexpr int kYearMessage = 31104000;

constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 86400;

// Seconds since 1 January 1970 UTC of a UTC time.
std::int64_t Utc(int year, int month, int day, int hour, int minute, int second = 0) {
    const auto days =
        static_cast<std::int64_t>(EncodeDate(year, month, day) - EncodeDate(1970, 1, 1));
    return days * kDay + hour * kHour + minute * 60 + second;
}

// Local time minus UTC, in seconds, at a UTC time, as the system converts it.
std::int64_t SystemZoneOffset(std::int64_t utc) {
#ifdef _WIN32
    constexpr std::int64_t kFileTimeEpoch = 11644473600; // 1601 to 1970, in seconds
    constexpr std::int64_t kTicksPerSecond = 10000000;
    ULARGE_INTEGER value{};
    value.QuadPart = static_cast<ULONGLONG>((utc + kFileTimeEpoch) * kTicksPerSecond);
    const FILETIME file{value.LowPart, value.HighPart};
    SYSTEMTIME universal{};
    SYSTEMTIME local{};
    FILETIME localFile{};
    if (!::FileTimeToSystemTime(&file, &universal) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local) ||
        !::SystemTimeToFileTime(&local, &localFile))
        return INT64_MIN;
    value.LowPart = localFile.dwLowDateTime;
    value.HighPart = localFile.dwHighDateTime;
    return static_cast<std::int64_t>(value.QuadPart) / kTicksPerSecond - kFileTimeEpoch - utc;
#else
    const std::time_t time = static_cast<std::time_t>(utc);
    std::tm local{};
    if (::localtime_r(&time, &local) == nullptr)
        return INT64_MIN;
    return local.tm_gmtoff;
#endif
}

// The local time of UTC times; the offset is asked once per UTC hour (the zone changes on
// whole hours).
class ZoneClock {
public:
    std::int64_t Offset(std::int64_t utc) {
        const std::int64_t hour = utc / kHour;
        if (hour != hour_) {
            hour_ = hour;
            offset_ = SystemZoneOffset(hour * kHour);
        }
        return offset_;
    }

    LocalTime Local(std::int64_t utc) {
        const std::int64_t local = utc + Offset(utc);
        const std::int64_t day = local / kDay;
        const std::int64_t second = local % kDay;
        return DecodeDateTime(EncodeDate(1970, 1, 1) + static_cast<double>(day) +
                              EncodeTime(static_cast<int>(second / kHour),
                                         static_cast<int>(second / 60 % 60),
                                         static_cast<int>(second % 60), 0));
    }

    // "2027-10-31 02:30 +02": the local minute and the offset.
    std::string Text(std::int64_t utc) {
        const LocalTime t = Local(utc);
        char text[64];
        std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u %+03d", t.year, t.month, t.day,
                      t.hour, t.minute, static_cast<int>(Offset(utc) / kHour));
        return text;
    }

private:
    std::int64_t hour_ = -1;
    std::int64_t offset_ = 0;
};

class ManualTime final : public TimeSource {
public:
    LocalTime now;
    LocalTime Now() override { return now; }
};

class ManualTimer final : public TactTimer {
public:
    std::function<void()> tick;
    void SetInterval(int) override {}
    int GetInterval() const override { return 250; }
    void SetOnTick(std::function<void()> onTick) override { tick = std::move(onTick); }
};

DateTime At(int year, int month, int day, int hour, int minute) {
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, 0, 0);
}

TScheduleItem Task(const wchar_t* name, std::uint8_t type, DateTime start) {
    TScheduleItem task;
    task.Cmnd = name;
    task.TaskType = type;
    task.StartTime = start;
    task.NextRun = type == sttOnce ? start : 0; // as the dialog stores it
    return task;
}

TScheduleItem Repeating(TScheduleItem task, int every, bool inMinutes, int hour, int minute,
                        bool untilTime) {
    task.HasOptions = true;
    task.Repeating = true;
    task.RepeatEvery = static_cast<std::uint16_t>(every);
    task.EveryInMinutes = inMinutes;
    task.LimitHour = static_cast<std::uint16_t>(hour);
    task.LimitMinute = static_cast<std::uint16_t>(minute);
    task.UntilTime = untilTime;
    return task;
}

TScheduleItem Monthly(const wchar_t* name, DateTime start, std::uint16_t months, bool byMonthDay,
                      int monthDay, int weekDay) {
    TScheduleItem task = Task(name, sttMonthly, start);
    task.SetMonths(months);
    task.ByMonthDay = byMonthDay;
    task.MonthDay = static_cast<std::uint8_t>(monthDay);
    task.WeekDay = static_cast<std::uint8_t>(weekDay);
    return task;
}

std::vector<TScheduleItem> YearTasks() {
    const DateTime newYear = EncodeDate(2027, 1, 1);
    std::vector<TScheduleItem> tasks;
    tasks.push_back(Task(L"daily", sttDaily, newYear + EncodeTime(2, 30, 0, 0)));
    // Every hour from 00:00 for five hours, every hour from 08:00 until 12:00.
    tasks.push_back(Repeating(Task(L"night", sttDaily, newYear), 1, false, 5, 0, false));
    tasks.push_back(Repeating(Task(L"office", sttDaily, newYear + EncodeTime(8, 0, 0, 0)), 1, false,
                              12, 0, true));
    // Every 45 minutes: from 20:00 for three hours, from 01:15 until 04:00.
    tasks.push_back(Repeating(Task(L"evening", sttDaily, newYear + EncodeTime(20, 0, 0, 0)), 45,
                              true, 3, 0, false));
    tasks.push_back(Repeating(Task(L"dst45", sttDaily, newYear + EncodeTime(1, 15, 0, 0)), 45, true,
                              4, 0, true));
    // Every two weeks on Tuesday and Friday. Weeks are counted from 30 December 1899 for a task
    // from the dialog and from StartTime after a time change: this StartTime keeps one count.
    TScheduleItem biweekly = Task(L"biweekly", sttWeekly, At(2027, 1, 4, 18, 0));
    biweekly.Interval = 2;
    biweekly.WeekDays = 1 << 2 | 1 << 5;
    tasks.push_back(biweekly);
    tasks.push_back(Monthly(L"day31", newYear + EncodeTime(9, 15, 0, 0), kAllMonths, true, 31, 1));
    tasks.push_back(Monthly(L"lastSunday", newYear + EncodeTime(2, 30, 0, 0), kAllMonths, false,
                            kLastWeekDayOrdinal, 7));
    tasks.push_back(Monthly(L"firstMonday", newYear + EncodeTime(7, 30, 0, 0),
                            1 << 1 | 1 << 4 | 1 << 7 | 1 << 10, false, 1, 1));
    tasks.push_back(Task(L"once", sttOnce, At(2027, 6, 14, 4, 0)));
    TScheduleItem ending = Task(L"ending", sttDaily, newYear + EncodeTime(12, 0, 0, 0));
    ending.HasOptions = true;
    ending.HasEndDate = true;
    ending.EndDate = EncodeDate(2027, 2, 15);
    tasks.push_back(ending);
    return tasks;
}

// A jump of the clock after the tick at `at`: the machine sleeps until `to`, or the user sets
// the clock to it (the host then refreshes its clock and raises the time-change message
// before the next tick).
struct Jump {
    std::int64_t at;
    std::int64_t to;
    bool timeChange;
};

std::vector<Jump> YearJumps() {
    return {
        // Asleep on Monday 14 June from 01:10 to 05:20 summer time.
        {Utc(2027, 6, 13, 23, 10), Utc(2027, 6, 14, 3, 20, 17), false},
        // Set forward on 8 September from 10:00 to 13:00 (the minute reads the same: the
        // refresh raises no minute message), back on 20 November from 11:30 to 09:10.
        {Utc(2027, 9, 8, 8, 0), Utc(2027, 9, 8, 11, 0), true},
        {Utc(2027, 11, 20, 10, 30), Utc(2027, 11, 20, 8, 10, 21), true},
    };
}

struct YearRun {
    int days = 0;
    int timeChanges = 0;
    std::map<std::string, std::vector<std::string>> runs;     // by task name
    std::map<std::string, std::vector<std::string>> expected; // by the stepping reference
    std::vector<std::string> alarms;
};

class Year {
public:
    Year(std::int64_t fromUtc, const std::vector<TScheduleItem>& tasks)
        : utc_(fromUtc), engine_(SchedulerPlatform{
                             [this] { return EncodeDateTime(time_.now); },
                             [this](int tick) { armed_ = tick; },
                             [this](const std::wstring& name, const std::wstring&) {
                                 result_.runs[Narrow(name)].push_back(zone_.Text(utc_));
                             },
                             {},
                         }) {
        time_.now = zone_.Local(utc_);
        shownMinute_ = time_.now.minute;
        clock_ = std::make_unique<TCustomZentik>(time_, timer_, DefaultFormatSettings());
        // The host raises the clock messages; the scheduler subscribed to one of them.
        const auto deliver = [this](int message) {
            return [this, message](TCustomZentik&, DateTime& value, const TCustomZentikTime&) {
                if (armed_ == message)
                    engine_.RunDueTasks(value);
            };
        };
        clock_->OnChangeMinute = deliver(kMinuteMessage);
        clock_->OnChangeHour = deliver(kHourMessage);
        clock_->OnChangeDay = [this, day = deliver(kDayMessage)](TCustomZentik& sender,
                                                                 DateTime& value,
                                                                 const TCustomZentikTime& time) {
            // The alarm is set again for the new day.
            sender.SetAlarmEnabled(true);
            ++result_.days;
            day(sender, value, time);
        };
        clock_->OnChangeMonth = deliver(kMonthMessage);
        clock_->OnChangeYear = deliver(kYearMessage);
        clock_->SetAlarmTime(EncodeTime(6, 45, 0, 0));
        clock_->SetAlarmEnabled(true);
        clock_->OnAlarm = [this](TCustomZentik&) { result_.alarms.push_back(zone_.Text(utc_)); };

        const DateTime now = EncodeDateTime(time_.now);
        for (const TScheduleItem& task : tasks) {
            EXPECT_TRUE(engine_.InsertTask(std::make_unique<TScheduleItem>(task)));
            Reference reference{task, Narrow(task.Cmnd), false, {}};
            reference.alive = stepping::SteppingNextRun(reference.task, now);
            references_.push_back(reference);
        }
        engine_.ArmScheduler();
    }

    YearRun RunUntil(std::int64_t toUtc, const std::vector<Jump>& jumps) {
        std::size_t next = 0;
        std::int64_t offset = zone_.Offset(utc_);
        while (utc_ < toUtc) {
            const std::int64_t second = utc_ % 60;
            utc_ += second < 5 ? 5 - second : second < 30 ? 30 - second : 60 - second;
            Tick();
            // The changes of summer time: the tick, then the time-change message.
            if (zone_.Offset(utc_) != offset) {
                offset = zone_.Offset(utc_);
                TimeChange();
            }
            if (next < jumps.size() && jumps[next].at == utc_) {
                utc_ = jumps[next].to;
                time_.now = zone_.Local(utc_);
                if (jumps[next].timeChange)
                    TimeChange();
                Tick();
                ++next;
            }
        }
        EXPECT_EQ(next, jumps.size()) << "a jump not on a tick";
        for (const Reference& reference : references_)
            result_.expected[reference.name] = reference.runs;
        return result_;
    }

private:
    struct Reference {
        TScheduleItem task;
        std::string name;
        bool alive;
        std::vector<std::string> runs;
    };

    static std::string Narrow(const std::wstring& text) { return {text.begin(), text.end()}; }

    // A tick of the clock; the reference is asked whenever the minute shown changes.
    void Tick() {
        time_.now = zone_.Local(utc_);
        timer_.tick();
        if (time_.now.minute != shownMinute_) {
            shownMinute_ = time_.now.minute;
            Expect();
        }
    }

    // WM_TIMECHANGE as the host handles it: a clock refresh, then the time-change message.
    void TimeChange() {
        ++result_.timeChanges;
        clock_->Refresh();
        engine_.RestartAllTasks();
    }

    // A task due by the reference runs once now (a run the clock jumped over at the first
    // change of the minute after the jump); its next run is the first after now.
    void Expect() {
        const DateTime now = EncodeDateTime(time_.now);
        for (Reference& reference : references_) {
            if (reference.alive && reference.task.NextRun <= now) {
                reference.runs.push_back(zone_.Text(utc_));
                reference.alive = stepping::SteppingNextRun(reference.task, now);
            }
        }
    }

    std::int64_t utc_;
    ZoneClock zone_;
    ManualTime time_;
    ManualTimer timer_;
    int armed_ = 0;
    int shownMinute_ = -1;
    YearRun result_;
    std::vector<Reference> references_;
    TSchedulerEngine engine_;
    std::unique_ptr<TCustomZentik> clock_;
};

// The first difference of two run lists, or "" when equal.
std::string FirstDifference(const std::vector<std::string>& runs,
                            const std::vector<std::string>& expected) {
    for (std::size_t i = 0; i < runs.size() || i < expected.size(); ++i) {
        const std::string got = i < runs.size() ? runs[i] : "none";
        const std::string want = i < expected.size() ? expected[i] : "none";
        if (got != want)
            return "run " + std::to_string(i + 1) + ": " + got + ", expected " + want;
    }
    return {};
}

std::vector<std::string> RunsOn(const std::vector<std::string>& runs, const std::string& date) {
    std::vector<std::string> found;
    for (const std::string& run : runs) {
        if (run.compare(0, date.size(), date) == 0)
            found.push_back(run);
    }
    return found;
}

class SchedulerSoakTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
#ifndef _WIN32
        ASSERT_STREQ(std::getenv("TZ"), "Europe/Berlin") << "run with TZ=Europe/Berlin";
        ::tzset();
#endif
        // Central European Time, summer time from 28 March to 31 October 2027.
        ZoneClock zone;
        ASSERT_EQ(zone.Text(Utc(2027, 1, 15, 12, 0)), "2027-01-15 13:00 +01")
            << "run with TZ=Europe/Berlin";
        ASSERT_EQ(zone.Text(Utc(2027, 3, 28, 0, 59)), "2027-03-28 01:59 +01");
        ASSERT_EQ(zone.Text(Utc(2027, 3, 28, 1, 0)), "2027-03-28 03:00 +02");
        ASSERT_EQ(zone.Text(Utc(2027, 10, 31, 0, 59)), "2027-10-31 02:59 +02");
        ASSERT_EQ(zone.Text(Utc(2027, 10, 31, 1, 0)), "2027-10-31 02:00 +01");

        Year year(Utc(2026, 12, 31, 22, 0), YearTasks());
        result_ = std::make_unique<YearRun>(year.RunUntil(Utc(2027, 12, 31, 23, 0), YearJumps()));
    }
    static void TearDownTestSuite() {
        result_.reset();
    }

    void SetUp() override {
        ASSERT_TRUE(result_) << "the year did not run";
    }

    const std::vector<std::string>& Runs(const std::string& task) const {
        return result_->runs[task];
    }

    static std::unique_ptr<YearRun> result_;
};

std::unique_ptr<YearRun> SchedulerSoakTest::result_;

TEST_F(SchedulerSoakTest, EveryTaskRunsWhenTheSteppingReferenceSays) {
    EXPECT_EQ(result_->days, 366); // 1 January 2027 to 1 January 2028
    EXPECT_EQ(result_->timeChanges, 4);
    std::size_t total = 0;
    for (const TScheduleItem& task : YearTasks()) {
        const std::string name(task.Cmnd.begin(), task.Cmnd.end());
        EXPECT_EQ(FirstDifference(Runs(name), result_->expected[name]), "") << name;
        total += Runs(name).size();
    }
    EXPECT_EQ(result_->runs.size(), YearTasks().size())
        << "a command of no task, or a task that never ran";
    std::printf("%d days, %zu alarms, %zu task runs\n", result_->days - 1, result_->alarms.size(),
                total);
}

TEST_F(SchedulerSoakTest, AlarmRingsOnceADayAtItsMinute) {
    std::vector<std::string> expected;
    for (DateTime day = EncodeDate(2027, 1, 1); day < EncodeDate(2028, 1, 1); day += 1) {
        const bool summer = day >= EncodeDate(2027, 3, 28) && day < EncodeDate(2027, 10, 31);
        const LocalTime t = DecodeDateTime(day);
        char text[64];
        std::snprintf(text, sizeof(text), "%04u-%02u-%02u 06:45 %s", t.year, t.month, t.day,
                      summer ? "+02" : "+01");
        expected.push_back(text);
    }
    EXPECT_EQ(FirstDifference(result_->alarms, expected), "");
}

TEST_F(SchedulerSoakTest, CalendarRulesRunOnTheirDays) {
    EXPECT_EQ(Runs("day31"),
              (std::vector<std::string>{"2027-01-31 09:15 +01", "2027-03-31 09:15 +02",
                                        "2027-05-31 09:15 +02", "2027-07-31 09:15 +02",
                                        "2027-08-31 09:15 +02", "2027-10-31 09:15 +01",
                                        "2027-12-31 09:15 +01"}));
    EXPECT_EQ(Runs("firstMonday"),
              (std::vector<std::string>{"2027-01-04 07:30 +01", "2027-04-05 07:30 +02",
                                        "2027-07-05 07:30 +02", "2027-10-04 07:30 +02"}));
    // The last Sundays of March and October are the nights of the clock changes.
    EXPECT_EQ(Runs("lastSunday"),
              (std::vector<std::string>{
                  "2027-01-31 02:30 +01", "2027-02-28 02:30 +01", "2027-03-28 03:00 +02",
                  "2027-04-25 02:30 +02", "2027-05-30 02:30 +02", "2027-06-27 02:30 +02",
                  "2027-07-25 02:30 +02", "2027-08-29 02:30 +02", "2027-09-26 02:30 +02",
                  "2027-10-31 02:30 +02", "2027-11-28 02:30 +01", "2027-12-26 02:30 +01"}));
    const std::vector<std::string>& biweekly = Runs("biweekly");
    ASSERT_EQ(biweekly.size(), 52u);
    EXPECT_EQ(biweekly.front(), "2027-01-05 18:00 +01");
    EXPECT_EQ(biweekly[1], "2027-01-08 18:00 +01");
    EXPECT_EQ(biweekly[2], "2027-01-19 18:00 +01");
    EXPECT_EQ(biweekly.back(), "2027-12-24 18:00 +01");
    ASSERT_EQ(Runs("ending").size(), 46u); // 1 January to 15 February
    EXPECT_EQ(Runs("ending").back(), "2027-02-15 12:00 +01");
    EXPECT_EQ(Runs("daily").size(), 365u);
    EXPECT_EQ(Runs("evening").size(), 5u * 365u);
}

TEST_F(SchedulerSoakTest, ClockChangesRunEachTaskOnceAndNeverTwice) {
    using Runs_ = std::vector<std::string>;
    // Summer time begins: 02:00 to 02:59 do not exist, what was due then runs at 03:00.
    EXPECT_EQ(RunsOn(Runs("daily"), "2027-03-28"), Runs_{"2027-03-28 03:00 +02"});
    EXPECT_EQ(RunsOn(Runs("night"), "2027-03-28"),
              (Runs_{"2027-03-28 00:00 +01", "2027-03-28 01:00 +01", "2027-03-28 03:00 +02",
                     "2027-03-28 04:00 +02", "2027-03-28 05:00 +02"}));
    EXPECT_EQ(RunsOn(Runs("dst45"), "2027-03-28"),
              (Runs_{"2027-03-28 01:15 +01", "2027-03-28 03:00 +02", "2027-03-28 03:30 +02"}));
    // Summer time ends: 02:00 to 02:59 come twice, nothing runs again in the second pass.
    EXPECT_EQ(RunsOn(Runs("daily"), "2027-10-31"), Runs_{"2027-10-31 02:30 +02"});
    EXPECT_EQ(RunsOn(Runs("night"), "2027-10-31"),
              (Runs_{"2027-10-31 00:00 +02", "2027-10-31 01:00 +02", "2027-10-31 02:00 +02",
                     "2027-10-31 03:00 +01", "2027-10-31 04:00 +01", "2027-10-31 05:00 +01"}));
    EXPECT_EQ(RunsOn(Runs("dst45"), "2027-10-31"),
              (Runs_{"2027-10-31 01:15 +02", "2027-10-31 02:00 +02", "2027-10-31 02:45 +02",
                     "2027-10-31 03:30 +01"}));
    // Asleep from 01:10 to 05:20: each task that missed runs runs once on waking.
    for (const char* task : {"daily", "dst45", "once"})
        EXPECT_EQ(RunsOn(Runs(task), "2027-06-14"), Runs_{"2027-06-14 05:20 +02"}) << task;
    EXPECT_EQ(RunsOn(Runs("night"), "2027-06-14"),
              (Runs_{"2027-06-14 00:00 +02", "2027-06-14 01:00 +02", "2027-06-14 05:20 +02"}));
    // Set forward from 10:00 to 13:00: the runs of 11:00 and 12:00 make one at the next
    // minute. Set back from 11:30 to 09:10: 10:00 and 11:00 do not run again.
    EXPECT_EQ(RunsOn(Runs("office"), "2027-09-08"),
              (Runs_{"2027-09-08 08:00 +02", "2027-09-08 09:00 +02", "2027-09-08 10:00 +02",
                     "2027-09-08 13:01 +02"}));
    EXPECT_EQ(RunsOn(Runs("office"), "2027-11-20"),
              (Runs_{"2027-11-20 08:00 +01", "2027-11-20 09:00 +01", "2027-11-20 10:00 +01",
                     "2027-11-20 11:00 +01", "2027-11-20 12:00 +01"}));
}

} // namespace
} // namespace zt::test
