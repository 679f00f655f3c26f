// The Scheduler's task list in the registry: the stored values read back with
// RegQueryValueEx, damaged entries, and saves cut short by the death of the saving process
// (a helper program that ends itself between writing and swapping).

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/datetime.h"
#include "common/handles.h"
#include "schedule_record.h"
#include "schedule_store.h"

namespace zt::test {
namespace {

constexpr wchar_t kTestRoot[] = L"Software\\Ombrelt\\ZentikTests\\SchedulerStore";
constexpr wchar_t kListKey[] = L"Software\\Ombrelt\\ZentikTests\\SchedulerStore\\ScheduleList";
constexpr wchar_t kNewKey[] = L"Software\\Ombrelt\\ZentikTests\\SchedulerStore\\ScheduleList.new";
// The helper's exit code when it ended itself at the requested step.
constexpr DWORD kChildDiedAtStep = 77;

DateTime At(int year, int month, int day, int hour, int minute) {
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, 0, 0);
}

const DateTime kNow = At(2026, 5, 4, 12, 0); // a Monday

TaskPtr Once(DateTime when, const std::wstring& cmnd) {
    auto task = std::make_unique<TScheduleItem>();
    task->StartTime = when;
    task->NextRun = when;
    task->TaskType = sttOnce;
    task->Cmnd = cmnd;
    return task;
}

TaskPtr Daily(int hour, int minute, const std::wstring& cmnd) {
    auto task = std::make_unique<TScheduleItem>();
    task->StartTime = At(2026, 1, 1, hour, minute);
    task->NextRun = 0;
    task->TaskType = sttDaily;
    task->Interval = 1;
    task->Cmnd = cmnd;
    return task;
}

// --- reading the registry as another program would --------------------------------------

UniqueKey OpenKey(const wchar_t* path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return UniqueKey();
    return UniqueKey(key);
}

bool KeyExists(const wchar_t* path) {
    return static_cast<bool>(OpenKey(path));
}

struct Value {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

std::optional<Value> ReadValue(HKEY key, const std::wstring& name) {
    Value value;
    DWORD size = 0;
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &value.type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &value.type, value.data.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    return value;
}

std::vector<std::wstring> ValueNames(HKEY key) {
    std::vector<std::wstring> names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (::RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<DWORD> ReadCount(const wchar_t* path) {
    const UniqueKey key = OpenKey(path);
    const auto value = key ? ReadValue(key.get(), L"Count") : std::nullopt;
    if (!value || value->type != REG_DWORD || value->data.size() != 4)
        return std::nullopt;
    DWORD count = 0;
    std::memcpy(&count, value->data.data(), 4);
    return count;
}

std::wstring ReadString(HKEY key, const std::wstring& name) {
    const auto value = ReadValue(key, name);
    if (!value || value->type != REG_SZ || value->data.size() % 2 != 0)
        return L"<not a string>";
    std::wstring text(value->data.size() / 2, L'\0');
    std::memcpy(text.data(), value->data.data(), value->data.size());
    EXPECT_EQ(text.back(), L'\0') << "stored with its terminator";
    text.pop_back();
    return text;
}

double DoubleAt(const std::vector<BYTE>& block, size_t offset) {
    double value = 0;
    std::memcpy(&value, block.data() + offset, 8);
    return value;
}

unsigned WordAt(const std::vector<BYTE>& block, size_t offset) {
    return block[offset] | block[offset + 1] << 8;
}

// --- writing the registry by hand ---------------------------------------------------------

class RawKey {
public:
    explicit RawKey(const wchar_t* path) {
        HKEY key = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr);
        key_.reset(key);
    }
    void Dword(const std::wstring& name, DWORD value) {
        Set(name, REG_DWORD, &value, sizeof(value));
    }
    void Block(const std::wstring& name, const TScheduleItem& task, size_t size = 56,
               DWORD type = REG_BINARY) {
        std::vector<BYTE> bytes(size, 0);
        const ScheduleRecord record = EncodeScheduleRecord(task);
        std::memcpy(bytes.data(), record.data(), std::min(size, record.size()));
        Set(name, type, bytes.data(), bytes.size());
    }
    void String(const std::wstring& name, const std::wstring& text) {
        Set(name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }

private:
    void Set(const std::wstring& name, DWORD type, const void* data, size_t size) {
        ASSERT_EQ(::RegSetValueExW(key_.get(), name.c_str(), 0, type,
                                   static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
                  ERROR_SUCCESS);
    }
    UniqueKey key_;
};

std::vector<std::wstring> Commands(const TScheduleList& list) {
    std::vector<std::wstring> commands;
    for (const TScheduleItem* task = list.First(); task; task = task->next)
        commands.push_back(task->Cmnd);
    return commands;
}

class ScheduleStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot); }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot); }

    std::vector<std::wstring> Load() {
        TScheduleList list;
        store.Load(list, kNow);
        return Commands(list);
    }

    // Runs the helper, which saves three tasks "child 1" ... "child 3" and ends its own
    // process at step; true when it ended there.
    bool RunChildDyingAt(const wchar_t* step) {
        wchar_t self[MAX_PATH] = {};
        const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring program(self, length);
        program = program.substr(0, program.find_last_of(L'\\') + 1) + L"scheduler_store_child.exe";
        std::wstring line = L"\"" + program + L"\" " + kListKey + L" " + step;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process)) {
            ADD_FAILURE() << "the helper did not start, error " << ::GetLastError();
            return false;
        }
        const UniqueKernelHandle processHandle(process.hProcess);
        const UniqueKernelHandle thread(process.hThread);
        if (::WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the helper did not end";
            return false;
        }
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        EXPECT_EQ(code, kChildDiedAtStep);
        return code == kChildDiedAtStep;
    }

    TScheduleStore store{kListKey};
};

TEST_F(ScheduleStoreTest, SavesCountItemAndCmndValuesInListOrderAndReadsThemBack) {
    TScheduleList list;
    // Weekly every 3 weeks on Monday and Friday.
    TaskPtr weekly = Daily(9, 15, L"sw_Stopwatch_ON_OFF");
    weekly->TaskType = sttWeekly;
    weekly->Interval = 3;
    weekly->WeekDays = 1 << 1 | 1 << 5;
    // Monthly in every month on day 15, repeating every 90 minutes until 18:45, ending 2027.
    TaskPtr monthly = Daily(7, 30, L"NU_Synchronize \u0441\u0435\u0440\u0432\u0435\u0440");
    monthly->TaskType = sttMonthly;
    monthly->SetMonths(kAllMonths);
    monthly->ByMonthDay = true;
    monthly->MonthDay = 15;
    monthly->HasOptions = true;
    monthly->HasEndDate = true;
    monthly->EndDate = EncodeDate(2027, 12, 31);
    monthly->Repeating = true;
    monthly->RepeatEvery = 90;
    monthly->EveryInMinutes = true;
    monthly->UntilTime = true;
    monthly->LimitHour = 18;
    monthly->LimitMinute = 45;
    ASSERT_TRUE(list.InsertTask(std::move(monthly), kNow));
    ASSERT_TRUE(list.InsertTask(std::move(weekly), kNow));
    ASSERT_TRUE(list.InsertTask(Once(At(2026, 5, 4, 12, 30), L"pm_TalkTime"), kNow));
    ASSERT_EQ(Commands(list),
              (std::vector<std::wstring>{L"pm_TalkTime", L"sw_Stopwatch_ON_OFF",
                                         L"NU_Synchronize \u0441\u0435\u0440\u0432\u0435\u0440"}));

    ASSERT_TRUE(store.Save(list));
    EXPECT_FALSE(KeyExists(kNewKey));
    const UniqueKey key = OpenKey(kListKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(ValueNames(key.get()),
              (std::vector<std::wstring>{L"Cmnd1", L"Cmnd2", L"Cmnd3", L"Count", L"Item1", L"Item2",
                                         L"Item3"}));
    EXPECT_EQ(ReadCount(kListKey), 3u);
    int n = 0;
    for (const TScheduleItem* task = list.First(); task; task = task->next) {
        ++n;
        SCOPED_TRACE(n);
        const auto item = ReadValue(key.get(), L"Item" + std::to_wstring(n));
        ASSERT_TRUE(item);
        EXPECT_EQ(item->type, static_cast<DWORD>(REG_BINARY));
        ASSERT_EQ(item->data.size(), 56u);
        const ScheduleRecord expected = EncodeScheduleRecord(*task);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), item->data.begin()));
        EXPECT_EQ(DoubleAt(item->data, 0), task->StartTime);
        EXPECT_EQ(DoubleAt(item->data, 8), task->NextRun);
        EXPECT_EQ(item->data[16], task->TaskType);
        EXPECT_EQ(ReadString(key.get(), L"Cmnd" + std::to_wstring(n)), task->Cmnd);
    }
    // Bytes 17 and 18: interval and weekdays of the weekly task, the months of the monthly.
    const auto weeklyItem = ReadValue(key.get(), L"Item2");
    const auto monthlyItem = ReadValue(key.get(), L"Item3");
    ASSERT_TRUE(weeklyItem && monthlyItem);
    EXPECT_EQ(weeklyItem->data[17], 3);
    EXPECT_EQ(weeklyItem->data[18], 0x22);
    EXPECT_EQ(monthlyItem->data[17], 0xFE);
    EXPECT_EQ(monthlyItem->data[18], 0x1F);
    EXPECT_EQ(monthlyItem->data[20], 1);
    EXPECT_EQ(monthlyItem->data[21], 15);
    EXPECT_EQ(monthlyItem->data[24], 1);
    EXPECT_EQ(monthlyItem->data[25], 1);
    EXPECT_EQ(DoubleAt(monthlyItem->data, 32), EncodeDate(2027, 12, 31));
    EXPECT_EQ(monthlyItem->data[40], 1);
    EXPECT_EQ(WordAt(monthlyItem->data, 42), 90u);
    EXPECT_EQ(monthlyItem->data[44], 1);
    EXPECT_EQ(monthlyItem->data[45], 1);
    EXPECT_EQ(WordAt(monthlyItem->data, 46), 18u);
    EXPECT_EQ(WordAt(monthlyItem->data, 48), 45u);

    TScheduleList loaded;
    EXPECT_EQ(store.Load(loaded, kNow), 3u);
    ASSERT_EQ(Commands(loaded), Commands(list));
    for (const TScheduleItem *a = list.First(), *b = loaded.First(); a && b;
         a = a->next, b = b->next)
        EXPECT_EQ(EncodeScheduleRecord(*a), EncodeScheduleRecord(*b));
}

TEST_F(ScheduleStoreTest, AnEmptyListLeavesCountZeroAndNothingElse) {
    TScheduleList list;
    ASSERT_TRUE(list.InsertTask(Daily(8, 0, L"a"), kNow));
    ASSERT_TRUE(store.Save(list));
    list.Clear();
    ASSERT_TRUE(store.Save(list));
    const UniqueKey key = OpenKey(kListKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(ValueNames(key.get()), std::vector<std::wstring>{L"Count"});
    EXPECT_EQ(ReadCount(kListKey), 0u);
    EXPECT_TRUE(Load().empty());
}

TEST_F(ScheduleStoreTest, ADeletedTaskLeavesNoGapInTheNumbers) {
    TScheduleList list;
    ASSERT_TRUE(list.InsertTask(Daily(8, 0, L"first"), kNow));
    ASSERT_TRUE(list.InsertTask(Daily(9, 0, L"second"), kNow));
    ASSERT_TRUE(list.InsertTask(Daily(10, 0, L"third"), kNow));
    ASSERT_TRUE(store.Save(list));
    list.RemoveTask(list.First()->next);
    ASSERT_TRUE(store.Save(list));
    const UniqueKey key = OpenKey(kListKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(ValueNames(key.get()),
              (std::vector<std::wstring>{L"Cmnd1", L"Cmnd2", L"Count", L"Item1", L"Item2"}));
    EXPECT_EQ(ReadString(key.get(), L"Cmnd1"), L"first");
    EXPECT_EQ(ReadString(key.get(), L"Cmnd2"), L"third");
}

TEST_F(ScheduleStoreTest, TasksWithEqualRunTimesKeepTheirOrderThroughSaveAndLoad) {
    TScheduleList list;
    ASSERT_TRUE(list.InsertTask(Daily(8, 0, L"earlier"), kNow));
    ASSERT_TRUE(list.InsertTask(Daily(8, 0, L"later"), kNow));
    ASSERT_TRUE(store.Save(list));
    EXPECT_EQ(Load(), (std::vector<std::wstring>{L"earlier", L"later"}));
}

TEST_F(ScheduleStoreTest, APassedOneTimeTaskIsDroppedAtLoadAndGoneAfterTheNextSave) {
    RawKey raw(kListKey);
    raw.Dword(L"Count", 2);
    raw.Block(L"Item1", *Once(At(2026, 5, 3, 10, 0), L"yesterday"));
    raw.String(L"Cmnd1", L"yesterday");
    raw.Block(L"Item2", *Daily(8, 0, L"daily"));
    raw.String(L"Cmnd2", L"daily");

    TScheduleList list;
    EXPECT_EQ(store.Load(list, kNow), 2u) << "both read";
    EXPECT_EQ(Commands(list), std::vector<std::wstring>{L"daily"}) << "only one has a run left";
    ASSERT_TRUE(store.Save(list));
    EXPECT_EQ(ReadCount(kListKey), 1u);
    const UniqueKey key = OpenKey(kListKey);
    EXPECT_EQ(ReadString(key.get(), L"Cmnd1"), L"daily");
}

TEST_F(ScheduleStoreTest, DamagedEntriesAreSkippedAndTheRestIsKept) {
    RawKey raw(kListKey);
    raw.Dword(L"Count", 6);
    raw.Block(L"Item1", *Daily(8, 0, L""));
    raw.String(L"Cmnd1", L"whole");
    raw.Block(L"Item2", *Daily(9, 0, L""), 55);
    raw.String(L"Cmnd2", L"short block");
    raw.Block(L"Item3", *Daily(10, 0, L""), 57);
    raw.String(L"Cmnd3", L"long block");
    raw.Block(L"Item4", *Daily(11, 0, L""), 56, REG_SZ);
    raw.String(L"Cmnd4", L"block of another type");
    raw.String(L"Cmnd5", L"no block");
    raw.Block(L"Item6", *Daily(12, 0, L""));
    // Beyond Count: not part of the list.
    raw.Block(L"Item7", *Daily(13, 0, L""));
    raw.String(L"Cmnd7", L"beyond count");

    TScheduleList list;
    EXPECT_EQ(store.Load(list, kNow), 2u);
    EXPECT_EQ(Commands(list), (std::vector<std::wstring>{L"whole", L""}))
        << "the sixth has no command line";
    EXPECT_EQ(list.First()->next->StartTime, At(2026, 1, 1, 12, 0));
}

TEST_F(ScheduleStoreTest, AHugeCountCostsNoMoreThanTheValuesThere) {
    RawKey raw(kListKey);
    raw.Dword(L"Count", 0xFFFFFFFF);
    raw.Block(L"Item1", *Daily(8, 0, L""));
    raw.String(L"Cmnd1", L"one");
    raw.Block(L"Item4000000000", *Daily(9, 0, L""));
    raw.String(L"Cmnd4000000000", L"far");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Load(), (std::vector<std::wstring>{L"one", L"far"}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(ScheduleStoreTest, AMissingKeyOrCountLoadsNothing) {
    EXPECT_TRUE(Load().empty());
    RawKey raw(kListKey);
    raw.Block(L"Item1", *Daily(8, 0, L""));
    raw.String(L"Cmnd1", L"no count");
    EXPECT_TRUE(Load().empty());
}

TEST_F(ScheduleStoreTest, ASaveKilledAfterTheNewListIsCompleteLosesNothing) {
    TScheduleList old;
    ASSERT_TRUE(old.InsertTask(Daily(6, 0, L"old 1"), kNow));
    ASSERT_TRUE(old.InsertTask(Daily(7, 0, L"old 2"), kNow));
    ASSERT_TRUE(store.Save(old));

    ASSERT_TRUE(RunChildDyingAt(L"complete"));
    // The helper died between writing and swapping: both keys are there.
    EXPECT_EQ(ReadCount(kNewKey), 3u);
    EXPECT_EQ(ReadCount(kListKey), 2u);

    EXPECT_EQ(Load(), (std::vector<std::wstring>{L"child 1", L"child 2", L"child 3"}));
    EXPECT_FALSE(KeyExists(kNewKey));
    EXPECT_EQ(ReadCount(kListKey), 3u) << "the new list took the key's place";
}

TEST_F(ScheduleStoreTest, ASaveKilledWhileWritingKeepsTheOldList) {
    TScheduleList old;
    ASSERT_TRUE(old.InsertTask(Daily(6, 0, L"old 1"), kNow));
    ASSERT_TRUE(old.InsertTask(Daily(7, 0, L"old 2"), kNow));
    ASSERT_TRUE(store.Save(old));

    ASSERT_TRUE(RunChildDyingAt(L"items"));
    EXPECT_TRUE(KeyExists(kNewKey));
    EXPECT_FALSE(ReadCount(kNewKey)) << "died before Count";

    EXPECT_EQ(Load(), (std::vector<std::wstring>{L"old 1", L"old 2"}));
    EXPECT_FALSE(KeyExists(kNewKey)) << "the rest of the cut save is gone";
    EXPECT_EQ(ReadCount(kListKey), 2u);
}

TEST_F(ScheduleStoreTest, TenThousandTasksGoAndComeBackInOrder) {
    constexpr int kTasks = 10000;
    TScheduleList list;
    for (int i = 0; i < kTasks; ++i) {
        // One a minute from 13:00 on, so the list order is the creation order.
        const int minute = 13 * 60 + i;
        const DateTime when = EncodeDate(2026, 5, 4) + minute / kMinsPerDay +
                              EncodeTime(minute % kMinsPerDay / 60, minute % 60, 0, 0);
        ASSERT_TRUE(list.InsertTask(Once(when, std::to_wstring(i)), kNow));
    }
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(store.Save(list));
    const auto saveMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
    TScheduleList loaded;
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(store.Load(loaded, kNow), static_cast<size_t>(kTasks));
    const auto loadMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
    EXPECT_EQ(Commands(loaded), Commands(list));
    RecordProperty("save_ms", static_cast<int>(saveMs));
    RecordProperty("load_ms", static_cast<int>(loadMs));
    std::printf("10000 tasks: save %lld ms, load %lld ms\n", static_cast<long long>(saveMs),
                static_cast<long long>(loadMs));
}

} // namespace
} // namespace zt::test
