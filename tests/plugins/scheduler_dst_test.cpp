// The Scheduler across the clock changes of summer time, in the zone Europe/Berlin (the
// test program runs with TZ=Europe/Berlin). The clock engine of the host reads, minute by
// minute, the local time that Windows gives for consecutive UTC minutes across 29 March
// and 25 October 2026 and raises its clock messages; the one the scheduler armed runs the
// due tasks, as in the program. With a time-change message at the change (the host
// refreshes its clock first, then raises it), the runs must be the same.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "common/datetime_format.h"
#include "common/system_time.h"
#include "host/custom_zentik.h"
#include "scheduler_engine.h"

namespace zt::test {
namespace {

// The host's clock messages.
constexpr int kMinuteMessage = 60;
constexpr int kHourMessage = 3600;
constexpr int kDayMessage = 86400;
constexpr int kMonthMessage = 2592000;
constexpr int kYearMessage = 31104000;

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

SYSTEMTIME Utc(int year, int month, int day, int hour, int minute) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    return t;
}

ULONGLONG Ticks(const SYSTEMTIME& t) {
    FILETIME file{};
    ::SystemTimeToFileTime(&t, &file);
    ULARGE_INTEGER value{};
    value.LowPart = file.dwLowDateTime;
    value.HighPart = file.dwHighDateTime;
    return value.QuadPart;
}

SYSTEMTIME FromTicks(ULONGLONG ticks) {
    ULARGE_INTEGER value{};
    value.QuadPart = ticks;
    const FILETIME file{value.LowPart, value.HighPart};
    SYSTEMTIME t{};
    ::FileTimeToSystemTime(&file, &t);
    return t;
}

// The local time of the current zone at a UTC time.
SYSTEMTIME LocalAt(const SYSTEMTIME& utc) {
    SYSTEMTIME local{};
    EXPECT_TRUE(::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local));
    return local;
}

// "2026-10-25 02:45 +02": local time and its offset from UTC.
std::string RunText(const SYSTEMTIME& local, const SYSTEMTIME& utc) {
    const long long offset =
        static_cast<long long>(Ticks(local) - Ticks(utc)) / 10000000LL / 3600LL;
    char text[64];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u %+03lld", local.wYear, local.wMonth,
                  local.wDay, local.wHour, local.wMinute, offset);
    return text;
}

DateTime At(int hour, int minute) {
    return EncodeDate(2026, 1, 1) + EncodeTime(hour, minute, 0, 0);
}

// Runs the two tasks minute by minute from one UTC time to another.
class DstRun {
public:
    struct Run {
        std::string task;
        std::string when; // RunText
    };

    explicit DstRun(const SYSTEMTIME& fromUtc)
        : utc_(fromUtc), engine_(SchedulerPlatform{
                             [this] { return EncodeDateTime(time_.now); },
                             [](int) {},
                             [this](const std::wstring& name, const std::wstring&) {
                                 runs_.push_back({std::string(name.begin(), name.end()),
                                                  RunText(LocalAt(utc_), utc_)});
                             },
                             {},
                         }) {
        time_.now = ToLocalTime(LocalAt(utc_));
        clock_ = std::make_unique<TCustomZentik>(time_, timer_, DefaultFormatSettings());
        // The host raises the clock messages; the scheduler armed one of them.
        const auto deliver = [this](int msg) {
            return [this, msg](TCustomZentik&, DateTime& value, const TCustomZentikTime&) {
                if (engine_.ArmedTick() == msg)
                    engine_.RunDueTasks(value);
            };
        };
        clock_->OnChangeMinute = deliver(kMinuteMessage);
        clock_->OnChangeHour = deliver(kHourMessage);
        clock_->OnChangeDay = deliver(kDayMessage);
        clock_->OnChangeMonth = deliver(kMonthMessage);
        clock_->OnChangeYear = deliver(kYearMessage);

        // Daily at 02:30.
        auto daily = std::make_unique<TScheduleItem>();
        daily->StartTime = At(2, 30);
        daily->TaskType = sttDaily;
        daily->Cmnd = L"daily";
        EXPECT_TRUE(engine_.InsertTask(std::move(daily)));
        // Daily at 01:00, every 15 minutes for 3 hours (the last at 04:00).
        auto repeating = std::make_unique<TScheduleItem>();
        repeating->StartTime = At(1, 0);
        repeating->TaskType = sttDaily;
        repeating->HasOptions = true;
        repeating->Repeating = true;
        repeating->RepeatEvery = 15;
        repeating->EveryInMinutes = true;
        repeating->LimitHour = 3;
        repeating->LimitMinute = 0;
        repeating->Cmnd = L"quarter";
        EXPECT_TRUE(engine_.InsertTask(std::move(repeating)));
        engine_.ArmScheduler();
    }

    // Clock ticks every half minute up to toUtc (the clock engine sees the seconds change
    // too). With timeChanged, the tick at which the local offset changes is followed by what
    // the host does on WM_TIMECHANGE: a clock refresh, then the time-change message.
    void RunUntil(const SYSTEMTIME& toUtc, bool timeChanged) {
        constexpr ULONGLONG kHalfMinute = 30ULL * 10000000ULL;
        for (ULONGLONG t = Ticks(utc_) + kHalfMinute; t <= Ticks(toUtc); t += kHalfMinute) {
            const ULONGLONG previousOffset = Ticks(LocalAt(utc_)) - Ticks(utc_);
            utc_ = FromTicks(t);
            const SYSTEMTIME local = LocalAt(utc_);
            time_.now = ToLocalTime(local);
            timer_.tick();
            if (timeChanged && Ticks(local) - Ticks(utc_) != previousOffset) {
                ++timeChanges_;
                clock_->Refresh();
                engine_.RestartAllTasks();
            }
        }
    }

    // The runs of task on the given local date ("2026-10-25").
    std::vector<std::string> RunsOn(const std::string& task, const std::string& date) const {
        std::vector<std::string> found;
        for (const Run& run : runs_) {
            if (run.task == task && run.when.compare(0, date.size(), date) == 0)
                found.push_back(run.when);
        }
        return found;
    }

    int TimeChanges() const { return timeChanges_; }

private:
    SYSTEMTIME utc_;
    ManualTime time_;
    ManualTimer timer_;
    std::vector<Run> runs_;
    int timeChanges_ = 0;
    TSchedulerEngine engine_;
    std::unique_ptr<TCustomZentik> clock_;
};

class SchedulerDstTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        TIME_ZONE_INFORMATION zone{};
        ::GetTimeZoneInformation(&zone);
        // Central European Time, summer time from the last Sunday of March to the last
        // Sunday of October.
        ASSERT_EQ(zone.Bias, -60) << "run with TZ=Europe/Berlin";
        ASSERT_EQ(zone.DaylightBias, -60);
        ASSERT_EQ(zone.DaylightDate.wMonth, 3);
        ASSERT_EQ(zone.StandardDate.wMonth, 10);
        ASSERT_EQ(RunText(LocalAt(Utc(2026, 3, 29, 1, 0)), Utc(2026, 3, 29, 1, 0)),
                  "2026-03-29 03:00 +02");
        ASSERT_EQ(RunText(LocalAt(Utc(2026, 10, 25, 1, 0)), Utc(2026, 10, 25, 1, 0)),
                  "2026-10-25 02:00 +01");
    }
};

TEST_P(SchedulerDstTest, SpringForwardRunsTheLostHoursTasksOnceAtThree) {
    DstRun run(Utc(2026, 3, 27, 22, 0));
    run.RunUntil(Utc(2026, 3, 30, 12, 0), GetParam());
    EXPECT_EQ(run.TimeChanges(), GetParam() ? 1 : 0);

    EXPECT_EQ(run.RunsOn("daily", "2026-03-28"), std::vector<std::string>{"2026-03-28 02:30 +01"});
    EXPECT_EQ(run.RunsOn("daily", "2026-03-29"), std::vector<std::string>{"2026-03-29 03:00 +02"});
    EXPECT_EQ(run.RunsOn("daily", "2026-03-30"), std::vector<std::string>{"2026-03-30 02:30 +02"});

    // The wall clock goes from 01:59 to 03:00: the 02:00 repetition catches up at 03:00, the
    // others of the lost hour do not exist.
    EXPECT_EQ(run.RunsOn("quarter", "2026-03-29"),
              (std::vector<std::string>{
                  "2026-03-29 01:00 +01", "2026-03-29 01:15 +01", "2026-03-29 01:30 +01",
                  "2026-03-29 01:45 +01", "2026-03-29 03:00 +02", "2026-03-29 03:15 +02",
                  "2026-03-29 03:30 +02", "2026-03-29 03:45 +02", "2026-03-29 04:00 +02"}));
    EXPECT_EQ(run.RunsOn("quarter", "2026-03-28").size(), 13u);
    EXPECT_EQ(run.RunsOn("quarter", "2026-03-30").size(), 13u);
}

TEST_P(SchedulerDstTest, FallBackRunsNothingTwiceInTheRepeatedHour) {
    DstRun run(Utc(2026, 10, 23, 22, 0));
    run.RunUntil(Utc(2026, 10, 26, 12, 0), GetParam());
    EXPECT_EQ(run.TimeChanges(), GetParam() ? 1 : 0);

    EXPECT_EQ(run.RunsOn("daily", "2026-10-24"), std::vector<std::string>{"2026-10-24 02:30 +02"});
    EXPECT_EQ(run.RunsOn("daily", "2026-10-25"), std::vector<std::string>{"2026-10-25 02:30 +02"});
    EXPECT_EQ(run.RunsOn("daily", "2026-10-26"), std::vector<std::string>{"2026-10-26 02:30 +01"});

    // Runs follow the wall clock and never repeat a wall-clock time already run: the
    // repetitions of 02:00 ... 02:45 ran in summer time and are not run again when the
    // clock shows those times once more; the next one is 03:00 in winter time.
    EXPECT_EQ(run.RunsOn("quarter", "2026-10-25"),
              (std::vector<std::string>{
                  "2026-10-25 01:00 +02", "2026-10-25 01:15 +02", "2026-10-25 01:30 +02",
                  "2026-10-25 01:45 +02", "2026-10-25 02:00 +02", "2026-10-25 02:15 +02",
                  "2026-10-25 02:30 +02", "2026-10-25 02:45 +02", "2026-10-25 03:00 +01",
                  "2026-10-25 03:15 +01", "2026-10-25 03:30 +01", "2026-10-25 03:45 +01",
                  "2026-10-25 04:00 +01"}));
    EXPECT_EQ(run.RunsOn("quarter", "2026-10-24").size(), 13u);
    EXPECT_EQ(run.RunsOn("quarter", "2026-10-26").size(), 13u);
}

INSTANTIATE_TEST_SUITE_P(TimeChangeMessage, SchedulerDstTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "RaisedAtTheChange" : "NotRaised";
                         });

} // namespace
} // namespace zt::test
