#include "common/system_time.h"

namespace zt {

LocalTime ToLocalTime(const SYSTEMTIME& time) noexcept {
    return {time.wYear,   time.wMonth,  time.wDay,          time.wHour,
            time.wMinute, time.wSecond, time.wMilliseconds, time.wDayOfWeek};
}

SYSTEMTIME ToSystemTime(const LocalTime& time) noexcept {
    SYSTEMTIME result{};
    result.wYear = time.year;
    result.wMonth = time.month;
    result.wDayOfWeek = time.dayOfWeek;
    result.wDay = time.day;
    result.wHour = time.hour;
    result.wMinute = time.minute;
    result.wSecond = time.second;
    result.wMilliseconds = time.millisecond;
    return result;
}

DateTime LocalNow() noexcept {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return EncodeDateTime(ToLocalTime(now));
}

} // namespace zt
