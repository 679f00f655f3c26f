#include "schedule_item.h"

#include <cmath>

namespace zt {

namespace {

constexpr std::int64_t kMinutesPerDay = kMinsPerDay;
constexpr std::int64_t kMSecsPerMinute = 60000;

} // namespace

bool DateTimeToMinute(DateTime value, std::int64_t& minute) {
    if (!(value >= 0 && value < static_cast<double>(kLastScheduleDay + 1)))
        return false;
    // As DecodeDateTime: the time of day rounded to the millisecond.
    const double whole = std::floor(value);
    std::int64_t day = static_cast<std::int64_t>(whole);
    std::int64_t ms = std::llround((value - whole) * kMSecsPerDay);
    if (ms >= kMSecsPerDay) {
        ms -= kMSecsPerDay;
        ++day;
    }
    if (day > kLastScheduleDay)
        return false;
    minute = day * kMinutesPerDay + ms / kMSecsPerMinute;
    return true;
}

DateTime MinuteToDateTime(std::int64_t minute) {
    const std::int64_t day = minute / kMinutesPerDay;
    const int ofDay = static_cast<int>(minute % kMinutesPerDay);
    return static_cast<DateTime>(day) + EncodeTime(ofDay / 60, ofDay % 60, 0, 0);
}

std::pair<std::wstring, std::wstring> SplitCommandLine(const std::wstring& line) {
    const std::size_t blank = line.find(L' ');
    if (blank == std::wstring::npos)
        return {line, std::wstring()};
    return {line.substr(0, blank), line.substr(blank + 1)};
}

TaskPtr MakeFastTask(DateTime now, int minutes, const std::wstring& cmnd) {
    auto task = std::make_unique<TScheduleItem>();
    std::int64_t minute = 0;
    if (DateTimeToMinute(now, minute)) {
        minute += minutes;
        if (minute >= 0 && minute < (kLastScheduleDay + 1) * kMinutesPerDay)
            task->StartTime = MinuteToDateTime(minute);
    }
    task->NextRun = task->StartTime;
    task->TaskType = sttOnce;
    task->HasOptions = false;
    task->Cmnd = cmnd;
    return task;
}

} // namespace zt
