#include "common/datetime.h"

#include <cmath>

namespace zt {

namespace {

// Days from 1 January 0001 to 30 December 1899.
constexpr int64_t kDateDelta = 693593;

int64_t DaysBeforeYear(int64_t year) {
    const int64_t y = year - 1;
    return y * 365 + y / 4 - y / 100 + y / 400;
}

} // namespace

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool IsValidDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

bool IsValidTime(int hour, int minute, int second, int millisecond) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
           millisecond >= 0 && millisecond < 1000;
}

DateTime EncodeDate(int year, int month, int day) {
    if (!IsValidDate(year, month, day))
        return 0;
    int64_t days = DaysBeforeYear(year);
    for (int m = 1; m < month; ++m)
        days += DaysInMonth(year, m);
    days += day - 1;
    return static_cast<DateTime>(days - kDateDelta);
}

DateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    if (!IsValidTime(hour, minute, second, millisecond))
        return 0;
    const int64_t ms =
        ((static_cast<int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<DateTime>(ms) / kMSecsPerDay;
}

DateTime EncodeDateTime(const LocalTime& t) {
    const DateTime date = EncodeDate(t.year, t.month, t.day);
    const DateTime time = EncodeTime(t.hour, t.minute, t.second, t.millisecond);
    // Before 30 December 1899 the time of day counts away from zero.
    return date < 0 ? date - time : date + time;
}

LocalTime DecodeDateTime(DateTime value) {
    LocalTime t;
    // Outside years 1-9999 (and for NaN) the fields stay at the epoch.
    if (!(value > -693594.0 && value < 2958466.0))
        return t;
    double whole = std::trunc(value);
    int64_t ms = std::llround(std::fabs(value - whole) * kMSecsPerDay);
    if (ms >= kMSecsPerDay) {
        ms -= kMSecsPerDay;
        whole += value < 0 ? -1 : 1;
    }
    int64_t days = static_cast<int64_t>(whole) + kDateDelta; // days since 0001-01-01
    if (days < 0 || days >= DaysBeforeYear(10000))
        return t;
    t.dayOfWeek = static_cast<uint16_t>((days + 1) % 7); // 0001-01-01 was a Monday
    int year = static_cast<int>(days / 366) + 1;
    while (DaysBeforeYear(year + 1) <= days)
        ++year;
    days -= DaysBeforeYear(year);
    int month = 1;
    while (days >= DaysInMonth(year, month)) {
        days -= DaysInMonth(year, month);
        ++month;
    }
    t.year = static_cast<uint16_t>(year);
    t.month = static_cast<uint16_t>(month);
    t.day = static_cast<uint16_t>(days + 1);
    t.hour = static_cast<uint16_t>(ms / 3600000);
    t.minute = static_cast<uint16_t>(ms / 60000 % 60);
    t.second = static_cast<uint16_t>(ms / 1000 % 60);
    t.millisecond = static_cast<uint16_t>(ms % 1000);
    return t;
}

DateTime TimeOf(DateTime value) {
    const LocalTime t = DecodeDateTime(value);
    return EncodeTime(t.hour, t.minute, t.second, t.millisecond);
}

} // namespace zt
