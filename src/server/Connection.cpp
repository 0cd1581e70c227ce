// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/Connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

#include "common/Interrupted.h"

namespace orvane {
namespace {

// Polls the socket for `events` until `until`: true when one came (poll reports a hang-up and
// an error besides), false when `until` came first.
bool PollUntil(int socket, short events, std::chrono::steady_clock::time_point until) {
    using namespace std::chrono;
    for (;;) {
        const auto left = ceil<milliseconds>(until - steady_clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd connectionState{socket, events, 0};
        if (::poll(&connectionState, 1, static_cast<int>(std::min<long long>(left, 60'000))) > 0) {
            return true;
        }
    }
}

}  // namespace

long CConnection::Receive(void* buffer, std::size_t size) {
    return static_cast<long>(RetryInterrupted([&] { return ::recv(socket, buffer, size, 0); }));
}

bool CConnection::Send(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t sent =
            RetryInterrupted([&] { return ::send(socket, bytes, size, MSG_NOSIGNAL); });
        if (sent <= 0) {
            return false;
        }
        bytes += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

void CConnection::Shutdown() {
    ::shutdown(socket, SHUT_RDWR);
}

bool CConnection::WaitWhileUp(std::chrono::steady_clock::time_point until) {
    // Only the end of the peer's sending is asked for.
    return !PollUntil(socket, POLLRDHUP, until);
}

bool CConnection::WaitForData(std::chrono::steady_clock::time_point until) {
    return PollUntil(socket, POLLIN, until);
}

CConnection::Peer CConnection::GetPeer() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    char text[INET_ADDRSTRLEN] = "";
    Peer peer;
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        address.sin_family != AF_INET ||
        ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text) == nullptr) {
        peer.name = "local";
        return peer;
    }
    peer.network = true;
    peer.address = ntohl(address.sin_addr.s_addr);
    peer.name = std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
    return peer;
}

}  // namespace orvane
