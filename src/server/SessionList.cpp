#include "server/SessionList.h"

#include <sys/socket.h>

namespace orvane {

CSessionList& CSessionList::Running() {
    // Never destroyed: detached session threads may still leave the list while the process
    // ends.
    static CSessionList* const list = new CSessionList;
    return *list;
}

void CSessionList::Add(int socket) {
    const std::lock_guard lock(mutex);
    sockets.insert(socket);
}

void CSessionList::Remove(int socket) {
    const std::lock_guard lock(mutex);
    if (sockets.erase(socket) > 0 && sockets.empty()) {
        emptied.notify_all();
    }
}

std::size_t CSessionList::Count() const {
    const std::lock_guard lock(mutex);
    return sockets.size();
}

bool CSessionList::EndAll(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex);
    for (const int socket : sockets) {
        ::shutdown(socket, SHUT_RDWR);
    }
    return emptied.wait_for(lock, wait, [this] { return sockets.empty(); });
}

}  // namespace orvane
