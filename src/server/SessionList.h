#pragma once
// CSessionList: the sessions running in this process, known by their sockets, so that the
// server can end them all at once (the headless server does so when it is stopped) and wait
// for them. A session leaves the list before its socket is closed, so the list never holds a
// socket number that may already stand for something else.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <set>

namespace orvane {

class CSessionList {
public:
    // The one list of the process.
    static CSessionList& Running();

    void Add(int socket);
    // Takes the socket out of the list (nothing happens for one that is not in it).
    void Remove(int socket);
    std::size_t Count() const;
    // Shuts down the connection of every running session, which makes it end at its next
    // receive, and waits up to `wait` for all of them to leave; true when they have.
    bool EndAll(std::chrono::milliseconds wait);

private:
    mutable std::mutex mutex;
    std::condition_variable emptied;
    std::set<int> sockets;
};

}  // namespace orvane
