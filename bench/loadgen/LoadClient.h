// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CLoadClient: one connection of the load generator to an Orvane server on 127.0.0.1, speaking
// the remote-access protocol as the examination clients do. Every exchange checks each byte
// that comes back; a false result means the server answered something else, or nothing.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/Connection.h"

namespace orvane::load {

class CLoadClient {
public:
    enum class Greeting {
        Ready,    // "#Server Ready." came
        Refused,  // closed before any greeting: the server runs all the sessions it may
        Failed,   // no connection, or anything else
    };

    explicit CLoadClient(std::uint16_t serverPort) : port(serverPort) {}
    ~CLoadClient();
    CLoadClient(CLoadClient&& other) noexcept;
    CLoadClient(const CLoadClient&) = delete;
    CLoadClient& operator=(const CLoadClient&) = delete;
    CLoadClient& operator=(CLoadClient&&) = delete;

    // One attempt to connect and be greeted; a connection still open is closed first.
    Greeting Connect();
    bool Auth(std::string_view login, std::string_view password);
    // FILE, the go-ahead, exactly `expected` and then the end line.
    bool Download(std::string_view name, std::span<const std::uint8_t> expected);
    // The same, taking `size` bytes of the file unchecked, as a client that discards them.
    bool DownloadDiscarding(std::string_view name, std::size_t size);
    // The same, taking whatever comes until the end line, as the examination clients do;
    // `size` tells how many bytes of the file came.
    bool DownloadToEnd(std::string_view name, std::size_t& size);
    // SAVE, `data` and the end line; true once the server has closed the connection.
    bool Upload(std::string_view name, std::span<const std::uint8_t> data);
    // QUIT; true once the server has closed the connection.
    bool Quit();
    void Close();

private:
    enum class Received {
        More,    // bytes came into the buffer
        Closed,  // the server closed or reset the connection
        Failed,  // no reply in time, or another error
    };

    // Sends and receives as the server's sessions do.
    CConnection Connection() const { return CConnection(fd); }
    bool SendLine(std::string_view line) { return Connection().Send(line); }
    // Receives more bytes into the buffer.
    Received Fill();
    bool ExpectBytes(std::span<const std::uint8_t> expected);
    bool SkipBytes(std::size_t size);
    bool ExpectLine(std::string_view line);
    bool WaitForClose();

    std::uint16_t port;
    int fd = -1;
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(256 * 1024);
    std::size_t begin = 0;  // the received bytes not yet taken are buffer[begin, end)
    std::size_t end = 0;
};

}  // namespace orvane::load
