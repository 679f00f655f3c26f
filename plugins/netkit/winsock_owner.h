#pragma once
// Owners for Winsock: the library's start-up and a socket.

#include <winsock2.h>

#include "common/handles.h"

namespace zt {

struct SocketTraits {
    static SOCKET invalid() noexcept { return INVALID_SOCKET; }
    static void close(SOCKET s) noexcept { ::closesocket(s); }
};
using UniqueSocket = UniqueHandle<SOCKET, SocketTraits>;

// WSAStartup 2.2 for the owner's lifetime.
class WinsockSession {
public:
    WinsockSession() noexcept {
        WSADATA data;
        ok_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    ~WinsockSession() {
        if (ok_)
            ::WSACleanup();
    }
    bool ok() const noexcept { return ok_; }

private:
    bool ok_ = false;
};

} // namespace zt
