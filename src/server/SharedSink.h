// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CSharedSink: the one sink of a kind (the log, the operator's messages) that the host sets
// and every session calls. A session takes its own reference to the sink before it calls,
// so a host that replaces or clears the sink while a session is about to call, or is calling,
// never destroys it under that session: the sink goes once its last call has returned.
#include <memory>
#include <utility>

#include "common/Mutex.h"

namespace orvane {

template <class Sink>
class CSharedSink {
public:
    void Set(std::shared_ptr<Sink> sink) {
        std::shared_ptr<Sink> replaced;  // destroyed, if it is the last reference, unlocked
        const CMutexLock lock(mutex);
        replaced = std::exchange(current, std::move(sink));
    }
    // The sink, for one call; null when none is set.
    std::shared_ptr<Sink> Get() {
        const CMutexLock lock(mutex);
        return current;
    }

private:
    CMutex mutex;
    std::shared_ptr<Sink> current GUARDED_BY(mutex);
};

}  // namespace orvane
