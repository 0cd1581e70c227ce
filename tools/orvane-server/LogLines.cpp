// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogLines.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "common/Interrupted.h"

namespace {

// What the queue holds at most: a minute of a busy exam's lines.
constexpr std::size_t kMostQueuedLines = 4096;
constexpr std::size_t kMostQueuedBytes = 1 << 20;

}  // namespace

CLogLines::CLogLines(int output) : fd(output), prefixed(IsJournalStream(output)) {
    std::thread([this] { WriteOut(); }).detach();
}

std::string CLogLines::Prefixed(Level level, std::string_view line) const {
    std::string text = prefixed ? "<" + std::to_string(static_cast<int>(level)) + ">" : "";
    text += line;
    return text += '\n';
}

void CLogLines::Write(Level level, const std::string& line) {
    std::string text = Prefixed(level, line);
    const orvane::CMutexLock lock(mutex);
    if (lines.size() >= kMostQueuedLines || queuedBytes + text.size() > kMostQueuedBytes) {
        ++dropped;
        return;
    }
    queuedBytes += text.size();
    lines.push_back(std::move(text));
    queued.notify_one();
}

void CLogLines::WriteOut() {
    orvane::CMutexLock lock(mutex);
    for (;;) {
        lock.Wait(queued, [this] {
            mutex.AssertHeld();
            return !lines.empty() || dropped > 0;
        });
        std::deque<std::string> batch;
        batch.swap(lines);
        queuedBytes = 0;
        if (dropped > 0) {
            batch.push_front(Prefixed(Level::Warning, std::to_string(dropped) +
                                                          " log lines dropped: the output was "
                                                          "not read fast enough"));
            dropped = 0;
        }
        writing = true;
        mutex.Unlock();
        for (const std::string& text : batch) {
            WriteWhole(text);
        }
        mutex.Lock();
        writing = false;
        written.notify_all();
    }
}

void CLogLines::WriteWhole(const std::string& text) const {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t wrote = orvane::RetryInterrupted(
            [&] { return ::write(fd, text.data() + done, text.size() - done); });
        if (wrote <= 0) {
            return;
        }
        done += static_cast<std::size_t>(wrote);
    }
}

bool CLogLines::Flush(std::chrono::milliseconds wait) {
    orvane::CMutexLock lock(mutex);
    return lock.WaitFor(written, wait, [this] {
        mutex.AssertHeld();
        return lines.empty() && !writing;
    });
}

bool IsJournalStream(int fd) {
    const char* stream = std::getenv("JOURNAL_STREAM");
    unsigned long long device = 0;
    unsigned long long inode = 0;
    struct stat info {};
    return stream != nullptr && std::sscanf(stream, "%llu:%llu", &device, &inode) == 2 &&
           ::fstat(fd, &info) == 0 && info.st_dev == device && info.st_ino == inode;
}
