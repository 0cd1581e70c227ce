#pragma once
// CConnection: the receives and sends of one session over a connected stream socket (TCP,
// or one end of a socket pair). It does not own the socket. An interrupted call is repeated;
// a send never raises SIGPIPE, so a client that has gone cannot end the process.
#include <cstddef>
#include <string_view>

namespace orvane {

class CConnection {
public:
    explicit CConnection(int socket) : socket(socket) {}

    // Receives up to `size` bytes; answers how many arrived, 0 when the peer has closed the
    // connection and a negative number when the receive failed.
    long Receive(void* buffer, std::size_t size);
    // Sends all the bytes; false when the connection can no longer take them.
    bool Send(const void* data, std::size_t size);
    bool Send(std::string_view text) { return Send(text.data(), text.size()); }
    // Ends both directions at once: the peer sees the end, and our next receive yields 0.
    void Shutdown();

    int Socket() const { return socket; }

private:
    int socket;
};

}  // namespace orvane
