// The Scheduler in the real Zentik.exe: a task stored by an earlier run is loaded at start,
// runs its command through the clock's command registry at its minute and not before, and
// the clock saves the list without it when it closes; a click bound to the Scheduler's
// menu command opens the scheduler window.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/datetime.h"
#include "common/system_time.h"
#include "schedule_record.h"
#include "support/zentik_process.h"

namespace zt::test {
namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Ombrelt\\Zentik";
constexpr wchar_t kBindingsKey[] = L"Software\\Ombrelt\\Zentik\\ClickEvents_Strings";
constexpr wchar_t kListKey[] =
    L"Software\\Ombrelt\\Zentik\\Plugins\\Scheduler.Zentik\\ScheduleList";

// Stores one task as the list a closed clock left behind.
void StoreTask(const TScheduleItem& task) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kListKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    const ScheduleRecord block = EncodeScheduleRecord(task);
    const DWORD count = 1;
    EXPECT_EQ(::RegSetValueExW(key, L"Item1", 0, REG_BINARY, block.data(),
                               static_cast<DWORD>(block.size())),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegSetValueExW(key, L"Cmnd1", 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(task.Cmnd.c_str()),
                               static_cast<DWORD>((task.Cmnd.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegSetValueExW(key, L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count),
                               sizeof(count)),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
}

void WriteText(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

// Whether window has a descendant of class name.
bool HasDescendant(HWND window, const wchar_t* name) {
    struct Search {
        const wchar_t* name;
        bool found;
    } search{name, false};
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t cls[64] = {};
            ::GetClassNameW(child, cls, 64);
            s->found = s->found || std::wstring(cls) == s->name;
            return !s->found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A visible top-level dialog of process holding the task list (a list view, and no tree
// view as the options dialog has).
bool SchedulerWindowShown(DWORD process) {
    struct Search {
        DWORD process;
        bool found;
    } search{process, false};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == s->process && ::IsWindowVisible(window) &&
                HasDescendant(window, L"SysListView32") && !HasDescendant(window, L"SysTreeView32"))
                s->found = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DWORD StoredCount() {
    DWORD count = 0xFFFFFFFF;
    DWORD size = sizeof(count);
    ::RegGetValueW(HKEY_CURRENT_USER, kListKey, L"Count", RRF_RT_REG_DWORD, nullptr, &count, &size);
    return count;
}

class SchedulerInTheClock : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ClockWindows().empty()) << "a clock from elsewhere is running";
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }
};

TEST_F(SchedulerInTheClock, AStoredTaskRunsAtItsMinuteAndABoundClickOpensTheWindow) {
    // A one-time task at the next whole minute at least 25 s away (time for the click), closing the
    // clock.
    DateTime now = LocalNow();
    const double minute = 1.0 / kMinsPerDay;
    DateTime runAt = static_cast<double>(static_cast<long long>(now / minute) + 1) * minute;
    if ((runAt - now) * kSecsPerDay < 25)
        runAt += minute;
    const LocalTime at = DecodeDateTime(runAt);
    TScheduleItem task;
    task.StartTime = EncodeDate(at.year, at.month, at.day) + EncodeTime(at.hour, at.minute, 0, 0);
    task.NextRun = task.StartTime;
    task.TaskType = sttOnce;
    task.Cmnd = L"zt_CloseZentik";
    StoreTask(task);
    // A clock that has run before (FormVersion) with the middle click bound to the Scheduler.
    WriteText(kSettingsKey, L"FormVersion", L"2");
    WriteText(kBindingsKey, L"Count", L"1");
    WriteText(kBindingsKey, L"Item0", L"ClickMainMiddle=pm_ShedulerShow");

    ZentikProcess clock;
    ASSERT_TRUE(clock.Start());
    const HWND window = clock.WaitForWindow();
    ASSERT_NE(window, nullptr);

    POINT lit{};
    ASSERT_TRUE(WaitUntil(10000, [&] { return SegmentPoint(window, lit); }))
        << "no lit segment found on the clock";
    if (XdotoolAvailable()) {
        ASSERT_TRUE(RunXdotool(L"mousemove " + std::to_wstring(lit.x) + L" " +
                               std::to_wstring(lit.y) + L" sleep 0.2 click 2"));
        EXPECT_TRUE(WaitUntil(10000, [&] { return SchedulerWindowShown(clock.Id()); }))
            << "the middle click did not open the scheduler window";
    }

    // Not before its minute ...
    const double early = (runAt - LocalNow()) * kSecsPerDay - 1.5;
    if (early > 0) {
        EXPECT_FALSE(clock.WaitForExit(static_cast<DWORD>(early * 1000)))
            << "the task ran before its minute";
    }
    // ... but at it: the command closes the clock, which saves the list without the task.
    EXPECT_TRUE(clock.WaitForExit(20000)) << "the task did not run at its minute";
    EXPECT_EQ(StoredCount(), 0u);
}

} // namespace
} // namespace zt::test
