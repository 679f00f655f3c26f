#pragma once
// A fake SNTP server on 127.0.0.1 for tests: a port chosen by the system, a reply of the
// kind set (a good one with a chosen clock offset, or one of the faults a client must
// reject), and the count of requests received. Serves on its own thread until destroyed.

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "common/handles.h"
#include "winsock_owner.h"

namespace zt::test {

enum class FakeSntpReply {
    Good,           // server clock = UTC now + offset
    Silent,         // no reply at all
    LeapAlarm,      // leap indicator 3
    ClientMode,     // mode 3
    KissOfDeath,    // stratum 0 with the kiss code
    Stratum16,      // stratum above 15
    ZeroTransmit,   // transmit time 0
    WrongOriginate, // originate time not the request's transmit time
    WrongVersion,   // version 4 to a version 3 request
    OtherPort,      // a good reply, sent from another port
    Short,          // 47 bytes
    Oversized,      // 2000 bytes
};

class SntpFakeServer {
public:
    SntpFakeServer();
    ~SntpFakeServer();
    SntpFakeServer(const SntpFakeServer&) = delete;
    SntpFakeServer& operator=(const SntpFakeServer&) = delete;

    // False when the socket could not be bound (nothing is served then).
    bool Started() const { return thread_.joinable(); }
    std::uint16_t Port() const { return port_; }
    // "127.0.0.1:<port>"
    std::wstring ServerText() const;

    void SetReply(FakeSntpReply reply, double offsetSeconds = 0, const char* kissCode = "RATE");
    int Requests() const { return requests_.load(); }

private:
    void Serve();
    void Answer(const char* data, int size, const sockaddr_in& client);

    WinsockSession winsock_;
    UniqueSocket socket_;
    UniqueSocket otherSocket_; // sends the OtherPort replies
    UniqueEvent received_;     // the socket's FD_READ
    UniqueEvent stop_;
    std::uint16_t port_ = 0;
    std::atomic<int> requests_{0};
    std::mutex lock_;
    FakeSntpReply reply_ = FakeSntpReply::Good;
    double offset_ = 0;
    std::string kissCode_ = "RATE";
    std::thread thread_;
};

} // namespace zt::test
