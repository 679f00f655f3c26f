#pragma once
// The SNTP packet (RFC 4330): the 48-byte request and reply, timestamps and their eras,
// the client's checks of a reply and the offset and delay arithmetic. Portable.
//
// Times on our side are FILETIME ticks: 100-ns units since 1 January 1601 UTC, signed
// 64-bit. NTP timestamps are 32.32 fixed-point seconds since 1 January 1900 (era 0) or
// since 7 February 2036 06:28:16 UTC (era 1).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zt {

inline constexpr std::size_t kSntpPacketSize = 48;
inline constexpr int kSntpVersion = 3; // the version our requests carry
inline constexpr std::uint16_t kSntpDefaultPort = 123;

struct NtpTimestamp {
    std::uint32_t seconds = 0;
    std::uint32_t fraction = 0;

    bool IsZero() const noexcept { return seconds == 0 && fraction == 0; }
    bool operator==(const NtpTimestamp&) const = default;
};

struct SntpPacket {
    std::uint8_t leap = 0;    // 0..3
    std::uint8_t version = 0; // 0..7
    std::uint8_t mode = 0;    // 0..7
    std::uint8_t stratum = 0;
    std::int8_t poll = 0;
    std::int8_t precision = 0;
    std::uint32_t rootDelay = 0;
    std::uint32_t rootDispersion = 0;
    std::uint32_t referenceId = 0; // a kiss code's four ASCII letters when stratum is 0
    NtpTimestamp reference, originate, receive, transmit;
};

using SntpBytes = std::array<std::uint8_t, kSntpPacketSize>;

SntpBytes EncodeSntpPacket(const SntpPacket& packet);
// The first 48 bytes; false when fewer arrived.
bool DecodeSntpPacket(const std::uint8_t* data, std::size_t size, SntpPacket& packet);

// The client request: LI 0, version 3, mode 3 (first byte 0x1B), transmit time given.
SntpPacket MakeSntpRequest(NtpTimestamp transmit);

// FILETIME ticks <-> NTP timestamps. ToNtp picks the era of the time; FromNtp reads the era
// from the top bit of the seconds (set: era 0, 1968-2036; clear: era 1, 2036-2104).
NtpTimestamp FileTimeToNtp(std::int64_t ticks);
std::int64_t NtpToFileTime(NtpTimestamp timestamp);

enum class SntpReplyError {
    None,
    NotOurRequest,  // originate time is not our transmit time
    LeapAlarm,      // leap indicator 3: server unsynchronised
    BadVersion,     // not the request's version
    BadMode,        // neither 4 (server) nor 5 (broadcast)
    KissOfDeath,    // stratum 0
    StratumTooHigh, // above 15
    ZeroTransmit,   // transmit time 0
};

// The client rules of RFC 4330 for a reply to `request` (the source address and port are
// checked by the socket side).
SntpReplyError CheckSntpReply(const SntpPacket& request, const SntpPacket& reply);
// The kiss code of a stratum-0 reply ("RATE", "DENY" ...), printable ASCII only.
std::string KissCode(const SntpPacket& reply);

// Offset and round-trip delay in seconds from T1 (request sent, ours), T2 (received by the
// server), T3 (reply sent by the server), T4 (reply received, ours):
// offset = ((T2 - T1) + (T3 - T4)) / 2, delay = (T4 - T1) - (T3 - T2). Differences are taken
// modulo 2^64 in 32.32 fixed point, so they hold across an era boundary.
struct SntpMeasurement {
    double offset = 0;
    double delay = 0;
};
SntpMeasurement MeasureSntp(NtpTimestamp t1, NtpTimestamp t2, NtpTimestamp t3, NtpTimestamp t4);

} // namespace zt
