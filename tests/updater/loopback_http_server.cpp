#include "updater/loopback_http_server.h"

#include <ws2tcpip.h>

#include <chrono>

namespace zt::uplift::test {

namespace {

// Closes a socket when the scope ends.
class SocketOwner {
public:
    explicit SocketOwner(SOCKET socket) : socket_(socket) {}
    SocketOwner(const SocketOwner&) = delete;
    SocketOwner& operator=(const SocketOwner&) = delete;
    ~SocketOwner() {
        if (socket_ != INVALID_SOCKET)
            ::closesocket(socket_);
    }

private:
    SOCKET socket_;
};

std::string PathOf(const std::string& head) {
    const size_t start = head.find(' ');
    if (start == std::string::npos)
        return {};
    const size_t end = head.find(' ', start + 1);
    return head.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer() {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return;
    listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener_ == INVALID_SOCKET)
        return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int size = sizeof(address);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::closesocket(listener_);
        listener_ = INVALID_SOCKET;
        return;
    }
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stopping_ = true;
    if (listener_ != INVALID_SOCKET)
        ::closesocket(listener_);
    if (acceptThread_.joinable())
        acceptThread_.join();
    for (auto& connection : connections_)
        connection.join();
    ::WSACleanup();
}

std::wstring LoopbackHttpServer::Url(const std::string& path) const {
    return L"http://127.0.0.1:" + std::to_wstring(port_) + std::wstring(path.begin(), path.end());
}

void LoopbackHttpServer::Serve(const std::string& path, Reply reply) {
    std::lock_guard lock(mutex_);
    replies_[path] = std::move(reply);
}

std::vector<std::string> LoopbackHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int LoopbackHttpServer::RequestCount(const std::string& path) const {
    std::lock_guard lock(mutex_);
    int count = 0;
    for (const auto& head : requests_)
        count += PathOf(head) == path ? 1 : 0;
    return count;
}

void LoopbackHttpServer::AcceptLoop() {
    while (!stopping_) {
        const SOCKET connection = ::accept(listener_, nullptr, nullptr);
        if (connection == INVALID_SOCKET)
            break;
        connections_.emplace_back([this, connection] { Answer(connection); });
    }
}

bool LoopbackHttpServer::SendAll(SOCKET connection, const char* data, size_t size) {
    while (size > 0) {
        const int sent = ::send(connection, data, static_cast<int>(size), 0);
        if (sent <= 0)
            return false;
        data += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

void LoopbackHttpServer::Answer(SOCKET connection) {
    SocketOwner owner(connection);
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        const int received = ::recv(connection, buffer, sizeof(buffer), 0);
        if (received <= 0)
            return;
        head.append(buffer, static_cast<size_t>(received));
    }
    Reply reply;
    reply.status = 404;
    reply.reason = "Not Found";
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(head);
        const auto found = replies_.find(PathOf(head));
        if (found != replies_.end())
            reply = found->second;
    }
    if (reply.closeWithoutReply)
        return;

    std::string response = "HTTP/1.0 " + std::to_string(reply.status) + " " + reply.reason +
                           "\r\nContent-Type: application/octet-stream\r\n";
    if (reply.contentLength)
        response +=
            "Content-Length: " + std::to_string(reply.announcedLength.value_or(reply.body.size())) +
            "\r\n";
    response += "Connection: close\r\n\r\n";
    if (!SendAll(connection, response.data(), response.size()))
        return;

    const size_t bodySize =
        std::min(reply.body.size(), reply.dropAfter.value_or(reply.body.size()));
    const size_t piece = reply.pieceSize ? reply.pieceSize : bodySize;
    for (size_t offset = 0; offset < bodySize && !stopping_; offset += piece) {
        if (!SendAll(connection, reply.body.data() + offset, std::min(piece, bodySize - offset)))
            return;
        if (reply.pauseMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(reply.pauseMs));
    }
    ::shutdown(connection, SD_SEND);
}

} // namespace zt::uplift::test
