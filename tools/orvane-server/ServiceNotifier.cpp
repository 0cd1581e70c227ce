// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServiceNotifier.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

// The monotonic clock in microseconds, which systemd wants with RELOADING=1.
long long MonotonicMicroseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

}  // namespace

void CServiceNotifier::Ready(const std::string& status) {
    Send("READY=1\nSTATUS=" + status);
}

void CServiceNotifier::Reloading() {
    Send("RELOADING=1\nMONOTONIC_USEC=" + std::to_string(MonotonicMicroseconds()));
}

void CServiceNotifier::Stopping() {
    Send("STOPPING=1");
}

bool CServiceNotifier::Send(const std::string& state) {
    const char* name = std::getenv("NOTIFY_SOCKET");
    sockaddr_un address{};
    const std::size_t length = name != nullptr ? std::strlen(name) : 0;
    if (length < 2 || length >= sizeof address.sun_path || (name[0] != '/' && name[0] != '@')) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name, length);
    if (name[0] == '@') {
        address.sun_path[0] = '\0';
    }
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length);
    const bool sent = ::sendto(fd, state.data(), state.size(), MSG_NOSIGNAL,
                               reinterpret_cast<const sockaddr*>(&address),
                               size) == static_cast<ssize_t>(state.size());
    ::close(fd);
    return sent;
}
