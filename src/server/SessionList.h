// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CSessionList: the sessions running in this process, known by their sockets, their peers'
// addresses and the logins they hold, so that the server can count the sessions of one address
// (those not logged in yet apart), and those of one login, end them all at once (the headless
// server does so when it is stopped) and wait for them. A session leaves the list before its
// socket is closed, so the list never holds a socket number that may already stand for
// something else.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "common/Mutex.h"

namespace orvane {

class CSessionList {
public:
    // The one list of the process.
    static CSessionList& Running();

    // `address` is the peer's IPv4 address (host order); the session is not logged in.
    void Add(int socket, std::uint32_t address);
    // Takes the socket out of the list (nothing happens for one that is not in it).
    void Remove(int socket);
    // The session now holds `login`, unless that login holds `most` other sessions already
    // (0: no limit); false then, and the session keeps what it held.
    bool LogIn(int socket, const std::u16string& login, std::size_t most);
    std::size_t Count() const;
    std::size_t CountFrom(std::uint32_t address) const;
    // The sessions from the address that have not logged in yet.
    std::size_t CountBeforeLogin(std::uint32_t address) const;
    // Shuts down the connection of every running session, which makes it end at its next
    // receive, and waits up to `wait` for all of them to leave; true when they have.
    bool EndAll(std::chrono::milliseconds wait);

private:
    struct Session {
        std::uint32_t address = 0;
        bool loggedIn = false;
        std::u16string login;
    };
    struct PerAddress {
        std::size_t sessions = 0;
        std::size_t beforeLogin = 0;
    };

    mutable CMutex mutex;
    std::condition_variable_any emptied;
    std::map<int, Session> sockets GUARDED_BY(mutex);
    std::map<std::uint32_t, PerAddress> perAddress GUARDED_BY(mutex);
    std::map<std::u16string, std::size_t> perLogin GUARDED_BY(mutex);
};

}  // namespace orvane
