// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/LoopbackClient.h"

#include <arpa/inet.h>
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

sockaddr_in Address(const char* address, std::uint16_t port) {
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    ::inet_pton(AF_INET, address, &socketAddress.sin_addr);
    socketAddress.sin_port = htons(port);
    return socketAddress;
}

int ConnectTo(std::uint16_t port, const char* to, const char* from) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in local = Address(from == nullptr ? "0.0.0.0" : from, 0);
    const sockaddr_in remote = Address(to, port);
    const bool bound =
        from == nullptr || ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
    if (!bound || ::connect(fd, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) != 0) {
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

LoopbackClient::LoopbackClient(std::uint16_t port, const char* from)
    : fd(ConnectTo(port, "127.0.0.1", from)) {
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

bool CanConnect(std::uint16_t port, const char* address) {
    const int fd = ConnectTo(port, address, nullptr);
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
