#pragma once
// The SNTP client over Winsock UDP: one query to one server, and the clock set by the
// measured offset through the host's IztSystemClock (or a test's setter).

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "sntp_packet.h"
#include "synchronizator.h"

namespace zt {

struct SntpClientPlatform {
    // UTC now as FILETIME ticks (100 ns since 1601).
    std::function<std::int64_t()> utcNow;
    // Sets the clock to the given UTC time; S_OK or a failure.
    std::function<HRESULT(const SYSTEMTIME& utc)> setClock;
};

// The system clock for utcNow; for setClock the host's IztSystemClock (refused when the host
// has none), a success announced to every top-level window (WM_TIMECHANGE).
SntpClientPlatform DefaultSntpClientPlatform();

struct SntpQueryResult {
    SntpAttempt attempt;
    SntpMeasurement measurement; // valid when the reply passed the checks
};

// Sends one request to server (resolved for IPv4, broadcast enabled on the socket) and
// waits up to timeoutMs for its reply. Datagrams that are no reply to this request (from
// another address or port, no SNTP packet, another originate time) are dropped and the wait
// goes on; when none better comes, the last of them names the failure instead of Timeout.
// A reply to the request that fails a check ends the query with that failure. Does not set
// the clock.
SntpQueryResult QuerySntp(const SntpServer& server, std::uint16_t timeoutMs,
                          const SntpClientPlatform& platform);

// QuerySntp, then on success the clock := utcNow() + offset, read at the moment of setting.
SntpAttempt SynchronizeClock(const SntpServer& server, std::uint16_t timeoutMs,
                             const SntpClientPlatform& platform);

} // namespace zt
