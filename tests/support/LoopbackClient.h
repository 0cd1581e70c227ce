// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small client of the remote-access protocol for tests: one TCP connection to 127.0.0.1,
// from 127.0.0.1 or from another local address.
// Every receive waits at most ten seconds, so a silent server fails a test instead of hanging.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace orvane::test {

class LoopbackClient {
public:
    explicit LoopbackClient(std::uint16_t port, const char* from = nullptr);
    LoopbackClient(LoopbackClient&& other) noexcept;
    LoopbackClient& operator=(LoopbackClient&&) = delete;
    ~LoopbackClient();

    void Send(std::string_view bytes);
    // Exactly `size` bytes, or fewer when the connection ends or the time limit passes.
    std::string Receive(std::size_t size);
    // Everything up to and including the first `end`, or all that came when it never does.
    std::string ReceiveUntil(std::string_view end = "\r\n");
    // Sends `line` and answers the reply line.
    std::string Ask(std::string_view line) {
        Send(line);
        return ReceiveUntil();
    }
    // True when the server closes (or resets) the connection without sending anything more.
    bool IsClosedByServer();
    // Waits until the server has taken everything sent so far out of its socket, so that the
    // next send arrives in a receive of its own; false when that does not happen in time.
    bool WaitUntilServerHasRead();
    // Ends the client's direction only; replies can still be read.
    void ShutdownSending();

private:
    bool ReceiveMore();

    int fd;
    std::string pending;
    bool closed = false;
};

// A TCP port that nothing listens on at this moment.
std::uint16_t FreePort();
// True when something listening on the address and port takes a connection.
bool CanConnect(std::uint16_t port, const char* address = "127.0.0.1");
// Asks `condition` every millisecond until it holds; false when it still fails after `limit`.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(10));

}  // namespace orvane::test
