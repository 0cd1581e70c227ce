#include "server/SessionList.h"

#include <sys/socket.h>

namespace orvane {

CSessionList& CSessionList::Running() {
    // Never destroyed: detached session threads may still leave the list while the process
    // ends.
    static CSessionList* const list = new CSessionList;
    return *list;
}

void CSessionList::Add(int socket, std::uint32_t address) {
    const std::lock_guard lock(mutex);
    if (sockets.emplace(socket, address).second) {
        ++perAddress[address];
    }
}

void CSessionList::Remove(int socket) {
    const std::lock_guard lock(mutex);
    const auto session = sockets.find(socket);
    if (session == sockets.end()) {
        return;
    }
    const auto count = perAddress.find(session->second);
    if (--count->second == 0) {
        perAddress.erase(count);
    }
    sockets.erase(session);
    if (sockets.empty()) {
        emptied.notify_all();
    }
}

std::size_t CSessionList::Count() const {
    const std::lock_guard lock(mutex);
    return sockets.size();
}

std::size_t CSessionList::CountFrom(std::uint32_t address) const {
    const std::lock_guard lock(mutex);
    const auto count = perAddress.find(address);
    return count == perAddress.end() ? 0 : count->second;
}

bool CSessionList::EndAll(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex);
    for (const auto& session : sockets) {
        ::shutdown(session.first, SHUT_RDWR);
    }
    return emptied.wait_for(lock, wait, [this] { return sockets.empty(); });
}

}  // namespace orvane
