#include "server/Connection.h"

#include <sys/socket.h>

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

}  // namespace orvane
