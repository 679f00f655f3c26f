// The task list's placing rules and the 56-byte stored block of a task.

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "plugins/scheduler/schedule_list.h"
#include "plugins/scheduler/schedule_record.h"

namespace zt {
namespace {

DateTime At(int year, int month, int day, int hour = 0, int minute = 0) {
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, 0, 0);
}

const DateTime kNow = At(2026, 3, 10, 12, 0);

// A one-time task at the given time, named for the checks.
TaskPtr OneTime(DateTime when, const wchar_t* name) {
    auto task = std::make_unique<TScheduleItem>();
    task->TaskType = sttOnce;
    task->StartTime = task->NextRun = when;
    task->Cmnd = name;
    return task;
}

// The names in list order, checking the back links on the way.
std::vector<std::wstring> Names(const TScheduleList& list) {
    std::vector<std::wstring> names;
    const TScheduleItem* previous = nullptr;
    for (const TScheduleItem* task = list.First(); task != nullptr; task = task->next) {
        EXPECT_EQ(task->prev, previous);
        names.push_back(task->Cmnd);
        previous = task;
    }
    return names;
}

using NameList = std::vector<std::wstring>;

TScheduleItem* Find(const TScheduleList& list, const std::wstring& name) {
    for (TScheduleItem* task = list.First(); task != nullptr; task = task->next) {
        if (task->Cmnd == name)
            return task;
    }
    return nullptr;
}

TEST(ScheduleList, InsertOrdersByNextRunAndDropsTasksWithoutARun) {
    TScheduleList list;
    EXPECT_TRUE(list.Empty());
    EXPECT_TRUE(list.InsertTask(OneTime(At(2026, 3, 12, 9, 0), L"c"), kNow));
    EXPECT_TRUE(list.InsertTask(OneTime(At(2026, 3, 10, 13, 0), L"a"), kNow));
    EXPECT_TRUE(list.InsertTask(OneTime(At(2026, 3, 11, 9, 0), L"b"), kNow));
    EXPECT_TRUE(list.InsertTask(OneTime(At(2026, 4, 1, 9, 0), L"d"), kNow));
    // A one-time task in the past is not added.
    EXPECT_FALSE(list.InsertTask(OneTime(At(2026, 3, 10, 11, 0), L"past"), kNow));
    EXPECT_EQ(Names(list), (NameList{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(list.Count(), 4u);
}

TEST(ScheduleList, EqualNextRunsKeepTheirOrderOfInsertion) {
    TScheduleList list;
    const DateTime when = At(2026, 3, 11, 9, 0);
    list.InsertTask(OneTime(when, L"first"), kNow);
    list.InsertTask(OneTime(when, L"second"), kNow);
    EXPECT_EQ(Names(list), (NameList{L"first", L"second"}));
    // A third lands directly after the first of the equal tasks, where the walk stops.
    list.InsertTask(OneTime(when, L"third"), kNow);
    EXPECT_EQ(Names(list), (NameList{L"first", L"third", L"second"}));
    // Behind an earlier task, the walk stops at the first equal one too.
    list.InsertTask(OneTime(At(2026, 3, 11, 8, 0), L"early"), kNow);
    list.InsertTask(OneTime(when, L"fourth"), kNow);
    EXPECT_EQ(Names(list), (NameList{L"early", L"first", L"fourth", L"third", L"second"}));
    // Nearer the end than the front: the same place.
    list.InsertTask(OneTime(when, L"fifth"), kNow);
    EXPECT_EQ(Names(list),
              (NameList{L"early", L"first", L"fifth", L"fourth", L"third", L"second"}));
}

TEST(ScheduleList, RepositionForwardLandsBeforeEqualsBackwardAfterEquals) {
    TScheduleList list;
    list.InsertTask(OneTime(At(2026, 3, 11, 9, 0), L"a"), kNow);
    list.InsertTask(OneTime(At(2026, 3, 11, 10, 0), L"b"), kNow);
    list.InsertTask(OneTime(At(2026, 3, 11, 11, 0), L"c"), kNow);
    list.InsertTask(OneTime(At(2026, 3, 11, 11, 0), L"d"), kNow);
    list.InsertTask(OneTime(At(2026, 3, 11, 12, 0), L"e"), kNow);

    // a moves to 11:00: before c and d; its successor becomes the first task.
    TScheduleItem* a = Find(list, L"a");
    a->StartTime = a->NextRun = At(2026, 3, 11, 11, 0);
    EXPECT_TRUE(list.RepositionTask(a, kNow));
    EXPECT_EQ(Names(list), (NameList{L"b", L"a", L"c", L"d", L"e"}));

    // e moves back to 11:00: after a, c and d.
    TScheduleItem* e = Find(list, L"e");
    e->StartTime = e->NextRun = At(2026, 3, 11, 11, 0);
    EXPECT_TRUE(list.RepositionTask(e, kNow));
    EXPECT_EQ(Names(list), (NameList{L"b", L"a", L"c", L"d", L"e"}));
    e->StartTime = e->NextRun = At(2026, 3, 11, 10, 0);
    EXPECT_TRUE(list.RepositionTask(e, kNow));
    EXPECT_EQ(Names(list), (NameList{L"b", L"e", L"a", L"c", L"d"}));

    // Back to the front, and forward to the end.
    TScheduleItem* d = Find(list, L"d");
    d->StartTime = d->NextRun = At(2026, 3, 11, 9, 0);
    EXPECT_TRUE(list.RepositionTask(d, kNow));
    EXPECT_EQ(Names(list), (NameList{L"d", L"b", L"e", L"a", L"c"}));
    d->StartTime = d->NextRun = At(2026, 3, 12, 9, 0);
    EXPECT_TRUE(list.RepositionTask(d, kNow));
    EXPECT_EQ(Names(list), (NameList{L"b", L"e", L"a", L"c", L"d"}));

    // Still in order with both neighbours: nothing moves, even among equals.
    TScheduleItem* c = Find(list, L"c");
    EXPECT_TRUE(list.RepositionTask(c, kNow));
    EXPECT_EQ(Names(list), (NameList{L"b", L"e", L"a", L"c", L"d"}));

    // Inserting after moves and removals at the end: later than all goes last, an equal
    // one after the first equal.
    list.InsertTask(OneTime(At(2026, 3, 12, 10, 0), L"f"), kNow);
    list.InsertTask(OneTime(At(2026, 3, 12, 9, 0), L"g"), kNow);
    EXPECT_EQ(Names(list), (NameList{L"b", L"e", L"a", L"c", L"d", L"g", L"f"}));
    list.RemoveTask(Find(list, L"f"));
    list.InsertTask(OneTime(At(2026, 3, 13, 9, 0), L"h"), kNow);
    EXPECT_EQ(Names(list), (NameList{L"b", L"e", L"a", L"c", L"d", L"g", L"h"}));
}

TEST(ScheduleList, RemovingTheFirstTaskRaisesOnFirstRemoved) {
    TScheduleList list;
    int raised = 0;
    list.OnFirstRemoved = [&] {
        // Raised with the list already changed and the lock still taken (re-entrant).
        std::lock_guard again(list.Lock());
        ++raised;
    };
    list.InsertTask(OneTime(At(2026, 3, 11, 9, 0), L"a"), kNow);
    list.InsertTask(OneTime(At(2026, 3, 11, 10, 0), L"b"), kNow);
    list.InsertTask(OneTime(At(2026, 3, 11, 11, 0), L"c"), kNow);

    list.RemoveTask(Find(list, L"b"));
    EXPECT_EQ(raised, 0);
    list.RemoveTask(Find(list, L"a"));
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(Names(list), (NameList{L"c"}));

    // A task left without a run is removed by RepositionTask, through the same path.
    TScheduleItem* c = Find(list, L"c");
    c->NextRun = c->StartTime = At(2026, 3, 1, 9, 0);
    EXPECT_FALSE(list.RepositionTask(c, kNow));
    EXPECT_EQ(raised, 2);
    EXPECT_TRUE(list.Empty());
}

TEST(ScheduleList, TakeFirstHandsOverAndClearEmpties) {
    TScheduleList list;
    EXPECT_EQ(list.TakeFirst(), nullptr);
    list.InsertTask(OneTime(At(2026, 3, 11, 9, 0), L"a"), kNow);
    list.InsertTask(OneTime(At(2026, 3, 11, 10, 0), L"b"), kNow);
    list.InsertTask(OneTime(At(2026, 3, 11, 11, 0), L"c"), kNow);
    TaskPtr first = list.TakeFirst();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Cmnd, L"a");
    EXPECT_EQ(first->next, nullptr);
    EXPECT_EQ(Names(list), (NameList{L"b", L"c"}));
    list.Clear();
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(list.Count(), 0u);
    list.InsertTask(OneTime(At(2026, 3, 11, 9, 0), L"again"), kNow);
    list.InsertTask(OneTime(At(2026, 3, 11, 10, 0), L"later"), kNow);
    EXPECT_EQ(Names(list), (NameList{L"again", L"later"}));
}

// ---- The stored block ----

TScheduleItem Sample() {
    TScheduleItem task;
    task.StartTime = At(2026, 3, 10, 7, 45);
    task.NextRun = At(2026, 3, 17, 7, 45);
    task.TaskType = sttWeekly;
    task.Interval = 2;
    task.WeekDays = 0x22; // Monday, Friday
    task.ByMonthDay = false;
    task.MonthDay = 5;
    task.WeekDay = 7;
    task.HasOptions = true;
    task.HasEndDate = true;
    task.EndDate = At(2026, 12, 31);
    task.Repeating = true;
    task.RepeatEvery = 0x1234;
    task.EveryInMinutes = false;
    task.UntilTime = true;
    task.LimitHour = 0x0517;
    task.LimitMinute = 0x0A3B;
    return task;
}

double DoubleAt(const ScheduleRecord& record, std::size_t offset) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 8; ++i)
        bits |= static_cast<std::uint64_t>(record[offset + i]) << (8 * i);
    return std::bit_cast<double>(bits);
}

TEST(ScheduleRecord, FieldsAtTheirOffsetsLittleEndianUnusedBytesZero) {
    const ScheduleRecord record = EncodeScheduleRecord(Sample());
    EXPECT_EQ(DoubleAt(record, 0), At(2026, 3, 10, 7, 45));
    EXPECT_EQ(DoubleAt(record, 8), At(2026, 3, 17, 7, 45));
    EXPECT_EQ(DoubleAt(record, 32), At(2026, 12, 31));
    const std::vector<std::pair<std::size_t, std::uint8_t>> bytes = {
        {16, 2}, {17, 2},    {18, 0x22}, {20, 0},    {21, 5},    {22, 7},
        {24, 1}, {25, 1},    {40, 1},    {42, 0x34}, {43, 0x12}, {44, 0},
        {45, 1}, {46, 0x17}, {47, 0x05}, {48, 0x3B}, {49, 0x0A}};
    for (const auto& [offset, value] : bytes)
        EXPECT_EQ(record[offset], value) << "offset " << offset;
    for (const std::size_t offset : {19, 23, 26, 27, 28, 29, 30, 31, 41, 50, 51, 52, 53, 54, 55})
        EXPECT_EQ(record[offset], 0) << "unused offset " << offset;
}

TEST(ScheduleRecord, MonthlyWithAllMonthsStoresFE1FInBytes17And18) {
    TScheduleItem task;
    task.TaskType = sttMonthly;
    task.SetMonths(kAllMonths);
    const ScheduleRecord record = EncodeScheduleRecord(task);
    EXPECT_EQ(record[17], 0xFE);
    EXPECT_EQ(record[18], 0x1F);
    TScheduleItem back;
    ASSERT_TRUE(DecodeScheduleRecord(record.data(), record.size(), back));
    EXPECT_EQ(back.Months(), kAllMonths);
}

TEST(ScheduleRecord, RoundTripAndWrongSizeRejected) {
    const TScheduleItem original = Sample();
    const ScheduleRecord record = EncodeScheduleRecord(original);
    TScheduleItem back;
    back.Cmnd = L"kept";
    ASSERT_TRUE(DecodeScheduleRecord(record.data(), record.size(), back));
    EXPECT_EQ(EncodeScheduleRecord(back), record);
    EXPECT_EQ(back.Cmnd, L"kept");
    EXPECT_EQ(back.RepeatEvery, 0x1234);
    EXPECT_EQ(back.LimitMinute, 0x0A3B);
    EXPECT_FALSE(back.ByMonthDay);
    EXPECT_TRUE(back.UntilTime);

    // Any non-zero flag byte reads as true; unused bytes are ignored.
    ScheduleRecord odd = record;
    odd[20] = 7;
    odd[44] = 0x80;
    odd[19] = odd[23] = odd[55] = 0xAA;
    ASSERT_TRUE(DecodeScheduleRecord(odd.data(), odd.size(), back));
    EXPECT_TRUE(back.ByMonthDay);
    EXPECT_TRUE(back.EveryInMinutes);

    std::vector<std::uint8_t> longer(record.begin(), record.end());
    longer.push_back(0);
    TScheduleItem untouched;
    const ScheduleRecord before = EncodeScheduleRecord(untouched);
    EXPECT_FALSE(DecodeScheduleRecord(longer.data(), longer.size(), untouched));
    EXPECT_FALSE(DecodeScheduleRecord(longer.data(), kScheduleRecordSize - 1, untouched));
    EXPECT_FALSE(DecodeScheduleRecord(nullptr, 0, untouched));
    EXPECT_EQ(EncodeScheduleRecord(untouched), before);
}

} // namespace
} // namespace zt
