// The Scheduler in the real Zentik.exe: a task stored by an earlier run is loaded at start,
// runs its command through the clock's command registry at its minute and not before, and
// the clock saves the list without it when it closes.

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

TEST_F(SchedulerInTheClock, AStoredTaskRunsItsCommandAtItsMinuteAndNotBefore) {
    // A one-time task at the next whole minute at least 8 s away, closing the clock.
    DateTime now = LocalNow();
    const double minute = 1.0 / kMinsPerDay;
    DateTime runAt = static_cast<double>(static_cast<long long>(now / minute) + 1) * minute;
    if ((runAt - now) * kSecsPerDay < 8)
        runAt += minute;
    const LocalTime at = DecodeDateTime(runAt);
    TScheduleItem task;
    task.StartTime = EncodeDate(at.year, at.month, at.day) + EncodeTime(at.hour, at.minute, 0, 0);
    task.NextRun = task.StartTime;
    task.TaskType = sttOnce;
    task.Cmnd = L"zt_CloseZentik";
    StoreTask(task);

    ZentikProcess clock;
    ASSERT_TRUE(clock.Start());
    const HWND window = clock.WaitForWindow();
    ASSERT_NE(window, nullptr);

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
