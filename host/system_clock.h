#pragma once
// Setting the computer's clock goes through one replaceable function, so tests record the
// time instead of changing the machine's clock.

#include <windows.h>

#include <functional>

namespace zt {

using SystemClockHandler = std::function<HRESULT(const SYSTEMTIME& utc)>;

// Sets the system time (UTC) through the current handler; the default enables the
// system-time privilege of the process and calls SetSystemTime.
HRESULT SetSystemClock(const SYSTEMTIME& utc);
// Replaces the handler; an empty one restores the default. Returns the previous one.
SystemClockHandler SetSystemClockHandler(SystemClockHandler handler);

} // namespace zt
