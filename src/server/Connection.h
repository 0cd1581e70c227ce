// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CConnection: the receives and sends of one session over a connected stream socket (TCP,
// or one end of a socket pair). It does not own the socket. An interrupted call is repeated;
// a send never raises SIGPIPE, so a client that has gone cannot end the process.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

class CConnection {
public:
    explicit CConnection(int connected) : socket(connected) {}

    // Receives up to `size` bytes; answers how many arrived, 0 when the peer has closed the
    // connection and a negative number when the receive failed.
    long Receive(void* buffer, std::size_t size);
    // Sends all the bytes; false when the connection can no longer take them.
    bool Send(const void* data, std::size_t size);
    bool Send(std::string_view text) { return Send(text.data(), text.size()); }
    // Ends both directions at once: the peer sees the end, and our next receive yields 0.
    void Shutdown();

    // Waits until `until` while the connection stays up; false when it was shut down (the
    // server ends its sessions), broken, or closed by the client meanwhile: a client that has
    // gone gives up its wait.
    bool WaitWhileUp(std::chrono::steady_clock::time_point until);

    // Waits until something can be received (or the connection has ended) and answers true;
    // false when `until` comes first.
    bool WaitForData(std::chrono::steady_clock::time_point until);

    // Who is at the other end, asked of the kernel once.
    struct Peer {
        // True for a peer at an IPv4 address: a client over the network, not the other end
        // of a socket pair in this process.
        bool network = false;
        std::uint32_t address = 0;  // the IPv4 address (host order); 0 for a socket pair
        std::string name;           // "192.0.2.7:51234", or "local" for a socket pair
    };
    Peer GetPeer() const;
    std::string PeerName() const { return GetPeer().name; }

    int Socket() const { return socket; }

private:
    int socket;
};

}  // namespace orvane
