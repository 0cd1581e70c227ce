// SPDX-License-Identifier: GPL-3.0-or-later
#include "FtpClient.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "server/Connection.h"

namespace orvane::load {
namespace {

constexpr timeval kPatience{60, 0};  // no reply within a minute is an error
constexpr std::size_t kBlock = 256 * 1024;

}  // namespace

int ConnectLoopback(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &kPatience, sizeof kPatience);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &kPatience, sizeof kPatience);
    return fd;
}

CFtpClient::~CFtpClient() {
    if (fd >= 0) {
        ::close(fd);
    }
}

int CFtpClient::Reply() {
    for (;;) {
        const std::size_t end = pending.find("\r\n");
        if (end != std::string::npos) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 2);
            // "123-" goes on; "123 " is the last line of a reply.
            if (line.size() >= 4 && line[3] == ' ' && line[0] >= '1' && line[0] <= '5') {
                lastLine = line;
                return std::atoi(line.substr(0, 3).c_str());
            }
            continue;
        }
        char block[1024];
        const long got = CConnection(fd).Receive(block, sizeof block);
        if (got <= 0) {
            return 0;
        }
        pending.append(block, static_cast<std::size_t>(got));
    }
}

bool CFtpClient::Command(const std::string& line, int expected) {
    return CConnection(fd).Send(line + "\r\n") && Reply() == expected;
}

bool CFtpClient::Login(std::string_view user, std::string_view password) {
    fd = ConnectLoopback(port);
    return fd >= 0 && Reply() == 220 && Command("USER " + std::string(user), 331) &&
           Command("PASS " + std::string(password), 230) && Command("TYPE I", 200);
}

int CFtpClient::OpenData() {
    if (!CConnection(fd).Send("PASV\r\n") || Reply() != 227) {
        return -1;
    }
    // "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)."; the address is this machine's.
    unsigned h[4] = {}, p[2] = {};
    const std::size_t open = lastLine.find('(');
    if (open == std::string::npos || std::sscanf(lastLine.c_str() + open, "(%u,%u,%u,%u,%u,%u)",
                                                 &h[0], &h[1], &h[2], &h[3], &p[0], &p[1]) != 6) {
        return -1;
    }
    return ConnectLoopback(static_cast<std::uint16_t>(p[0] * 256 + p[1]));
}

bool CFtpClient::Retrieve(std::string_view name, std::span<const std::uint8_t> expected,
                          std::size_t& size) {
    const int data = OpenData();
    if (data < 0 || !CConnection(fd).Send("RETR " + std::string(name) + "\r\n") || Reply() != 150) {
        return false;
    }
    std::vector<std::uint8_t> block(kBlock);
    bool same = true;
    size = 0;
    for (long got; (got = CConnection(data).Receive(block.data(), block.size())) > 0;) {
        const auto taken = static_cast<std::size_t>(got);
        same = same && (expected.empty() ||
                        (size + taken <= expected.size() &&
                         std::memcmp(block.data(), expected.data() + size, taken) == 0));
        size += taken;
    }
    ::close(data);
    return Reply() == 226 && same && (expected.empty() || size == expected.size());
}

bool CFtpClient::Store(std::string_view name, std::span<const std::uint8_t> data) {
    const int channel = OpenData();
    if (channel < 0 || !CConnection(fd).Send("STOR " + std::string(name) + "\r\n") ||
        Reply() != 150) {
        return false;
    }
    bool sent = true;
    for (std::size_t at = 0; sent && at < data.size(); at += kBlock) {
        sent = CConnection(channel).Send(data.data() + at, std::min(kBlock, data.size() - at));
    }
    ::close(channel);
    return sent && Reply() == 226;
}

bool CFtpClient::Quit() {
    return Command("QUIT", 221);
}

}  // namespace orvane::load
