// The Scheduler's next-run computation for the case that is worst for stepping (a daily task
// from the dialog, counted from 30 December 1899, repeating every minute), against the
// step-by-step reference; and loading 10 000 stored tasks into the list.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "plugins/scheduler/schedule_list.h"
#include "tests/plugins/scheduler_stepping_reference.h"

namespace {

using namespace zt;

const DateTime kNow = EncodeDate(2026, 3, 10) + EncodeTime(12, 34, 56, 0);

// As the dialog stores it: NextRun 0; 08:00 every minute for 10 hours.
TScheduleItem DialogTask() {
    TScheduleItem task;
    task.TaskType = sttDaily;
    task.Interval = 1;
    task.StartTime = EncodeDate(2026, 3, 1) + EncodeTime(8, 0, 0, 0);
    task.NextRun = 0;
    task.HasOptions = true;
    task.Repeating = true;
    task.RepeatEvery = 1;
    task.EveryInMinutes = true;
    task.LimitHour = 10;
    return task;
}

template <bool (*Compute)(TScheduleItem&, DateTime)>
void NextRunFromDialog(benchmark::State& state) {
    const TScheduleItem stored = DialogTask();
    for (auto _ : state) {
        TScheduleItem task = stored;
        benchmark::DoNotOptimize(Compute(task, kNow));
        benchmark::DoNotOptimize(task.NextRun);
    }
}
BENCHMARK(NextRunFromDialog<ComputeNextRun>)->Name("NextRunFromDialog/ComputeNextRun");
BENCHMARK(NextRunFromDialog<stepping::SteppingNextRun>)->Name("NextRunFromDialog/Stepping");

// 10 000 stored tasks of every type, 18 minutes apart from now on.
std::vector<TScheduleItem> StoredTasks(bool shuffled) {
    std::vector<TScheduleItem> tasks;
    for (int n = 0; n < 10000; ++n) {
        TScheduleItem task;
        task.TaskType = static_cast<std::uint8_t>(n % 4);
        task.StartTime = kNow + n * 0.0125;
        task.NextRun = task.StartTime;
        task.WeekDays = kAllWeekDays;
        if (task.TaskType == sttMonthly) {
            task.SetMonths(kAllMonths);
            task.MonthDay = static_cast<std::uint8_t>(n % 28 + 1);
        }
        task.Cmnd = L"Alarm task";
        tasks.push_back(task);
    }
    // Each keeps its stored run (the start occurrence is not over): they are in list order,
    // as saving writes them.
    if (shuffled)
        std::shuffle(tasks.begin(), tasks.end(), std::mt19937(7));
    return tasks;
}

void Load10000(benchmark::State& state) {
    const std::vector<TScheduleItem> stored = StoredTasks(state.range(0) != 0);
    for (auto _ : state) {
        TScheduleList list;
        for (const TScheduleItem& task : stored)
            list.InsertTask(std::make_unique<TScheduleItem>(task), kNow);
        benchmark::DoNotOptimize(list.First());
        state.PauseTiming();
        list.Clear();
        state.ResumeTiming();
    }
}
BENCHMARK(Load10000)->ArgName("shuffled")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
