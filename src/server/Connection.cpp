#include "server/Connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace orvane {

long CConnection::Receive(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::recv(socket, buffer, size, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return static_cast<long>(got);
    }
}

bool CConnection::Send(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t sent = ::send(socket, bytes, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
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
    using namespace std::chrono;
    for (;;) {
        const auto left = ceil<milliseconds>(until - steady_clock::now()).count();
        if (left <= 0) {
            return true;
        }
        // Only the end of the peer's sending is asked for; poll reports a hang-up and an
        // error besides.
        pollfd connectionState{socket, POLLRDHUP, 0};
        if (::poll(&connectionState, 1, static_cast<int>(std::min<long long>(left, 60'000))) > 0) {
            return false;
        }
    }
}

bool CConnection::WaitForData(std::chrono::steady_clock::time_point until) {
    using namespace std::chrono;
    for (;;) {
        const auto left = ceil<milliseconds>(until - steady_clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd connectionState{socket, POLLIN, 0};
        if (::poll(&connectionState, 1, static_cast<int>(std::min<long long>(left, 60'000))) > 0) {
            return true;
        }
    }
}

std::uint32_t CConnection::PeerAddress() const {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    return ::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length) == 0 &&
                   peer.sin_family == AF_INET
               ? ntohl(peer.sin_addr.s_addr)
               : 0;
}

bool CConnection::HasNetworkPeer() const {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    return ::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length) == 0 &&
           peer.sin_family == AF_INET;
}

std::string CConnection::PeerName() const {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    char address[INET_ADDRSTRLEN] = "";
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length) != 0 ||
        peer.sin_family != AF_INET ||
        ::inet_ntop(AF_INET, &peer.sin_addr, address, sizeof address) == nullptr) {
        return "local";
    }
    return std::string(address) + ":" + std::to_string(ntohs(peer.sin_port));
}

}  // namespace orvane
