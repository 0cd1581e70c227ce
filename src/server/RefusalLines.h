// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CRefusalLines: the log lines of refused passwords, where a flood of repeats would drown
// everything else (and pass the rate limits of the journal, which then drops lines). The same
// refusal for the same login from the same address is one key: within a window of
// kWindow from its first refusal, the first kOwnLines each get their own line, as fail2ban
// counts them; the further ones are only counted, and one line tells their number when the
// window has ended:
//
//   AUTH refused, 57 more times within 10 s: login ziak, peer 192.0.2.7:51301
//
// That line has the shape of the refusals it stands for, with the peer of the last of them.
// Memory stays bounded: past kMostKeys keys at once, a refusal gets its own line.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "common/Mutex.h"

namespace orvane {

class CRefusalLines {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::chrono::seconds kWindow{10};
    static constexpr std::size_t kOwnLines = 20;
    static constexpr std::size_t kMostKeys = 4096;

    // The one set of the process, writing to the server log.
    static CRefusalLines& Shared();

    // Logs the refusal `what` ("AUTH refused", with what was checked) of `login` from
    // `address`; `who` is the line's end (": login ..., peer ...").
    void Write(const std::string& what, std::u16string_view login, std::uint32_t address,
               const std::string& who, Clock::time_point now = Clock::now());
    // Writes the count of every window that has ended by `now` (the listener calls it every
    // second or so), or of every window, ended or not, when `all`.
    void Flush(Clock::time_point now = Clock::now(), bool all = false);
    // True while some refusals are counted but not yet told.
    bool HasUncounted() const { return uncounted.load(); }

private:
    struct Window {
        Clock::time_point began;
        std::size_t count = 0;  // refusals within the window, the first kOwnLines included
        std::string what;
        std::string lastWho;
    };

    static std::string CountLine(const Window& window);

    CMutex mutex;
    std::unordered_map<std::string, Window> windows GUARDED_BY(mutex);  // by what, login, address
    std::atomic<bool> uncounted{false};
};

}  // namespace orvane
