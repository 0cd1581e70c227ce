// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-server: remote access without the administration window, for Linux machines
// without a desktop and for running as a service. It serves one folder exactly as the
// window's remote access serves its working directory, and writes one log line per event to
// standard output. SIGINT or SIGTERM stops listening, ends the running sessions and exits
// with 0; SIGHUP reloads (Reload.h). Under systemd it tells when it is ready (Type=notify).
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "CommandLine.h"
#include "LogLines.h"
#include "LogTarget.h"
#include "Reload.h"
#include "ServiceNotifier.h"
#include "StartupChecks.h"
#include "common/ConsoleLine.h"
#include "common/WriteSignals.h"
#include "server/OperatorMessages.h"
#include "server/ServerLog.h"
#include "server/TCPServer.h"

namespace {

using Level = orvane::CServerLog::Level;

// How long a stop waits for the sessions to end after their connections were shut down, and
// then for the log to be written out (a reader that has stopped reading is not waited for).
constexpr std::chrono::milliseconds kSessionEndWait{5000};
constexpr std::chrono::milliseconds kLogFlushWait{1000};

// Never destroyed: its writing thread runs until the process ends, and sessions that did not
// end in time may still write while the process ends.
const std::shared_ptr<CLogLines>& TheLog() {
    static const auto* const log = new std::shared_ptr<CLogLines>(new CLogLines(STDOUT_FILENO));
    return *log;
}

constexpr char kHelp[] =
    "Usage: orvane-server [OPTION]...\n"
    "Serves the Orvane files of a folder (userdb, testdb, quesdb, ...) to the examination\n"
    "client programs, as the administration window's remote access does.\n"
    "\n"
    "  --port N               listen on TCP port N (default 20248)\n"
    "  --listen ADDRESS       listen on this IPv4 address only (default: every address)\n"
    "  --dir FOLDER           serve FOLDER (default: the current folder)\n"
    "  --max-per-address N    at most N sessions from one client address (default: no limit)\n"
    "  --serve-keys           send tests to students with their keys, for practice\n"
    "                         (default: students get every test without its keys)\n"
    "  --login-timeout S      close a session not logged in after S seconds (default 60)\n"
    "  --max-refusals N       close a session after N refused passwords (default 10)\n"
    "  --max-startups A:R:F   sessions not logged in from one address: beyond A drop new\n"
    "                         ones with R %, rising to all at F (default 64:30:128)\n"
    "  --max-per-login N      at most N sessions of one login at once, 0: no limit (default 4)\n"
    "  --max-upload SIZE      the largest upload (default 64M)\n"
    "  --max-submissions N    kept submissions per student login (default 500)\n"
    "  --max-submission-bytes SIZE  their bytes per student login (default 256M)\n"
    "  --reserve-space SIZE   refuse uploads below this free space (default 256M)\n"
    "  --reserve-inodes N     refuse uploads below this many free inodes (default 1000)\n"
    "  --check                check the folder, the files and the address, then exit\n"
    "  --version              print the version and exit\n"
    "  --help                 print this help and exit\n"
    "Values may also be given as --name=value; SIZE is bytes, or a number with K, M or G.\n"
    "\n"
    "One log line per event goes to standard output (with syslog priorities under systemd).\n"
    "SIGINT or SIGTERM stops listening, ends the sessions and exits with 0. SIGHUP reads\n"
    "userdb again, checks the folder again and reopens a rotated log file.\n"
    "Exit status: 0 after a stop or a passed check, 1 when the folder, the address or the port\n"
    "cannot be used, 2 for a wrong command line.\n";

// The log line carries each operator message with its context; nobody waits for an OK.
class CLoggedOperatorMessages : public orvane::COperatorMessages {
public:
    void Show(const std::string&) override {}
};

// One line on standard error, with the error priority when that is the journal's stream.
void PrintError(const char* format, ...) {
    std::string line = IsJournalStream(STDERR_FILENO) ? "<3>orvane-server: " : "orvane-server: ";
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    line += text;
    std::fprintf(stderr, "%s\n", line.c_str());
}

// The signals that stop (SIGINT, SIGTERM) or reload (SIGHUP) the server, blocked before any
// thread starts, so that every thread inherits the mask and the signals wait for sigwait. A
// hang-up that was ignored at start (nohup) stays ignored.
sigset_t BlockServiceSignals() {
    sigset_t serviceSignals;
    sigemptyset(&serviceSignals);
    sigaddset(&serviceSignals, SIGINT);
    sigaddset(&serviceSignals, SIGTERM);
    struct sigaction hangUp {};
    if (::sigaction(SIGHUP, nullptr, &hangUp) != 0 || hangUp.sa_handler != SIG_IGN) {
        sigaddset(&serviceSignals, SIGHUP);
    }
    pthread_sigmask(SIG_BLOCK, &serviceSignals, nullptr);
    return serviceSignals;
}

std::string WorkingDirectory() {
    char path[PATH_MAX];
    return ::getcwd(path, sizeof path) != nullptr ? path : ".";
}

std::string StartLine(const orvane::ServerOptions& options, const std::string& folder) {
    std::string line = "orvane-server " ORVANE_VERSION " serving " + folder + " on " +
                       AddressText(options.address) + ":" + std::to_string(options.port) +
                       ", at most " + std::to_string(orvane::MaxSessions()) + " sessions";
    if (options.maxPerAddress > 0) {
        line += ", " + std::to_string(options.maxPerAddress) + " per address";
    }
    return line;
}

// --check: the warnings of a start, and whether the address can be listened on.
int Check(const orvane::ServerOptions& options) {
    const std::string folder = WorkingDirectory();
    CheckServedFolder(folder);
    if (const std::string error = ListenAddressError(options.address); !error.empty()) {
        PrintError("%s", error.c_str());
        return 1;
    }
    std::printf("checked: %s\n", StartLine(options, folder).c_str());
    return 0;
}

// Serves until a stop signal, reloading on SIGHUP; the exit status.
int Serve(const orvane::ServerOptions& options, const sigset_t& serviceSignals) {
    CLogTarget logTarget;
    // Before the first connection, so that the warnings come before any event.
    const std::string folder = WorkingDirectory();
    CheckServedFolder(folder);
    if (const orvane::ServerState started = orvane::StartServer(options); !started.listening) {
        PrintError("cannot listen on %s:%u: %s", AddressText(options.address).c_str(),
                   static_cast<unsigned>(options.port), std::strerror(started.error));
        orvane::StopServer();
        return 1;
    }
    orvane::WriteServerLog(Level::Info, StartLine(options, folder));
    CServiceNotifier::Ready(StartLine(options, folder));

    int signal = 0;
    while (sigwait(&serviceSignals, &signal) == 0 && signal == SIGHUP) {
        ReloadService(folder, logTarget);
    }
    CServiceNotifier::Stopping();
    orvane::StopServer();
    const bool ended = orvane::EndSessions(kSessionEndWait);
    orvane::WriteServerLog(ended ? Level::Info : Level::Warning,
                           ended ? "orvane-server stopped"
                                 : "orvane-server stopped: some sessions did not end in time");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<CommandLine> commandLine = ParseCommandLine(argc, argv);
    if (!commandLine) {
        std::fprintf(stderr, "Try 'orvane-server --help'.\n");
        return 2;
    }
    if (commandLine->action == CommandLine::Action::Help) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (commandLine->action == CommandLine::Action::Version) {
        std::puts("orvane-server " ORVANE_VERSION);
        return 0;
    }
    if (!commandLine->folder.empty() && ::chdir(commandLine->folder.c_str()) != 0) {
        PrintError("cannot enter %s: %s", commandLine->folder.c_str(), std::strerror(errno));
        return 1;
    }
    // A reader of standard output that has gone (the end of "| tee log") must not end the
    // server, nor must a file-size limit: the write fails instead, and the line is dropped.
    orvane::IgnoreWriteSignals();
    // Before the log's writer thread starts: a thread that took a stop or reload signal
    // while the main thread was reloading would end the server with the signal's default.
    const sigset_t serviceSignals = BlockServiceSignals();
    orvane::SetServerLog(TheLog());
    // The console lines of the files ("Cannot write to file: ...") take the same queue.
    orvane::SetConsoleSink(
        [](std::string_view line) { TheLog()->Write(Level::Error, std::string(line)); });
    orvane::SetOperatorMessages(std::make_shared<CLoggedOperatorMessages>());
    const int status = commandLine->action == CommandLine::Action::Check
                           ? Check(commandLine->server)
                           : Serve(commandLine->server, serviceSignals);
    TheLog()->Flush(kLogFlushWait);
    return status;
}
