// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CFtpClient: one FTP session of the load generator to a server on 127.0.0.1 (vsftpd in the
// comparisons), driven like CLoadClient: passive mode, binary type, one transfer at a time,
// each reply checked. Both clients move file data through the same 256 KiB buffer size, so a
// comparison times the servers, not the clients.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orvane::load {

class CFtpClient {
public:
    explicit CFtpClient(std::uint16_t serverPort) : port(serverPort) {}
    ~CFtpClient();
    CFtpClient(const CFtpClient&) = delete;
    CFtpClient& operator=(const CFtpClient&) = delete;

    // Connects, is greeted, logs in and asks for binary transfers.
    bool Login(std::string_view user, std::string_view password);
    // RETR: the whole file, compared with `expected` unless it is empty; `size` tells how
    // many bytes came.
    bool Retrieve(std::string_view name, std::span<const std::uint8_t> expected, std::size_t& size);
    // STOR: the whole of `data`, until the server says the file is stored.
    bool Store(std::string_view name, std::span<const std::uint8_t> data);
    bool Quit();

private:
    // The reply's code (its last line's), 0 when none came.
    int Reply();
    bool Command(const std::string& line, int expected);
    // Opens the data connection that PASV names; -1 when it fails.
    int OpenData();

    std::uint16_t port;
    int fd = -1;
    std::string pending;   // received control bytes not yet taken
    std::string lastLine;  // the last line of the last reply
};

// Connects a TCP socket to 127.0.0.1:port with the load generator's options; -1 on failure.
int ConnectLoopback(std::uint16_t port);

}  // namespace orvane::load
