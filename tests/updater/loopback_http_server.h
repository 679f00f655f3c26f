#pragma once
// A small HTTP/1.0 server on 127.0.0.1 for the update checker's tests. Every connection
// is answered on its own thread from a table of replies by path; unknown paths get 404.

#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zt::uplift::test {

struct Reply {
    int status = 200;
    std::string reason = "OK";
    std::string body;
    bool contentLength = true;
    // Content-Length to announce instead of the body's size.
    std::optional<uint64_t> announcedLength;
    // Close the connection after this many body bytes.
    std::optional<size_t> dropAfter;
    // Close the connection as soon as the request is read, without any reply.
    bool closeWithoutReply = false;
    // Send the body in pieces of this size with a pause after each.
    size_t pieceSize = 0;
    int pauseMs = 0;

    Reply& WithStatus(int code, std::string text) {
        status = code;
        reason = std::move(text);
        return *this;
    }
    Reply& WithoutLength() {
        contentLength = false;
        return *this;
    }
    Reply& DroppedAfter(size_t bytes) {
        dropAfter = bytes;
        return *this;
    }
    Reply& InPieces(size_t size, int pause) {
        pieceSize = size;
        pauseMs = pause;
        return *this;
    }
};

// A 200 reply with the body.
inline Reply Ok(std::string body) {
    Reply reply;
    reply.body = std::move(body);
    return reply;
}

// A connection closed right after the request.
inline Reply Silent() {
    Reply reply;
    reply.closeWithoutReply = true;
    return reply;
}

class LoopbackHttpServer {
public:
    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool Running() const { return listener_ != INVALID_SOCKET; }
    uint16_t Port() const { return port_; }
    // "http://127.0.0.1:PORT" followed by path.
    std::wstring Url(const std::string& path) const;

    void Serve(const std::string& path, Reply reply);
    // The request heads received so far, in order of arrival.
    std::vector<std::string> Requests() const;
    int RequestCount(const std::string& path) const;

private:
    void AcceptLoop();
    void Answer(SOCKET connection);
    bool SendAll(SOCKET connection, const char* data, size_t size);

    SOCKET listener_ = INVALID_SOCKET;
    uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::map<std::string, Reply> replies_;
    std::vector<std::string> requests_;
    std::thread acceptThread_;
    std::vector<std::thread> connections_;
};

} // namespace zt::uplift::test
