#include "scheduler_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace zt {

namespace {

constexpr int kTickMinute = 60;
constexpr int kTickHour = 3600;
constexpr int kTickDay = 86400;
constexpr int kTickMonth = 2592000;
constexpr int kTickYear = 31104000;

constexpr double kMSecsPerDayD = kMSecsPerDay;

// Milliseconds since 30 December 1899 of a value from then to the end of the year 9999 (as
// DecodeDateTime rounds); false outside.
bool ToMSecs(DateTime value, std::int64_t& ms) {
    if (!(value >= 0 && value < 2958466.0))
        return false;
    const double whole = std::floor(value);
    ms = static_cast<std::int64_t>(whole) * kMSecsPerDay +
         std::llround((value - whole) * kMSecsPerDayD);
    return true;
}

std::int64_t DateMSecs(int year, int month, int day) {
    return static_cast<std::int64_t>(EncodeDate(year, month, day)) * kMSecsPerDay;
}

} // namespace

int ChooseSchedulerTick(DateTime firstRun, DateTime now) {
    std::int64_t nowMs = 0;
    std::int64_t runMs = 0;
    if (!ToMSecs(now, nowMs))
        return kTickMinute; // no calendar to measure by: look again every minute
    if (std::isnan(firstRun))
        return kTickMinute;
    if (firstRun < 0 || (ToMSecs(firstRun, runMs) && runMs - nowMs < 1000))
        return 0;
    if (!ToMSecs(firstRun, runMs))
        runMs = INT64_MAX; // after the year 9999

    // The start of the next minute, hour, day, month and year by the calendar; the coarsest
    // one not after the run time.
    const LocalTime t = DecodeDateTime(now);
    const std::int64_t today = DateMSecs(t.year, t.month, t.day);
    const int nextMonth = t.month % 12 + 1;
    const int nextMonthYear = t.month == 12 ? t.year + 1 : t.year;
    if (t.year < 9999 && DateMSecs(t.year + 1, 1, 1) <= runMs)
        return kTickYear;
    if (nextMonthYear <= 9999 && DateMSecs(nextMonthYear, nextMonth, 1) <= runMs)
        return kTickMonth;
    if (today + kMSecsPerDay <= runMs)
        return kTickDay;
    if (today + (t.hour + 1) * std::int64_t{3600000} <= runMs)
        return kTickHour;
    return kTickMinute;
}

TSchedulerEngine::TSchedulerEngine(SchedulerPlatform platform) : platform_(std::move(platform)) {
    list_.OnFirstRemoved = [this] {
        if (!busy_)
            Arm(false, platform_.now());
    };
}

bool TSchedulerEngine::ArmScheduler() {
    std::lock_guard guard(list_.Lock());
    return Arm(false, platform_.now());
}

bool TSchedulerEngine::Arm(bool firing, DateTime now) {
    const TScheduleItem* first = list_.First();
    int tick = 0;
    bool due = true;
    if (first != nullptr) {
        tick = ChooseSchedulerTick(first->NextRun, now);
        due = tick == 0;
        // The firing loop runs it now and re-arms at its end; outside the loop nothing would
        // run a due task: take the next minute.
        if (due && firing)
            return true;
        if (due)
            tick = kTickMinute;
    }
    if (tick != armed_) {
        armed_ = tick;
        if (platform_.arm)
            platform_.arm(tick);
    }
    return due;
}

void TSchedulerEngine::RunDueTasks(DateTime now) {
    bool ran = false;
    {
        std::lock_guard guard(list_.Lock());
        busy_ = true;
        // Each task runs at most once a pass: a run moves it after now or removes it.
        for (std::size_t left = list_.Count(); left > 0; --left) {
            if (!Arm(true, now))
                break;
            TScheduleItem* task = list_.First();
            if (task == nullptr)
                break;
            const auto [name, params] = SplitCommandLine(task->Cmnd);
            if (platform_.runCommand)
                platform_.runCommand(name, params);
            ran = true;
            // The next run comes after this one even when the message came early, and
            // after the last run when the clock went back (the repeated hour at the end of
            // summer time): runs follow the wall clock and never repeat a wall-clock time
            // already run.
            task->LastRun = task->NextRun;
            list_.RepositionTask(task, std::max(now, task->LastRun));
        }
        Arm(false, now);
        busy_ = false;
    }
    if (ran && platform_.listChanged)
        platform_.listChanged();
}

void TSchedulerEngine::RestartAllTasks() {
    {
        std::lock_guard guard(list_.Lock());
        busy_ = true;
        const DateTime now = platform_.now();
        std::vector<TScheduleItem*> tasks;
        for (TScheduleItem* task = list_.First(); task != nullptr; task = task->next)
            tasks.push_back(task);
        for (TScheduleItem* task : tasks) {
            // A run the clock jumped over (summer time began) stays due: the minute message
            // armed below makes it.
            if (ChooseSchedulerTick(task->NextRun, now) == 0 && task->NextRun > task->LastRun)
                continue;
            task->NextRun = task->StartTime;
            list_.RepositionTask(task, std::max(now, task->LastRun));
        }
        Arm(false, now);
        busy_ = false;
    }
    if (platform_.listChanged)
        platform_.listChanged();
}

bool TSchedulerEngine::InsertTask(TaskPtr task) {
    std::lock_guard guard(list_.Lock());
    return list_.InsertTask(std::move(task), platform_.now());
}

bool TSchedulerEngine::RepositionTask(TScheduleItem* task) {
    std::lock_guard guard(list_.Lock());
    return list_.RepositionTask(task, platform_.now());
}

void TSchedulerEngine::RemoveTask(TScheduleItem* task) {
    std::lock_guard guard(list_.Lock());
    list_.RemoveTask(task);
}

bool TSchedulerEngine::FastSchedule(int minutes, const std::wstring& cmnd) {
    if (minutes < 1)
        return false;
    bool inserted = false;
    {
        std::lock_guard guard(list_.Lock());
        const DateTime now = platform_.now();
        inserted = list_.InsertTask(MakeFastTask(now, minutes, cmnd), now);
        Arm(false, now);
    }
    if (platform_.listChanged)
        platform_.listChanged();
    return inserted;
}

} // namespace zt
