#pragma once
// TSchedulerEngine: the task list with its firing rules. It waits for the first task by
// arming one clock message (the coarsest whose unit fits before the task), runs the due
// tasks when that message comes, and restarts every task after a system time change.
// Portable: the clock, the message subscription and the command runner are passed in.

#include <functional>
#include <string>

#include "schedule_list.h"

namespace zt {

// The clock message to arm for a first task running at firstRun: the coarsest of 31104000
// (year), 2592000 (month), 86400 (day), 3600 (hour) whose next message (the start of the next
// year, month, day, hour by the calendar) is not after firstRun, else 60 (minute); 0 when the
// task is due (less than a second away, or past). 60 when now is not a date from
// 30 December 1899 to the year 9999.
int ChooseSchedulerTick(DateTime firstRun, DateTime now);

struct SchedulerPlatform {
    // Local date and time now.
    std::function<DateTime()> now;
    // Subscribe RunDueTasks to clock message tick (replacing any armed one); 0 cancels.
    std::function<void(int tick)> arm;
    // Start a command in a worker thread; does not wait. An unknown name does nothing.
    std::function<void(const std::wstring& name, const std::wstring& params)> runCommand;
    // The list changed under the engine's own hands (tasks ran, fast schedule): refill the
    // list window when it is open. May be empty.
    std::function<void()> listChanged;
};

class TSchedulerEngine {
public:
    explicit TSchedulerEngine(SchedulerPlatform platform);
    TSchedulerEngine(const TSchedulerEngine&) = delete;
    TSchedulerEngine& operator=(const TSchedulerEngine&) = delete;

    TScheduleList& List() noexcept { return list_; }
    int ArmedTick() const noexcept { return armed_; }

    // Arms the message for the first task. A first task that is already due is run on the
    // next minute message (armed then); true when the list is empty or the first is due.
    bool ArmScheduler();
    // The armed message's handler: runs every due task in list order (in one pass also those
    // sharing a run time), reschedules each after max(now, the run it made), re-arms, then
    // raises listChanged when a task ran.
    void RunDueTasks(DateTime now);
    // After a system time change: every task restarts from its StartTime (its next run comes
    // after now and after the last run it made in this session), except a task whose run the
    // clock jumped over, which stays due and runs on the next minute message; re-arms; raises
    // listChanged.
    void RestartAllTasks();

    // List operations at the current time (the lock is taken inside).
    bool InsertTask(TaskPtr task);
    bool RepositionTask(TScheduleItem* task);
    void RemoveTask(TScheduleItem* task);
    // A one-time task minutes ahead (whole minutes) running cmnd; inserted, armed, and
    // listChanged raised. False when it has no run (minutes < 1).
    bool FastSchedule(int minutes, const std::wstring& cmnd);

private:
    bool Arm(bool firing, DateTime now);

    SchedulerPlatform platform_;
    TScheduleList list_;
    int armed_ = 0;
    bool busy_ = false; // in a pass that re-arms at its end
};

} // namespace zt
