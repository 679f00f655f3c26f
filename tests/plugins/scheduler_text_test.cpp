// Texts of the Scheduler: the task description built from language texts, language lines,
// command lines and the saved-events file.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugins/scheduler/events_file.h"
#include "plugins/scheduler/task_description.h"

namespace zt {
namespace {

DateTime At(int year, int month, int day, int hour = 0, int minute = 0) {
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, 0, 0);
}

// Made-up texts whose pieces are easy to find in the result.
TaskDescriptionTexts Texts() {
    TaskDescriptionTexts texts;
    texts.words = {L"W0", L"W1", L"W2", L"W3", L"W4", L"W5", L"W6"};
    texts.dayWeek = {L"all days", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat", L"Sun", L"on"};
    texts.months = {L"all months", L"Jan,", L"Feb,", L"Mar,", L"Apr,", L"May,", L"Jun,",
                    L"Jul,",       L"Aug,", L"Sep,", L"Oct,", L"Nov,", L"Dec,"};
    for (int day = 1; day <= 7; ++day) {
        const std::wstring d = std::to_wstring(day);
        texts.executeAt.push_back(L"X" + d);
        texts.ordinals[day - 1] = {L"1st" + d, L"2nd" + d, L"3rd" + d, L"4th" + d, L"last" + d};
    }
    texts.monthDay = L"DAY";
    texts.week = L"WEEK";
    texts.every = L"EVERY";
    texts.hours = L"HOURS";
    texts.minutes = L"MINUTES";
    return texts;
}

std::wstring ShortDate(DateTime value) {
    const LocalTime t = DecodeDateTime(value);
    return std::to_wstring(t.day) + L"." + std::to_wstring(t.month) + L"." +
           std::to_wstring(t.year);
}

TScheduleItem Task(std::uint8_t type, DateTime start, DateTime next) {
    TScheduleItem task;
    task.TaskType = type;
    task.StartTime = start;
    task.NextRun = next;
    return task;
}

std::wstring Describe(const TScheduleItem& task, const TaskDescriptionTexts& texts = Texts()) {
    return DescribeTask(task, texts, ShortDate);
}

TEST(TaskDescription, OnceAndDaily) {
    const TScheduleItem once = Task(sttOnce, At(2026, 3, 10, 7, 5), At(2026, 3, 10, 7, 5));
    EXPECT_EQ(Describe(once), L"W0 07:05, 10.3.2026. [07:05 10/03/26]");

    TScheduleItem daily = Task(sttDaily, At(2026, 3, 1, 22, 0), At(2026, 3, 11, 22, 0));
    daily.Interval = 3;
    EXPECT_EQ(Describe(daily), L"W0 22:00, 1.3.2026. DAY 3 W5. [22:00 11/03/26]");
    daily.Interval = 1;
    EXPECT_EQ(Describe(daily), L"W0 22:00, 1.3.2026. DAY W5. [22:00 11/03/26]");
    daily.Interval = 0; // runs as 1
    EXPECT_EQ(Describe(daily), L"W0 22:00, 1.3.2026. DAY W5. [22:00 11/03/26]");
}

TEST(TaskDescription, WeeklyDayListOrAllDays) {
    TScheduleItem weekly = Task(sttWeekly, At(2026, 3, 2, 8, 30), At(2026, 3, 6, 8, 30));
    weekly.Interval = 2;
    weekly.WeekDays = (1 << 1) | (1 << 5) | (1 << 7);
    EXPECT_EQ(Describe(weekly),
              L"W0 08:30, 2.3.2026. WEEK 2 W6, on Mon, Fri, Sun. [08:30 06/03/26]");
    weekly.Interval = 1;
    weekly.WeekDays = kAllWeekDays;
    EXPECT_EQ(Describe(weekly), L"W0 08:30, 2.3.2026. WEEK W6, all days [08:30 06/03/26]");
    weekly.WeekDays = 0; // the blank after the lead-in closes the empty list
    EXPECT_EQ(Describe(weekly), L"W0 08:30, 2.3.2026. WEEK W6, on. [08:30 06/03/26]");
}

TEST(TaskDescription, MonthlyByDayOrWeekDayWithMonthsOrAllMonths) {
    TScheduleItem monthly = Task(sttMonthly, At(2026, 1, 1, 9, 0), At(2026, 6, 15, 9, 0));
    monthly.ByMonthDay = true;
    monthly.MonthDay = 15;
    monthly.SetMonths((1 << 1) | (1 << 6));
    EXPECT_EQ(Describe(monthly), L"W0 09:00, 1.1.2026. DAY 15 W5Jan,Jun. [09:00 15/06/26]");
    monthly.SetMonths(kAllMonths);
    EXPECT_EQ(Describe(monthly), L"W0 09:00, 1.1.2026. DAY 15 W5all months [09:00 15/06/26]");

    monthly.ByMonthDay = false;
    monthly.MonthDay = kLastWeekDayOrdinal;
    monthly.WeekDay = 7;
    EXPECT_EQ(Describe(monthly), L"W0 09:00, 1.1.2026. X7 last7 Sunall months [09:00 15/06/26]");
    monthly.MonthDay = 2;
    monthly.WeekDay = 3;
    monthly.SetMonths(1 << 12);
    EXPECT_EQ(Describe(monthly), L"W0 09:00, 1.1.2026. X3 2nd3 WedDec. [09:00 15/06/26]");
    // Out-of-range fields read missing lines: empty text.
    monthly.WeekDay = 9;
    EXPECT_EQ(Describe(monthly), L"W0 09:00, 1.1.2026.   Dec. [09:00 15/06/26]");
}

TEST(TaskDescription, RepeatAndEndDateParts) {
    TScheduleItem task = Task(sttOnce, At(2026, 3, 10, 10, 0), At(2026, 3, 10, 10, 45));
    task.HasOptions = true;
    task.Repeating = true;
    task.RepeatEvery = 45;
    task.EveryInMinutes = true;
    task.UntilTime = false;
    task.LimitHour = 2;
    task.LimitMinute = 0;
    EXPECT_EQ(Describe(task), L"EVERY 45 MINUTES W4 2:00, W0 10:00, 10.3.2026. [10:45 10/03/26]");

    task.RepeatEvery = 2;
    task.EveryInMinutes = false;
    task.UntilTime = true;
    task.LimitHour = 18;
    task.LimitMinute = 30;
    task.HasEndDate = true;
    task.EndDate = At(2026, 12, 31);
    EXPECT_EQ(Describe(task), L"EVERY 2 HOURS W3 18:30, W0 10:00, W1 10.3.2026 W2 31.12.2026. "
                              L"[10:45 10/03/26]");

    // Without HasOptions neither part is in force.
    task.HasOptions = false;
    EXPECT_EQ(Describe(task), L"W0 10:00, 10.3.2026. [10:45 10/03/26]");
}

TEST(TaskDescription, DateSeparatorAndMissingTexts) {
    const TScheduleItem once = Task(sttOnce, At(2026, 3, 10, 7, 5), At(2027, 11, 2, 23, 59));
    TaskDescriptionTexts texts = Texts();
    texts.dateSeparator = L'.';
    EXPECT_EQ(Describe(once, texts), L"W0 07:05, 10.3.2026. [23:59 02.11.27]");
    EXPECT_EQ(Describe(once, TaskDescriptionTexts{}), L" 07:05, 10.3.2026. [23:59 02/11/27]");
}

TEST(SchedulerTexts, LanguageTextLines) {
    EXPECT_EQ(SplitTextLines(L"a\r\nb\nc\rd"), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(SplitTextLines(L"a\n\nb\r\n"), (std::vector<std::wstring>{L"a", L"", L"b"}));
    EXPECT_EQ(SplitTextLines(L"\r\n"), (std::vector<std::wstring>{L""}));
    EXPECT_TRUE(SplitTextLines(L"").empty());
}

TEST(SchedulerTexts, CommandLineSplitsAtTheFirstBlank) {
    using Split = std::pair<std::wstring, std::wstring>;
    EXPECT_EQ(SplitCommandLine(L"Alarm wake up"), (Split{L"Alarm", L"wake up"}));
    EXPECT_EQ(SplitCommandLine(L"NU_Synchronize"), (Split{L"NU_Synchronize", L""}));
    EXPECT_EQ(SplitCommandLine(L"Run  two"), (Split{L"Run", L" two"}));
    EXPECT_EQ(SplitCommandLine(L""), (Split{L"", L""}));
}

TEST(SavedEvents, ParseAndCompose) {
    const std::vector<SavedEvent> parsed =
        ParseSavedEvents(L"Wake=Alarm x\r\nNo value\r\n\r\nSum=a=b\nLast=");
    const std::vector<SavedEvent> expected = {
        {L"Wake", L"Alarm x"}, {L"No value", L""}, {L"Sum", L"a=b"}, {L"Last", L""}};
    EXPECT_EQ(parsed, expected);
    EXPECT_EQ(ComposeSavedEvents(expected), L"Wake=Alarm x\r\nNo value=\r\nSum=a=b\r\nLast=\r\n");
    EXPECT_EQ(ParseSavedEvents(ComposeSavedEvents(expected)), expected);
    EXPECT_EQ(ComposeSavedEvents({}), L"");
    EXPECT_TRUE(ParseSavedEvents(L"\r\n\r\n").empty());
}

} // namespace
} // namespace zt
