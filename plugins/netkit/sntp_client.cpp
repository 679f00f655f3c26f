#include <winsock2.h>
#include <ws2tcpip.h>

#include "sntp_client.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>

#include "winsock_owner.h"
#include "zentik/ztPlugin.h"

namespace zt {
namespace {

struct AddrInfoDeleter {
    void operator()(ADDRINFOW* info) const noexcept { ::FreeAddrInfoW(info); }
};
using UniqueAddrInfo = std::unique_ptr<ADDRINFOW, AddrInfoDeleter>;

// Room for a packet with extension fields and an authenticator; a longer datagram is no
// SNTP reply of ours.
constexpr int kReceiveBufferSize = 1024;

SntpQueryResult Failed(SntpFailure failure) {
    SntpQueryResult result;
    result.attempt.failure = failure;
    return result;
}

SntpFailure ReplyFailure(SntpReplyError error) {
    switch (error) {
    case SntpReplyError::None:
        return SntpFailure::None;
    case SntpReplyError::NotOurRequest:
        return SntpFailure::NotOurRequest;
    case SntpReplyError::LeapAlarm:
        return SntpFailure::LeapAlarm;
    case SntpReplyError::BadVersion:
        return SntpFailure::BadVersion;
    case SntpReplyError::BadMode:
        return SntpFailure::BadMode;
    case SntpReplyError::KissOfDeath:
        return SntpFailure::KissOfDeath;
    case SntpReplyError::StratumTooHigh:
        return SntpFailure::StratumTooHigh;
    case SntpReplyError::ZeroTransmit:
        return SntpFailure::ZeroTransmit;
    }
    return SntpFailure::NotOurRequest;
}

bool SameEndpoint(const sockaddr_in& a, const sockaddr_in& b) {
    return a.sin_family == b.sin_family && a.sin_port == b.sin_port &&
           a.sin_addr.s_addr == b.sin_addr.s_addr;
}

// Waits for the socket to become readable until deadline; 1 readable, 0 timed out, -1 error.
int WaitReadable(SOCKET socket, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return 0;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket, &readable);
        timeval wait{};
        wait.tv_sec = static_cast<long>(left.count() / 1'000'000);
        wait.tv_usec = static_cast<long>(left.count() % 1'000'000);
        // select may return a little before the time asked: then the loop waits the rest.
        const int ready = ::select(0, &readable, nullptr, nullptr, &wait);
        if (ready != 0)
            return ready == SOCKET_ERROR ? -1 : 1;
    }
}

} // namespace

SntpClientPlatform DefaultSntpClientPlatform() {
    SntpClientPlatform platform;
    platform.utcNow = [] {
        FILETIME now{};
        ::GetSystemTimePreciseAsFileTime(&now);
        return static_cast<std::int64_t>(std::uint64_t{now.dwHighDateTime} << 32 |
                                         now.dwLowDateTime);
    };
    platform.setClock = [](const SYSTEMTIME& utc) -> HRESULT {
        const auto clock =
            TztComRef<IztSystemClock>::Query(ztGetZentik().get(), IID_IztSystemClock);
        if (!clock)
            return E_NOINTERFACE;
        const HRESULT result = clock->SetSystemTime(&utc);
        if (SUCCEEDED(result))
            ::SendNotifyMessageW(HWND_BROADCAST, WM_TIMECHANGE, 0, 0);
        return result;
    };
    return platform;
}

SntpQueryResult QuerySntp(const SntpServer& server, std::uint16_t timeoutMs,
                          const SntpClientPlatform& platform) {
    const WinsockSession winsock;
    if (!winsock.ok())
        return Failed(SntpFailure::NetworkError);

    ADDRINFOW hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_protocol = IPPROTO_UDP;
    ADDRINFOW* found = nullptr;
    const std::wstring port = std::to_wstring(server.port);
    if (server.host.empty() ||
        ::GetAddrInfoW(server.host.c_str(), port.c_str(), &hints, &found) != 0 || !found)
        return Failed(SntpFailure::HostNotFound);
    const UniqueAddrInfo addresses(found);
    sockaddr_in target{};
    if (addresses->ai_addrlen < sizeof target)
        return Failed(SntpFailure::HostNotFound);
    std::memcpy(&target, addresses->ai_addr, sizeof target);

    const UniqueSocket socket(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!socket)
        return Failed(SntpFailure::NetworkError);
    const BOOL broadcast = TRUE;
    ::setsockopt(socket.get(), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&broadcast),
                 sizeof broadcast);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const SntpPacket request = MakeSntpRequest(FileTimeToNtp(platform.utcNow()));
    const SntpBytes out = EncodeSntpPacket(request);
    if (::sendto(socket.get(), reinterpret_cast<const char*>(out.data()),
                 static_cast<int>(out.size()), 0, reinterpret_cast<const sockaddr*>(&target),
                 sizeof target) != static_cast<int>(out.size()))
        return Failed(SntpFailure::NetworkError);

    // Datagrams that are not a reply to this request (from elsewhere, no SNTP packet, another
    // originate time) are dropped and the wait goes on; if nothing better comes, the last
    // of them names the failure.
    SntpFailure dropped = SntpFailure::Timeout;
    for (;;) {
        const int ready = WaitReadable(socket.get(), deadline);
        if (ready == 0)
            return Failed(dropped);
        if (ready < 0)
            return Failed(SntpFailure::NetworkError);
        char buffer[kReceiveBufferSize];
        sockaddr_in from{};
        int fromSize = sizeof from;
        const int size = ::recvfrom(socket.get(), buffer, sizeof buffer, 0,
                                    reinterpret_cast<sockaddr*>(&from), &fromSize);
        const std::int64_t received = platform.utcNow();
        if (size == SOCKET_ERROR) {
            if (::WSAGetLastError() != WSAEMSGSIZE)
                return Failed(SntpFailure::NetworkError); // port unreachable among others
            if (fromSize >= static_cast<int>(sizeof from) && SameEndpoint(from, target))
                dropped = SntpFailure::Malformed;
            continue;
        }
        if (fromSize < static_cast<int>(sizeof from) || !SameEndpoint(from, target)) {
            dropped = SntpFailure::WrongSource;
            continue;
        }
        SntpPacket reply;
        if (!DecodeSntpPacket(reinterpret_cast<const std::uint8_t*>(buffer),
                              static_cast<std::size_t>(size), reply)) {
            dropped = SntpFailure::Malformed;
            continue;
        }
        const SntpReplyError error = CheckSntpReply(request, reply);
        if (error == SntpReplyError::NotOurRequest) {
            dropped = SntpFailure::NotOurRequest;
            continue;
        }
        SntpQueryResult result;
        result.attempt.failure = ReplyFailure(error);
        if (error == SntpReplyError::KissOfDeath)
            result.attempt.kissCode = KissCode(reply);
        if (error == SntpReplyError::None)
            result.measurement = MeasureSntp(request.transmit, reply.receive, reply.transmit,
                                             FileTimeToNtp(received));
        return result;
    }
}

SntpAttempt SynchronizeClock(const SntpServer& server, std::uint16_t timeoutMs,
                             const SntpClientPlatform& platform) {
    const SntpQueryResult result = QuerySntp(server, timeoutMs, platform);
    if (!result.attempt.Succeeded())
        return result.attempt;
    // The offset is applied to the time of setting, not of measuring.
    const std::int64_t target =
        platform.utcNow() + std::llround(result.measurement.offset * 10'000'000.0);
    const FILETIME fileTime{static_cast<DWORD>(target), static_cast<DWORD>(target >> 32)};
    SYSTEMTIME utc{};
    if (target < 0 || !::FileTimeToSystemTime(&fileTime, &utc) || FAILED(platform.setClock(utc)))
        return {SntpFailure::ClockRefused, {}};
    return {};
}

} // namespace zt
