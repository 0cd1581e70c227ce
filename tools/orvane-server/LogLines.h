// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CLogLines: the log of orvane-server, one line per event on a descriptor (standard output).
// When the descriptor is the journal's stream (systemd names it in JOURNAL_STREAM), each line
// begins with its syslog priority, <3> error, <4> warning or <6> info, and the journal takes
// that for the line's level; anywhere else the lines stay plain.
//
// Nobody who writes a line ever waits for the output: the lines go into a queue, and a thread
// of their own writes them out. A reader that stops reading (a pipe into a program that hangs)
// fills the queue; the lines beyond are dropped and counted, and a line says how many once the
// output takes lines again. A closed or broken output drops every line; it never stops the
// server.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <string>
#include <string_view>

#include "common/Mutex.h"
#include "server/ServerLog.h"

class CLogLines : public orvane::CServerLog {
public:
    // Starts the writing thread, which is never ended: the object must live until the process
    // ends.
    explicit CLogLines(int output);

    void Write(Level level, const std::string& line) override;
    // Waits up to `wait` for the queue to be written out; false when it was not.
    bool Flush(std::chrono::milliseconds wait);

private:
    void WriteOut() EXCLUDES(mutex);
    void WriteWhole(const std::string& text) const;
    std::string Prefixed(Level level, std::string_view line) const;

    const int fd;
    const bool prefixed;
    orvane::CMutex mutex;
    std::condition_variable_any queued;
    std::condition_variable_any written;
    std::deque<std::string> lines GUARDED_BY(mutex);
    std::size_t queuedBytes GUARDED_BY(mutex) = 0;
    std::size_t dropped GUARDED_BY(mutex) = 0;
    // the thread holds lines that it has taken out of the queue
    bool writing GUARDED_BY(mutex) = false;
};

// True when the descriptor is the journal's stream that systemd gave the process: the device
// and inode in JOURNAL_STREAM are its own (a variable merely inherited says nothing).
bool IsJournalStream(int fd);
