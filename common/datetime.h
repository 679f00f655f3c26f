#pragma once
// Date-time values as days since 30 December 1899 (the fraction is the time of day),
// and their conversion to and from calendar fields.

#include <cstdint>

namespace zt {

using DateTime = double;

constexpr int kHoursPerDay = 24;
constexpr int kMinsPerDay = 24 * 60;
constexpr int kSecsPerDay = kMinsPerDay * 60;
constexpr int kMSecsPerDay = kSecsPerDay * 1000;

// Calendar fields of a local date and time. dayOfWeek: 0 Sunday ... 6 Saturday.
struct LocalTime {
    uint16_t year = 1899;
    uint16_t month = 12;
    uint16_t day = 30;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t millisecond = 0;
    uint16_t dayOfWeek = 6;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second, int millisecond);

// Callers validate first; invalid fields give 0.
DateTime EncodeDate(int year, int month, int day);
DateTime EncodeTime(int hour, int minute, int second, int millisecond);
DateTime EncodeDateTime(const LocalTime& t);

// Splits a value into fields; the time of day is rounded to the millisecond.
LocalTime DecodeDateTime(DateTime value);

// The time-of-day part of a value, in [0, 1).
DateTime TimeOf(DateTime value);

} // namespace zt
