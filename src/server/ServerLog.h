// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CServerLog: where the server reports what happens, one line per event with its context
// (peer, login, file, bytes), for whoever runs it: orvane-server writes the lines to standard
// output; the administration window installs nothing, and the lines go nowhere.
#include <memory>
#include <string>
#include <string_view>

namespace orvane {

class CServerLog {
public:
    // How much an event matters, as syslog ranks it.
    enum class Level { Error = 3, Warning = 4, Info = 6 };

    virtual ~CServerLog() = default;
    // Takes one line, without its line end; called from any thread.
    virtual void Write(Level level, const std::string& line) = 0;
};

// The log every session and the listener write to; null (the default) drops the lines. A
// line being written keeps the log it was given to alive until it is written.
void SetServerLog(std::shared_ptr<CServerLog> log);

void WriteServerLog(CServerLog::Level level, const std::string& line);

// A name or login that a client sent, as UTF-8 fit for one log line: control characters (C0
// and C1), no-break spaces and backslashes are written as \xNN, and the line and paragraph
// separators, the other spaces and zero-width characters, bidirectional controls and lone
// surrogates as \uNNNN, so that no client can add a line of its own or make its text look
// like the server's.
std::string LogText(std::u16string_view text);

}  // namespace orvane
