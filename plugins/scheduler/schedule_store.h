#pragma once
// The task list in the registry, under HKEY_CURRENT_USER: "Count" (REG_DWORD), then for
// n = 1 ... Count in list order "Item"n (the 56-byte block, REG_BINARY) and "Cmnd"n (the
// command line, REG_SZ).
//
// Saving never loses the list. The new list is written complete under the sibling key
// "<name>.new", its "Count" last; then the old key is deleted and "<name>.new" renamed into
// its place. Loading first finishes a save that was cut short: a "<name>.new" holding
// "Count" is complete and replaces the key; one without "Count" is what a save left when it
// died while writing, and is deleted (the old key is still whole then).

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

#include "schedule_list.h"

namespace zt {

// "Software\Ombrelt\Zentik\Plugins\Scheduler.Zentik\ScheduleList".
std::wstring DefaultScheduleListKey();

class TScheduleStore {
public:
    // The points of a save at which OnSaveStep is called.
    enum class SaveStep {
        ItemsWritten, // every "Item"n and "Cmnd"n of the new key written, "Count" not yet
        NewKeyWritten // the new key complete; the old one not yet replaced
    };

    // keyPath: the list's key under HKEY_CURRENT_USER.
    explicit TScheduleStore(std::wstring keyPath = DefaultScheduleListKey());

    const std::wstring& KeyPath() const noexcept { return keyPath_; }
    // The sibling key a save writes first.
    std::wstring NewKeyPath() const { return keyPath_ + L".new"; }

    // Writes the tasks of list in list order (holding its lock); true when the new list is
    // in place.
    bool Save(TScheduleList& list) const;
    // Reads the stored tasks into list, each through InsertTask at now (which drops a task
    // without a run left), in the order of their numbers. An entry whose "Item"n is missing
    // or is not a 56-byte REG_BINARY is skipped; a missing "Cmnd"n leaves the command line
    // empty. Returns how many tasks were read.
    std::size_t Load(TScheduleList& list, DateTime now) const;

    // Test seam: called at each step of Save (a test ends its own process there).
    std::function<void(SaveStep)> OnSaveStep;

private:
    std::wstring keyPath_;
};

} // namespace zt
