// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/RefusalLines.h"

#include <vector>

#include "common/TextCodec.h"
#include "server/ServerLog.h"

namespace orvane {

CRefusalLines& CRefusalLines::Shared() {
    // Never destroyed: detached session threads may still write while the process ends.
    static CRefusalLines* const lines = new CRefusalLines;
    return *lines;
}

std::string CRefusalLines::CountLine(const Window& window) {
    return window.what + ", " + std::to_string(window.count - kOwnLines) + " more times within " +
           std::to_string(kWindow.count()) + " s" + window.lastWho;
}

void CRefusalLines::Write(const std::string& what, std::u16string_view login, std::uint32_t address,
                          const std::string& who, Clock::time_point now) {
    std::string key = what;
    key += '\0';
    key += ToUtf8(login);
    key += '\0';
    key += std::to_string(address);
    std::string ended;  // the count of the key's window before, when it ended unsaid
    bool own = true;
    {
        const CMutexLock lock(mutex);
        auto window = windows.find(key);
        if (window != windows.end() && now - window->second.began >= kWindow) {
            if (window->second.count > kOwnLines) {
                ended = CountLine(window->second);
            }
            windows.erase(window);
            window = windows.end();
        }
        if (window == windows.end() && windows.size() < kMostKeys) {
            window = windows.emplace(std::move(key), Window{now, 0, what, {}}).first;
        }
        if (window != windows.end()) {
            own = ++window->second.count <= kOwnLines;
            window->second.lastWho = who;
            uncounted = uncounted || !own;
        }
    }
    if (!ended.empty()) {
        WriteServerLog(CServerLog::Level::Warning, ended);
    }
    if (own) {
        WriteServerLog(CServerLog::Level::Warning, what + who);
    }
}

void CRefusalLines::Flush(Clock::time_point now, bool all) {
    std::vector<std::string> lines;
    {
        const CMutexLock lock(mutex);
        bool stillUncounted = false;
        for (auto window = windows.begin(); window != windows.end();) {
            if (!all && now - window->second.began < kWindow) {
                stillUncounted = stillUncounted || window->second.count > kOwnLines;
                ++window;
                continue;
            }
            if (window->second.count > kOwnLines) {
                lines.push_back(CountLine(window->second));
            }
            window = windows.erase(window);
        }
        uncounted = stillUncounted;
    }
    for (const std::string& line : lines) {
        WriteServerLog(CServerLog::Level::Warning, line);
    }
}

}  // namespace orvane
