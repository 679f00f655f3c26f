#include "sntp_packet.h"

namespace zt {
namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
// Seconds from 1 January 1601 (FILETIME) to 1 January 1900 (NTP era 0).
constexpr std::int64_t kFileTimeToNtpSeconds = 9'435'484'800;
constexpr std::int64_t kEraSeconds = std::int64_t{1} << 32;

void Put32(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
}

std::uint32_t Get32(const std::uint8_t* in) {
    return std::uint32_t{in[0]} << 24 | std::uint32_t{in[1]} << 16 | std::uint32_t{in[2]} << 8 |
           std::uint32_t{in[3]};
}

void PutTimestamp(std::uint8_t* out, NtpTimestamp timestamp) {
    Put32(out, timestamp.seconds);
    Put32(out + 4, timestamp.fraction);
}

NtpTimestamp GetTimestamp(const std::uint8_t* in) {
    return {Get32(in), Get32(in + 4)};
}

std::uint64_t Fixed(NtpTimestamp timestamp) {
    return std::uint64_t{timestamp.seconds} << 32 | timestamp.fraction;
}

// a - b in seconds; the 64-bit difference wraps, so an era boundary between them is harmless.
std::int64_t Difference(NtpTimestamp a, NtpTimestamp b) {
    return static_cast<std::int64_t>(Fixed(a) - Fixed(b));
}

constexpr double kFixedOne = 4294967296.0; // 2^32: one second in 32.32 fixed point

} // namespace

SntpBytes EncodeSntpPacket(const SntpPacket& packet) {
    SntpBytes bytes{};
    bytes[0] = static_cast<std::uint8_t>((packet.leap & 3) << 6 | (packet.version & 7) << 3 |
                                         (packet.mode & 7));
    bytes[1] = packet.stratum;
    bytes[2] = static_cast<std::uint8_t>(packet.poll);
    bytes[3] = static_cast<std::uint8_t>(packet.precision);
    Put32(&bytes[4], packet.rootDelay);
    Put32(&bytes[8], packet.rootDispersion);
    Put32(&bytes[12], packet.referenceId);
    PutTimestamp(&bytes[16], packet.reference);
    PutTimestamp(&bytes[24], packet.originate);
    PutTimestamp(&bytes[32], packet.receive);
    PutTimestamp(&bytes[40], packet.transmit);
    return bytes;
}

bool DecodeSntpPacket(const std::uint8_t* data, std::size_t size, SntpPacket& packet) {
    if (!data || size < kSntpPacketSize)
        return false;
    packet.leap = data[0] >> 6;
    packet.version = (data[0] >> 3) & 7;
    packet.mode = data[0] & 7;
    packet.stratum = data[1];
    packet.poll = static_cast<std::int8_t>(data[2]);
    packet.precision = static_cast<std::int8_t>(data[3]);
    packet.rootDelay = Get32(data + 4);
    packet.rootDispersion = Get32(data + 8);
    packet.referenceId = Get32(data + 12);
    packet.reference = GetTimestamp(data + 16);
    packet.originate = GetTimestamp(data + 24);
    packet.receive = GetTimestamp(data + 32);
    packet.transmit = GetTimestamp(data + 40);
    return true;
}

SntpPacket MakeSntpRequest(NtpTimestamp transmit) {
    SntpPacket request;
    request.version = kSntpVersion;
    request.mode = 3;
    request.transmit = transmit;
    return request;
}

NtpTimestamp FileTimeToNtp(std::int64_t ticks) {
    const std::int64_t sinceNtp = ticks - kFileTimeToNtpSeconds * kTicksPerSecond;
    std::int64_t seconds = sinceNtp / kTicksPerSecond;
    std::int64_t rest = sinceNtp % kTicksPerSecond;
    if (rest < 0) {
        rest += kTicksPerSecond;
        --seconds;
    }
    // Rounded to the nearest 2^-32 s; rest < 10^7 keeps the result below 2^32.
    const auto fraction =
        ((static_cast<std::uint64_t>(rest) << 32) + kTicksPerSecond / 2) / kTicksPerSecond;
    return {static_cast<std::uint32_t>(seconds), static_cast<std::uint32_t>(fraction)};
}

std::int64_t NtpToFileTime(NtpTimestamp timestamp) {
    std::int64_t seconds = timestamp.seconds;
    if ((timestamp.seconds & 0x8000'0000u) == 0)
        seconds += kEraSeconds; // era 1: from 7 February 2036 06:28:16
    const auto ticks =
        (std::uint64_t{timestamp.fraction} * kTicksPerSecond + (std::uint64_t{1} << 31)) >> 32;
    return (seconds + kFileTimeToNtpSeconds) * kTicksPerSecond + static_cast<std::int64_t>(ticks);
}

SntpReplyError CheckSntpReply(const SntpPacket& request, const SntpPacket& reply) {
    if (reply.originate != request.transmit)
        return SntpReplyError::NotOurRequest;
    if (reply.mode != 4 && reply.mode != 5)
        return SntpReplyError::BadMode;
    if (reply.version != request.version)
        return SntpReplyError::BadVersion;
    // Before the leap indicator: a kiss-o'-death usually carries LI 3 as well.
    if (reply.stratum == 0)
        return SntpReplyError::KissOfDeath;
    if (reply.leap == 3)
        return SntpReplyError::LeapAlarm;
    if (reply.stratum > 15)
        return SntpReplyError::StratumTooHigh;
    if (reply.transmit.IsZero())
        return SntpReplyError::ZeroTransmit;
    return SntpReplyError::None;
}

std::string KissCode(const SntpPacket& reply) {
    std::string code;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((reply.referenceId >> shift) & 0xFF);
        if (c > ' ' && c <= '~')
            code += c;
    }
    return code;
}

SntpMeasurement MeasureSntp(NtpTimestamp t1, NtpTimestamp t2, NtpTimestamp t3, NtpTimestamp t4) {
    // Each difference alone is exact in 64 bits; their sum may not be, so add as doubles.
    const double outbound = static_cast<double>(Difference(t2, t1));
    const double inbound = static_cast<double>(Difference(t3, t4));
    const double roundTrip = static_cast<double>(Difference(t4, t1));
    const double serverTime = static_cast<double>(Difference(t3, t2));
    return {(outbound + inbound) / 2 / kFixedOne, (roundTrip - serverTime) / kFixedOne};
}

} // namespace zt
