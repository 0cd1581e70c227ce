#pragma once
// CLogLines: the log of orvane-server, one line per event on a descriptor (standard output).
// When the descriptor is the journal's stream (systemd names it in JOURNAL_STREAM), each line
// begins with its syslog priority, <3> error, <4> warning or <6> info, and the journal takes
// that for the line's level; anywhere else the lines stay plain. A line that cannot be
// written is dropped: a closed or broken output never stops the server.
#include <mutex>
#include <string>

#include "server/ServerLog.h"

class CLogLines : public orvane::CServerLog {
public:
    explicit CLogLines(int fd);

    void Write(Level level, const std::string& line) override;

private:
    const int fd;
    const bool prefixed;
    std::mutex mutex;  // one line at a time, whole
};

// True when the descriptor is the journal's stream that systemd gave the process: the device
// and inode in JOURNAL_STREAM are its own (a variable merely inherited says nothing).
bool IsJournalStream(int fd);
