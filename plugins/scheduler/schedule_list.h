#pragma once
// TScheduleList: the tasks in a doubly linked list ordered by NextRun (earliest first),
// owned by the list, guarded by one re-entrant lock. Every listed task has a next run.

#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>

#include "schedule_item.h"

namespace zt {

class TScheduleList {
public:
    TScheduleList() = default;
    ~TScheduleList();
    TScheduleList(const TScheduleList&) = delete;
    TScheduleList& operator=(const TScheduleList&) = delete;

    // Held for every change of the links and of the first task; re-entrant.
    std::recursive_mutex& Lock() noexcept { return lock_; }

    TScheduleItem* First() const noexcept { return first_; }
    std::size_t Count() const noexcept;
    bool Empty() const noexcept { return first_ == nullptr; }

    // Computes the task's next run after now; without one the task is freed and false
    // returned, else it is linked in at its place (after the first task with an equal
    // NextRun where the walk stops) and the list owns it.
    bool InsertTask(TaskPtr task, DateTime now);
    // After a task's fields or NextRun changed: recomputes its next run after now and moves
    // it to its place, or removes it when it has none (false).
    bool RepositionTask(TScheduleItem* task, DateTime now);
    // Unlinks and frees the task; raises OnFirstRemoved when it was the first.
    void RemoveTask(TScheduleItem* task);
    // Unlinks the first task and hands it over (null when empty).
    TaskPtr TakeFirst();
    void Clear();

    // Raised (under the lock) after RemoveTask removed the first task: re-arm.
    std::function<void()> OnFirstRemoved;

private:
    void LinkAfter(TScheduleItem* task, TScheduleItem* anchor);
    void LinkBefore(TScheduleItem* task, TScheduleItem* anchor);
    void Unlink(TScheduleItem* task);

    std::recursive_mutex lock_;
    TScheduleItem* first_ = nullptr;
    TScheduleItem* last_ = nullptr; // a list saved in order loads by appending
};

} // namespace zt
