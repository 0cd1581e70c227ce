// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoadClient.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvane::load {
namespace {

constexpr std::string_view kReady = "#Server Ready.\r\n";
constexpr std::string_view kLoggedIn = "#You are logged in!!!\r\n";
constexpr std::string_view kAllowedToDownload = "#You are allowed to download.\r\n";
constexpr std::string_view kAllowedToModify = "#You are allowed to modify the file.\r\n";
constexpr std::string_view kEndLine = "#File sent successfully.\r\n";
constexpr timeval kPatience{60, 0};  // no reply within a minute is an error

}  // namespace

CLoadClient::~CLoadClient() {
    Close();
}

CLoadClient::CLoadClient(CLoadClient&& other) noexcept
    : port(other.port),
      fd(other.fd),
      buffer(std::move(other.buffer)),
      begin(other.begin),
      end(other.end) {
    other.fd = -1;
}

void CLoadClient::Close() {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    begin = end = 0;
}

CLoadClient::Greeting CLoadClient::Connect() {
    Close();
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        Close();
        return Greeting::Failed;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &kPatience, sizeof kPatience);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &kPatience, sizeof kPatience);
    const Received greeting = Fill();
    if (greeting != Received::More) {
        Close();
        return greeting == Received::Closed ? Greeting::Refused : Greeting::Failed;
    }
    return ExpectLine(kReady) ? Greeting::Ready : Greeting::Failed;
}

bool CLoadClient::Auth(std::string_view login, std::string_view password) {
    return SendLine("AUTH " + std::string(login) + " " + std::string(password) + "\r\n") &&
           ExpectLine(kLoggedIn);
}

bool CLoadClient::Download(std::string_view name, std::span<const std::uint8_t> expected) {
    return SendLine("FILE " + std::string(name) + "\r\n") && ExpectLine(kAllowedToDownload) &&
           SendLine("#\r\n") && ExpectBytes(expected) && ExpectLine(kEndLine);
}

bool CLoadClient::DownloadDiscarding(std::string_view name, std::size_t size) {
    return SendLine("FILE " + std::string(name) + "\r\n") && ExpectLine(kAllowedToDownload) &&
           SendLine("#\r\n") && SkipBytes(size) && ExpectLine(kEndLine);
}

bool CLoadClient::DownloadToEnd(std::string_view name, std::size_t& size) {
    if (!SendLine("FILE " + std::string(name) + "\r\n") || !ExpectLine(kAllowedToDownload) ||
        !SendLine("#\r\n")) {
        return false;
    }
    std::string tail;  // the last bytes received, where the end line shows
    size = 0;
    while (!tail.ends_with(kEndLine)) {
        if (begin == end && Fill() != Received::More) {
            return false;
        }
        tail.append(reinterpret_cast<const char*>(buffer.data() + begin), end - begin);
        size += end - begin;
        begin = end;
        tail.erase(0, tail.size() > kEndLine.size() ? tail.size() - kEndLine.size() : 0);
    }
    size -= kEndLine.size();
    return true;
}

bool CLoadClient::Upload(std::string_view name, std::span<const std::uint8_t> data) {
    return SendLine("SAVE " + std::string(name) + "\r\n") && ExpectLine(kAllowedToModify) &&
           Connection().Send(data.data(), data.size()) && SendLine(kEndLine) && WaitForClose();
}

bool CLoadClient::Quit() {
    return SendLine("QUIT\r\n") && WaitForClose();
}

CLoadClient::Received CLoadClient::Fill() {
    if (begin == end) {
        begin = end = 0;
    }
    const long got = Connection().Receive(buffer.data() + end, buffer.size() - end);
    if (got == 0 || (got < 0 && errno == ECONNRESET)) {
        return Received::Closed;
    }
    if (got < 0) {
        return Received::Failed;
    }
    end += static_cast<std::size_t>(got);
    return Received::More;
}

// Compares as the bytes arrive, so that a file of any size passes through one buffer.
bool CLoadClient::ExpectBytes(std::span<const std::uint8_t> expected) {
    while (!expected.empty()) {
        if (begin == end && Fill() != Received::More) {
            return false;
        }
        const std::size_t take = std::min(expected.size(), end - begin);
        if (std::memcmp(buffer.data() + begin, expected.data(), take) != 0) {
            return false;
        }
        begin += take;
        expected = expected.subspan(take);
    }
    return true;
}

bool CLoadClient::SkipBytes(std::size_t size) {
    while (size > 0) {
        if (begin == end && Fill() != Received::More) {
            return false;
        }
        const std::size_t take = std::min(size, end - begin);
        begin += take;
        size -= take;
    }
    return true;
}

bool CLoadClient::ExpectLine(std::string_view line) {
    return ExpectBytes({reinterpret_cast<const std::uint8_t*>(line.data()), line.size()});
}

bool CLoadClient::WaitForClose() {
    return begin == end && Fill() == Received::Closed;
}

}  // namespace orvane::load
