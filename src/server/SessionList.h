#pragma once
// CSessionList: the sessions running in this process, known by their sockets and their
// peers' addresses, so that the server can count the sessions of one address and end them all
// at once (the headless server does so when it is stopped) and wait for them. A session leaves the
// list before its socket is closed, so the list never holds a socket number that may already stand
// for something else.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>

namespace orvane {

class CSessionList {
public:
    // The one list of the process.
    static CSessionList& Running();

    // `address` is the peer's IPv4 address (host order).
    void Add(int socket, std::uint32_t address);
    // Takes the socket out of the list (nothing happens for one that is not in it).
    void Remove(int socket);
    std::size_t Count() const;
    std::size_t CountFrom(std::uint32_t address) const;
    // Shuts down the connection of every running session, which makes it end at its next
    // receive, and waits up to `wait` for all of them to leave; true when they have.
    bool EndAll(std::chrono::milliseconds wait);

private:
    mutable std::mutex mutex;
    std::condition_variable emptied;
    std::map<int, std::uint32_t> sockets;  // socket: peer address
    std::map<std::uint32_t, std::size_t> perAddress;
};

}  // namespace orvane
