#include "support/LoopbackClient.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <thread>
#include <utility>

namespace orvane::test {
namespace {

int ConnectTo(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The port of the socket's own end, or of its peer's.
std::uint16_t PortOf(int fd, bool peer = false) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    (peer ? ::getpeername : ::getsockname)(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

// Bytes that the server's end of a connection holds unread, from the kernel's table of TCP
// sockets; -1 while it is not listed.
long UnreadByServer(std::uint16_t server, std::uint16_t client) {
    std::ifstream table("/proc/net/tcp");
    for (std::string line; std::getline(table, line);) {
        unsigned local = 0, remote = 0, unread = 0;
        if (std::sscanf(line.c_str(), " %*u: %*x:%x %*x:%x %*x %*x:%x", &local, &remote, &unread) ==
                3 &&
            local == server && remote == client) {
            return static_cast<long>(unread);
        }
    }
    return -1;
}

}  // namespace

LoopbackClient::LoopbackClient(std::uint16_t port) : fd(ConnectTo(port)) {
    const timeval limit{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
}

LoopbackClient::LoopbackClient(LoopbackClient&& other) noexcept
    : fd(std::exchange(other.fd, -1)), pending(std::move(other.pending)), closed(other.closed) {}

LoopbackClient::~LoopbackClient() {
    if (fd >= 0) {
        ::close(fd);
    }
}

void LoopbackClient::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

bool LoopbackClient::ReceiveMore() {
    char buffer[65536];
    const ssize_t got = closed ? 0 : ::recv(fd, buffer, sizeof buffer, 0);
    // A server that closes with bytes of ours unread resets the connection instead.
    closed = got == 0 || (got < 0 && errno == ECONNRESET);
    if (got > 0) {
        pending.append(buffer, static_cast<std::size_t>(got));
    }
    return got > 0;
}

std::string LoopbackClient::Receive(std::size_t size) {
    while (pending.size() < size && ReceiveMore()) {
    }
    std::string taken = pending.substr(0, size);
    pending.erase(0, taken.size());
    return taken;
}

std::string LoopbackClient::ReceiveUntil(std::string_view end) {
    while (pending.find(end) == std::string::npos && ReceiveMore()) {
    }
    const std::size_t found = pending.find(end);
    return Receive(found == std::string::npos ? pending.size() : found + end.size());
}

bool LoopbackClient::IsClosedByServer() {
    while (ReceiveMore()) {
    }
    return closed && pending.empty();
}

bool LoopbackClient::WaitUntilServerHasRead() {
    const std::uint16_t server = PortOf(fd, true), client = PortOf(fd);
    return WaitUntil([&] { return UnreadByServer(server, client) == 0; });
}

void LoopbackClient::ShutdownSending() {
    ::shutdown(fd, SHUT_WR);
}

std::uint16_t FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const std::uint16_t port = PortOf(fd);
    ::close(fd);
    return port;
}

bool CanConnect(std::uint16_t port) {
    const int fd = ConnectTo(port);
    if (fd >= 0) {
        ::close(fd);
    }
    return fd >= 0;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace orvane::test
