// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/SessionList.h"

#include <sys/socket.h>

namespace orvane {
namespace {

template <class Map, class Key>
void Lower(Map& counts, const Key& key) {
    const auto count = counts.find(key);
    if (count != counts.end() && --count->second == 0) {
        counts.erase(count);
    }
}

}  // namespace

CSessionList& CSessionList::Running() {
    // Never destroyed: detached session threads may still leave the list while the process
    // ends.
    static CSessionList* const list = new CSessionList;
    return *list;
}

void CSessionList::Add(int socket, std::uint32_t address) {
    const CMutexLock lock(mutex);
    if (sockets.emplace(socket, Session{address, false, {}}).second) {
        PerAddress& counts = perAddress[address];
        ++counts.sessions;
        ++counts.beforeLogin;
    }
}

void CSessionList::Remove(int socket) {
    const CMutexLock lock(mutex);
    const auto session = sockets.find(socket);
    if (session == sockets.end()) {
        return;
    }
    const auto counts = perAddress.find(session->second.address);
    counts->second.beforeLogin -= session->second.loggedIn ? 0 : 1;
    if (--counts->second.sessions == 0) {
        perAddress.erase(counts);
    }
    if (session->second.loggedIn) {
        Lower(perLogin, session->second.login);
    }
    sockets.erase(session);
    if (sockets.empty()) {
        emptied.notify_all();
    }
}

bool CSessionList::LogIn(int socket, const std::u16string& login, std::size_t most) {
    const CMutexLock lock(mutex);
    const auto session = sockets.find(socket);
    if (session == sockets.end()) {
        return true;  // a session that the server did not start (a socket pair)
    }
    Session& state = session->second;
    if (state.loggedIn && state.login == login) {
        return true;
    }
    const auto held = perLogin.find(login);
    if (most > 0 && held != perLogin.end() && held->second >= most) {
        return false;
    }
    if (state.loggedIn) {
        Lower(perLogin, state.login);
    } else {
        --perAddress[state.address].beforeLogin;
    }
    state.loggedIn = true;
    state.login = login;
    ++perLogin[login];
    return true;
}

std::size_t CSessionList::Count() const {
    const CMutexLock lock(mutex);
    return sockets.size();
}

std::size_t CSessionList::CountFrom(std::uint32_t address) const {
    const CMutexLock lock(mutex);
    const auto counts = perAddress.find(address);
    return counts == perAddress.end() ? 0 : counts->second.sessions;
}

std::size_t CSessionList::CountBeforeLogin(std::uint32_t address) const {
    const CMutexLock lock(mutex);
    const auto counts = perAddress.find(address);
    return counts == perAddress.end() ? 0 : counts->second.beforeLogin;
}

bool CSessionList::EndAll(std::chrono::milliseconds wait) {
    CMutexLock lock(mutex);
    for (const auto& session : sockets) {
        ::shutdown(session.first, SHUT_RDWR);
    }
    return lock.WaitFor(emptied, wait, [this] {
        mutex.AssertHeld();
        return sockets.empty();
    });
}

}  // namespace orvane
