// A stored task record of arbitrary bytes, read as the Scheduler reads it: decoded, stored
// again, planned (ComputeNextRun) and described for the task list.
//
// Input: the 56-byte record; 8 more bytes are the "now" of the planning (a little-endian
// double), else a fixed time is used.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "plugins/scheduler/schedule_record.h"
#include "plugins/scheduler/task_description.h"

namespace {

using namespace zt;

// What encoding a decoded record gives: unused bytes 0, flag bytes 0 or 1.
ScheduleRecord Normalised(const std::uint8_t* bytes) {
    ScheduleRecord out{};
    std::copy(bytes, bytes + kScheduleRecordSize, out.begin());
    for (const std::size_t at : {19, 23, 26, 27, 28, 29, 30, 31, 41, 50, 51, 52, 53, 54, 55})
        out[at] = 0;
    for (const std::size_t at : {20, 24, 25, 40, 44, 45})
        out[at] = out[at] != 0 ? 1 : 0;
    return out;
}

DateTime DoubleAt(const std::uint8_t* in) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | in[i];
    return std::bit_cast<DateTime>(bits);
}

bool SameBits(DateTime a, DateTime b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

TaskDescriptionTexts Texts() {
    TaskDescriptionTexts texts;
    texts.words = {L"W0", L"W1", L"W2", L"W3", L"W4", L"W5", L"W6"};
    texts.dayWeek = {L"all", L"Mo", L"Tu", L"We", L"Th", L"Fr", L"Sa", L"Su", L"on"};
    texts.months = {L"all", L"1", L"2", L"3",  L"4",  L"5", L"6",
                    L"7",   L"8", L"9", L"10", L"11", L"12"};
    for (auto& ordinals : texts.ordinals) {
        texts.executeAt.push_back(L"at");
        ordinals = {L"1st", L"2nd", L"3rd", L"4th", L"last"};
    }
    texts.monthDay = L"day";
    texts.week = L"week";
    texts.every = L"every";
    texts.hours = L"h";
    texts.minutes = L"min";
    return texts;
}

// Where no repetition is in force, a run is at the run time, and on a day the rule chooses
// unless it is the starting occurrence (the date of the NextRun it started from, taken as
// it stands).
void CheckRun(const TScheduleItem& task, DateTime startedFrom, std::int64_t runMinute) {
    std::int64_t start = 0;
    if (DateTimeToMinute(task.StartTime, start))
        ZT_FUZZ_CHECK(runMinute % kMinsPerDay == start % kMinsPerDay);
    std::int64_t from = 0; // before 30 December 1899: from then
    if ((startedFrom < 0 || DateTimeToMinute(startedFrom, from)) &&
        from / kMinsPerDay == runMinute / kMinsPerDay)
        return;
    const std::int64_t day = runMinute / kMinsPerDay;
    const LocalTime date = DecodeDateTime(static_cast<DateTime>(day));
    const int isoWeekDay = static_cast<int>((day + 5) % 7) + 1; // day 0 was a Saturday
    if (task.TaskType == sttWeekly)
        ZT_FUZZ_CHECK((task.WeekDays >> isoWeekDay & 1) != 0);
    if (task.TaskType != sttMonthly)
        return;
    ZT_FUZZ_CHECK((task.Months() >> date.month & 1) != 0);
    if (task.ByMonthDay) {
        ZT_FUZZ_CHECK(date.day == task.MonthDay);
    } else {
        ZT_FUZZ_CHECK(isoWeekDay == task.WeekDay);
        if (task.MonthDay == kLastWeekDayOrdinal)
            ZT_FUZZ_CHECK(date.day + 7 > DaysInMonth(date.year, date.month));
        else
            ZT_FUZZ_CHECK((date.day - 1) / 7 + 1 == task.MonthDay);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Only a block of exactly 56 bytes is a record; anything else leaves the task alone.
    TScheduleItem task;
    task.Cmnd = L"kept";
    const ScheduleRecord fresh = EncodeScheduleRecord(task);
    ZT_FUZZ_CHECK(DecodeScheduleRecord(data, size, task) == (size == kScheduleRecordSize));
    if (size < kScheduleRecordSize) {
        ZT_FUZZ_CHECK(EncodeScheduleRecord(task) == fresh);
        return 0;
    }
    ZT_FUZZ_CHECK(DecodeScheduleRecord(data, kScheduleRecordSize, task));
    ZT_FUZZ_CHECK(task.Cmnd == L"kept");

    // Stored again it gives the same bytes, normalised, and reads back to the same task.
    const ScheduleRecord stored = EncodeScheduleRecord(task);
    ZT_FUZZ_CHECK(stored == Normalised(data));
    TScheduleItem back;
    ZT_FUZZ_CHECK(DecodeScheduleRecord(stored.data(), stored.size(), back));
    ZT_FUZZ_CHECK(EncodeScheduleRecord(back) == stored);

    const DateTime now = size >= kScheduleRecordSize + 8 ? DoubleAt(data + kScheduleRecordSize)
                                                         : EncodeDate(2026, 3, 10) + 0.5;
    const DateTime before = task.NextRun;
    if (ComputeNextRun(task, now)) {
        // A whole minute within the calendar, later than now and not after the end date.
        std::int64_t minute = 0;
        ZT_FUZZ_CHECK(DateTimeToMinute(task.NextRun, minute));
        ZT_FUZZ_CHECK(SameBits(MinuteToDateTime(minute), task.NextRun));
        ZT_FUZZ_CHECK(task.NextRun > now);
        if (task.HasOptions && task.HasEndDate) {
            ZT_FUZZ_CHECK(task.EndDate >= 0);
            std::int64_t end = 0; // the end date as DecodeDateTime rounds it
            if (DateTimeToMinute(task.EndDate, end))
                ZT_FUZZ_CHECK(minute / kMinsPerDay <= end / kMinsPerDay);
        }
        if (!(task.HasOptions && task.Repeating && task.RepeatEvery != 0))
            CheckRun(task, before, minute);
    } else {
        ZT_FUZZ_CHECK(SameBits(task.NextRun, before));
    }

    static const TaskDescriptionTexts texts = Texts();
    const std::wstring text = DescribeTask(task, texts, [](DateTime value) {
        const LocalTime t = DecodeDateTime(value);
        return std::to_wstring(t.day) + L"." + std::to_wstring(t.month) + L"." +
               std::to_wstring(t.year);
    });
    ZT_FUZZ_CHECK(!text.empty());
    return 0;
}
