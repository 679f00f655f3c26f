#include "schedule_list.h"

#include <utility>

namespace zt {

TScheduleList::~TScheduleList() {
    Clear();
}

std::size_t TScheduleList::Count() const noexcept {
    std::size_t count = 0;
    for (const TScheduleItem* task = first_; task != nullptr; task = task->next)
        ++count;
    return count;
}

bool TScheduleList::InsertTask(TaskPtr task, DateTime now) {
    if (!task || !ComputeNextRun(*task, now))
        return false;
    std::lock_guard guard(lock_);
    TScheduleItem* item = task.release();
    item->next = item->prev = nullptr;
    if (first_ == nullptr) {
        first_ = last_ = item;
        return true;
    }
    // Later than every task: where the walk from the first would end, without the walk.
    if (item->NextRun > last_->NextRun) {
        LinkAfter(item, last_);
        return true;
    }
    // The walk stops at the first task whose NextRun is not earlier than the new one; the
    // list is ordered, so walking from the nearer end finds the same task.
    TScheduleItem* current = first_;
    if (item->NextRun - first_->NextRun <= last_->NextRun - item->NextRun) {
        while (current->next != nullptr && item->NextRun > current->NextRun)
            current = current->next;
    } else {
        current = last_;
        while (current->prev != nullptr && current->prev->NextRun >= item->NextRun)
            current = current->prev;
    }
    if (item->NextRun >= current->NextRun)
        LinkAfter(item, current);
    else
        LinkBefore(item, current);
    return true;
}

bool TScheduleList::RepositionTask(TScheduleItem* task, DateTime now) {
    std::lock_guard guard(lock_);
    if (!ComputeNextRun(*task, now)) {
        RemoveTask(task);
        return false;
    }
    const bool beforePrev = task->prev != nullptr && task->prev->NextRun > task->NextRun;
    const bool afterNext = task->next != nullptr && task->NextRun > task->next->NextRun;
    if (beforePrev) {
        // Back past every later task: it lands after those with an equal NextRun.
        TScheduleItem* anchor = task->prev;
        Unlink(task);
        while (anchor->prev != nullptr && anchor->prev->NextRun > task->NextRun)
            anchor = anchor->prev;
        LinkBefore(task, anchor);
    } else if (afterNext) {
        // Forward past every earlier task: it lands before those with an equal NextRun.
        TScheduleItem* anchor = task->next;
        Unlink(task);
        while (anchor->next != nullptr && anchor->next->NextRun < task->NextRun)
            anchor = anchor->next;
        LinkAfter(task, anchor);
    }
    return true;
}

void TScheduleList::RemoveTask(TScheduleItem* task) {
    std::lock_guard guard(lock_);
    const bool wasFirst = task == first_;
    Unlink(task);
    delete task;
    if (wasFirst && OnFirstRemoved)
        OnFirstRemoved();
}

TaskPtr TScheduleList::TakeFirst() {
    std::lock_guard guard(lock_);
    TScheduleItem* task = first_;
    if (task != nullptr)
        Unlink(task);
    return TaskPtr(task);
}

void TScheduleList::Clear() {
    std::lock_guard guard(lock_);
    while (first_ != nullptr) {
        TScheduleItem* task = first_;
        first_ = task->next;
        delete task;
    }
    last_ = nullptr;
}

void TScheduleList::LinkAfter(TScheduleItem* task, TScheduleItem* anchor) {
    task->prev = anchor;
    task->next = anchor->next;
    if (anchor->next != nullptr)
        anchor->next->prev = task;
    else
        last_ = task;
    anchor->next = task;
}

void TScheduleList::LinkBefore(TScheduleItem* task, TScheduleItem* anchor) {
    task->next = anchor;
    task->prev = anchor->prev;
    if (anchor->prev != nullptr)
        anchor->prev->next = task;
    else
        first_ = task;
    anchor->prev = task;
}

void TScheduleList::Unlink(TScheduleItem* task) {
    if (task->prev != nullptr)
        task->prev->next = task->next;
    else
        first_ = task->next;
    if (task->next != nullptr)
        task->next->prev = task->prev;
    else
        last_ = task->prev;
    task->next = task->prev = nullptr;
}

} // namespace zt
