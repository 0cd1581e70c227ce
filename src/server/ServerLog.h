#pragma once
// CServerLog: where the server reports what happens, one line per event with its context
// (peer, login, file, bytes), for whoever runs it: orvane-server writes the lines to standard
// output; the administration window installs nothing, and the lines go nowhere.
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

// The log every session and the listener write to; null (the default) drops the lines. The
// log must stay alive while a session may still write to it.
void SetServerLog(CServerLog* log);

void WriteServerLog(CServerLog::Level level, const std::string& line);

// A name or login that a client sent, as UTF-8 fit for one log line: control characters and
// backslashes are written as \xNN, so that no client can add a line of its own.
std::string LogText(std::u16string_view text);

}  // namespace orvane
