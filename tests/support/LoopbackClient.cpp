#include "support/LoopbackClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <thread>

namespace orvane::test {
namespace {

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

int ConnectTo(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = Loopback(port);
    if (fd >= 0 &&
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return fd;
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return -1;
}

std::uint16_t LocalPortOf(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

// The bytes that the server's end of the connection (local port `server`, remote port
// `client`) holds unread, from the kernel's table of TCP sockets; -1 when it is not listed.
long UnreadByServer(std::uint16_t server, std::uint16_t client) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);  // the heading
    while (std::getline(table, line)) {
        unsigned local = 0, remote = 0, state = 0, sendQueue = 0, receiveQueue = 0;
        if (std::sscanf(line.c_str(), " %*u: %*x:%x %*x:%x %x %x:%x", &local, &remote, &state,
                        &sendQueue, &receiveQueue) == 5 &&
            local == server && remote == client) {
            return static_cast<long>(receiveQueue);
        }
    }
    return -1;
}

}  // namespace

LoopbackClient::LoopbackClient(std::uint16_t port) : fd(ConnectTo(port)), serverPort(port) {
    if (fd >= 0) {
        const timeval limit{static_cast<time_t>(kReceiveLimit.count()), 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        localPort = LocalPortOf(fd);
    }
}

LoopbackClient::LoopbackClient(LoopbackClient&& other) noexcept
    : fd(other.fd),
      serverPort(other.serverPort),
      localPort(other.localPort),
      pending(std::move(other.pending)),
      closed(other.closed) {
    other.fd = -1;
}

LoopbackClient::~LoopbackClient() {
    Close();
}

bool LoopbackClient::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

bool LoopbackClient::ReceiveMore() {
    if (closed || fd < 0) {
        return false;
    }
    char buffer[65536];
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) {
        return true;
    }
    if (got <= 0) {
        closed = got == 0 || errno == ECONNRESET;
        return false;
    }
    pending.append(buffer, static_cast<std::size_t>(got));
    return true;
}

std::string LoopbackClient::Receive(std::size_t size) {
    while (pending.size() < size && ReceiveMore()) {
    }
    std::string taken = pending.substr(0, size);
    pending.erase(0, taken.size());
    return taken;
}

std::string LoopbackClient::ReceiveUntil(std::string_view end) {
    std::size_t found = std::string::npos;
    while ((found = pending.find(end)) == std::string::npos && ReceiveMore()) {
    }
    const std::size_t size = found == std::string::npos ? pending.size() : found + end.size();
    return Receive(size);
}

std::string LoopbackClient::ReceiveUntilClosed() {
    while (ReceiveMore()) {
    }
    return Receive(pending.size());
}

bool LoopbackClient::WaitUntilServerHasRead() {
    const auto deadline = std::chrono::steady_clock::now() + kReceiveLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        const long unread = UnreadByServer(serverPort, localPort);
        if (unread == 0) {
            return true;
        }
        if (unread < 0 && !std::ifstream("/proc/net/tcp")) {
            // No table to look at: give the server ample time instead.
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

void LoopbackClient::ShutdownSending() {
    ::shutdown(fd, SHUT_WR);
}

void LoopbackClient::Close() {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

std::uint16_t FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = Loopback(0);
    ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const std::uint16_t port = LocalPortOf(fd);
    ::close(fd);
    return port;
}

bool CanConnect(std::uint16_t port) {
    const int fd = ConnectTo(port);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

}  // namespace orvane::test
