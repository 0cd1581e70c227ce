#pragma once
// A small client of the remote-access protocol for tests: one TCP connection to 127.0.0.1.
// Every receive waits at most kReceiveLimit, so a server that stays silent fails the test
// instead of hanging it.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvane::test {

class LoopbackClient {
public:
    static constexpr std::chrono::seconds kReceiveLimit{10};

    explicit LoopbackClient(std::uint16_t port);
    ~LoopbackClient();
    LoopbackClient(LoopbackClient&& other) noexcept;
    LoopbackClient(const LoopbackClient&) = delete;
    LoopbackClient& operator=(const LoopbackClient&) = delete;
    LoopbackClient& operator=(LoopbackClient&&) = delete;

    bool IsConnected() const { return fd >= 0; }
    // Sends the bytes as one send; false when they could not all be sent.
    bool Send(std::string_view bytes);
    // Exactly `size` bytes, or fewer when the connection ends or the time limit passes.
    std::string Receive(std::size_t size);
    // Everything up to and including the first "\r\n".
    std::string ReceiveLine() { return ReceiveUntil("\r\n"); }
    // Everything up to and including the first `end`; all that came when it never does.
    std::string ReceiveUntil(std::string_view end);
    // Everything until the server closes the connection.
    std::string ReceiveUntilClosed();
    // True when the server closes the connection without sending anything more.
    bool IsClosedByServer() { return ReceiveUntilClosed().empty() && closed; }
    // Waits until the server has taken everything sent so far out of its socket, so that the
    // next send arrives in a receive of its own. False when that does not happen in time.
    bool WaitUntilServerHasRead();
    // Ends the client's direction only; the server's replies can still be read.
    void ShutdownSending();
    void Close();

private:
    // One receive into `pending`; false at the end of the connection or the time limit.
    bool ReceiveMore();

    int fd = -1;
    std::uint16_t serverPort = 0;
    std::uint16_t localPort = 0;
    std::string pending;
    bool closed = false;  // the server has closed its direction
};

// A TCP port that nothing on 127.0.0.1 listens on at this moment.
std::uint16_t FreePort();
// True when a connection to 127.0.0.1:port is accepted (or at least queued) by a listener.
bool CanConnect(std::uint16_t port);

}  // namespace orvane::test
