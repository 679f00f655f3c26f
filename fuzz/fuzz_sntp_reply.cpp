// A datagram of arbitrary bytes taken as the reply to our SNTP request: decoded, checked by
// the client rules, and measured when accepted, as the Netkit client does.
//
// Input: the datagram; when it is longer than a packet, the 8 bytes after the packet are the
// time it arrived (T4, an NTP timestamp), else T4 is the reply's transmit time.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "plugins/netkit/sntp_packet.h"

namespace {

using namespace zt;

NtpTimestamp TimestampAt(const std::uint8_t* in) {
    SntpBytes bytes{};
    for (std::size_t i = 0; i < 8; ++i)
        bytes[40 + i] = in[i];
    SntpPacket packet;
    DecodeSntpPacket(bytes.data(), bytes.size(), packet);
    return packet.transmit;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SntpPacket reply;
    const bool decoded = DecodeSntpPacket(data, size, reply);
    ZT_FUZZ_CHECK(decoded == (size >= kSntpPacketSize));
    if (!decoded)
        return 0;

    // The codec keeps every bit of the packet.
    const SntpBytes again = EncodeSntpPacket(reply);
    ZT_FUZZ_CHECK(std::equal(again.begin(), again.end(), data));

    // Our request as the client sends it; its transmit time is what the reply must echo.
    const SntpPacket request = MakeSntpRequest(reply.originate);
    const SntpReplyError error = CheckSntpReply(request, reply);
    ZT_FUZZ_CHECK(CheckSntpReply(MakeSntpRequest({reply.originate.seconds ^ 1u, 0}), reply) ==
                  SntpReplyError::NotOurRequest);
    if (error == SntpReplyError::None) {
        ZT_FUZZ_CHECK(reply.mode == 4 || reply.mode == 5);
        ZT_FUZZ_CHECK(reply.version == kSntpVersion);
        ZT_FUZZ_CHECK(reply.stratum >= 1 && reply.stratum <= 15 && reply.leap != 3);
        ZT_FUZZ_CHECK(!reply.transmit.IsZero());
    }
    const std::string kiss = KissCode(reply);
    ZT_FUZZ_CHECK(kiss.size() <= 4);
    for (const char c : kiss)
        ZT_FUZZ_CHECK(c > ' ' && c <= '~');

    // Offset and delay are finite and bounded by the 32.32 differences (each below 2^31 s
    // in size), so turning the offset into 100-ns ticks cannot overflow.
    const NtpTimestamp arrived =
        size >= kSntpPacketSize + 8 ? TimestampAt(data + kSntpPacketSize) : reply.transmit;
    const SntpMeasurement m = MeasureSntp(request.transmit, reply.receive, reply.transmit, arrived);
    ZT_FUZZ_CHECK(std::isfinite(m.offset) && std::isfinite(m.delay));
    ZT_FUZZ_CHECK(std::fabs(m.offset) <= 2147483648.0 && std::fabs(m.delay) <= 4294967296.0);

    // A server time read in its era comes back as the same time from its NTP form, to the
    // 100-ns tick (the last tick of 2104 rounds past the era's end and is left out).
    for (const NtpTimestamp stamp : {reply.receive, reply.transmit}) {
        const std::int64_t ticks = NtpToFileTime(stamp);
        if (stamp.seconds == 0x7FFF'FFFFu)
            continue;
        ZT_FUZZ_CHECK(NtpToFileTime(FileTimeToNtp(ticks)) == ticks);
    }
    return 0;
}
