#include "plugins/sntp_fake_server.h"

#include <vector>

#include "sntp_packet.h"

namespace zt::test {
namespace {

std::int64_t UtcNowTicks() {
    FILETIME now{};
    ::GetSystemTimePreciseAsFileTime(&now);
    return static_cast<std::int64_t>(std::uint64_t{now.dwHighDateTime} << 32 | now.dwLowDateTime);
}

// A UDP socket bound to 127.0.0.1 on a port the system picks.
UniqueSocket BindLoopback() {
    UniqueSocket s(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (s && ::bind(s.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        s.reset();
    return s;
}

} // namespace

SntpFakeServer::SntpFakeServer() {
    if (!winsock_.ok())
        return;
    socket_ = BindLoopback();
    otherSocket_ = BindLoopback();
    received_.reset(::WSACreateEvent());
    stop_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    sockaddr_in bound{};
    int size = sizeof bound;
    if (!socket_ || !otherSocket_ || !received_ || !stop_ ||
        ::getsockname(socket_.get(), reinterpret_cast<sockaddr*>(&bound), &size) != 0 ||
        ::WSAEventSelect(socket_.get(), received_.get(), FD_READ) != 0)
        return;
    port_ = ntohs(bound.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

SntpFakeServer::~SntpFakeServer() {
    if (thread_.joinable()) {
        ::SetEvent(stop_.get());
        thread_.join();
    }
}

std::wstring SntpFakeServer::ServerText() const {
    return L"127.0.0.1:" + std::to_wstring(port_);
}

void SntpFakeServer::SetReply(FakeSntpReply reply, double offsetSeconds, const char* kissCode) {
    std::lock_guard<std::mutex> guard(lock_);
    reply_ = reply;
    offset_ = offsetSeconds;
    kissCode_ = kissCode;
}

void SntpFakeServer::Serve() {
    const HANDLE events[] = {stop_.get(), received_.get()};
    while (::WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        WSANETWORKEVENTS happened{};
        ::WSAEnumNetworkEvents(socket_.get(), received_.get(), &happened);
        // The socket is non-blocking since WSAEventSelect: read what is queued.
        for (;;) {
            char buffer[512];
            sockaddr_in client{};
            int clientSize = sizeof client;
            const int size = ::recvfrom(socket_.get(), buffer, sizeof buffer, 0,
                                        reinterpret_cast<sockaddr*>(&client), &clientSize);
            if (size == SOCKET_ERROR)
                break;
            ++requests_;
            Answer(buffer, size, client);
        }
    }
}

void SntpFakeServer::Answer(const char* data, int size, const sockaddr_in& client) {
    SntpPacket request;
    if (!DecodeSntpPacket(reinterpret_cast<const std::uint8_t*>(data),
                          static_cast<std::size_t>(size), request))
        return;
    FakeSntpReply kind;
    double offset;
    std::string kiss;
    {
        std::lock_guard<std::mutex> guard(lock_);
        kind = reply_;
        offset = offset_;
        kiss = kissCode_;
    }
    if (kind == FakeSntpReply::Silent)
        return;

    const NtpTimestamp now =
        FileTimeToNtp(UtcNowTicks() + static_cast<std::int64_t>(offset * 10'000'000.0));
    SntpPacket reply;
    reply.version = request.version;
    reply.mode = 4;
    reply.stratum = 2;
    reply.referenceId = 0x4C4F434C; // "LOCL"
    reply.reference = now;
    reply.originate = request.transmit;
    reply.receive = now;
    reply.transmit = now;
    switch (kind) {
    case FakeSntpReply::LeapAlarm:
        reply.leap = 3;
        break;
    case FakeSntpReply::ClientMode:
        reply.mode = 3;
        break;
    case FakeSntpReply::KissOfDeath:
        reply.leap = 3; // as servers send it
        reply.stratum = 0;
        reply.referenceId = 0;
        for (std::size_t i = 0; i < 4; ++i)
            reply.referenceId =
                reply.referenceId << 8 | static_cast<std::uint8_t>(i < kiss.size() ? kiss[i] : 0);
        break;
    case FakeSntpReply::Stratum16:
        reply.stratum = 16;
        break;
    case FakeSntpReply::ZeroTransmit:
        reply.transmit = {};
        break;
    case FakeSntpReply::WrongOriginate:
        reply.originate.seconds += 1;
        break;
    case FakeSntpReply::WrongVersion:
        reply.version = request.version == 4 ? 3 : 4;
        break;
    default:
        break;
    }
    const SntpBytes packet = EncodeSntpPacket(reply);
    std::vector<char> bytes(packet.begin(), packet.end());
    if (kind == FakeSntpReply::Short)
        bytes.pop_back();
    if (kind == FakeSntpReply::Oversized)
        bytes.resize(2000);
    const SOCKET from = kind == FakeSntpReply::OtherPort ? otherSocket_.get() : socket_.get();
    ::sendto(from, bytes.data(), static_cast<int>(bytes.size()), 0,
             reinterpret_cast<const sockaddr*>(&client), sizeof client);
}

} // namespace zt::test
