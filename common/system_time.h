#pragma once
// Calendar fields and date-time values to and from SYSTEMTIME, and the local time now.

#include <windows.h>

#include "common/datetime.h"

namespace zt {

LocalTime ToLocalTime(const SYSTEMTIME& time) noexcept;
SYSTEMTIME ToSystemTime(const LocalTime& time) noexcept;
// The local date and time of the system clock.
DateTime LocalNow() noexcept;

} // namespace zt
