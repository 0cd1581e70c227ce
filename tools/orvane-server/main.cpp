// orvane-server: remote access without the administration window, for Linux machines
// without a desktop. It serves its working directory exactly as the window's remote access
// does and prints each operator message as one line on standard output. SIGINT or SIGTERM
// stops listening, ends the running sessions and exits with 0.
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "common/WriteSignals.h"
#include "server/TCPServer.h"

namespace {

// How long a stop waits for the sessions to end after their connections were shut down.
constexpr std::chrono::milliseconds kSessionEndWait{5000};

constexpr char kHelp[] =
    "Usage: orvane-server [--port N]\n"
    "Serves the Orvane files of the current folder (userdb, testdb, quesdb, ...) to the\n"
    "examination client programs, as the administration window's remote access does.\n"
    "Listens on TCP port 20248 of every IPv4 address, or on port N.\n"
    "Operator messages (uploads saved or cut off) are printed one per line on standard output.\n"
    "Ctrl+C (SIGINT) or SIGTERM stops listening, ends the sessions and exits with 0.\n";

struct Options {
    bool help = false;
    std::uint16_t port = orvane::kServerPort;
};

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

// Nothing on a wrong command line: the reason has been printed.
std::optional<Options> ParseArguments(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--port" && i + 1 < argc) {
            const auto port = ParsePort(argv[++i]);
            if (!port) {
                std::fprintf(stderr, "orvane-server: not a port number: %s\n", argv[i]);
                return std::nullopt;
            }
            options.port = *port;
        } else {
            std::fprintf(stderr, "orvane-server: unknown argument: %s\n", argv[i]);
            return std::nullopt;
        }
    }
    return options;
}

std::string WorkingDirectory() {
    char path[PATH_MAX];
    return ::getcwd(path, sizeof path) != nullptr ? path : ".";
}

}  // namespace

int main(int argc, char** argv) {
    orvane::IgnoreWriteSignals();
    const std::optional<Options> options = ParseArguments(argc, argv);
    if (!options) {
        std::fprintf(stderr, "Try 'orvane-server --help'.\n");
        return 2;
    }
    if (options->help) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    // Blocked before any thread starts, so that every thread inherits the mask and the
    // signals wait for sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    orvane::StartServer(options->port);
    if (!orvane::IsListening()) {
        std::fprintf(stderr, "orvane-server: cannot listen on port %u (is it in use?)\n",
                     static_cast<unsigned>(options->port));
        orvane::StopServer();
        return 1;
    }
    std::fprintf(stderr, "orvane-server: serving %s on port %u\n", WorkingDirectory().c_str(),
                 static_cast<unsigned>(options->port));

    int signal = 0;
    sigwait(&stopSignals, &signal);
    orvane::StopServer();
    if (!orvane::EndSessions(kSessionEndWait)) {
        std::fprintf(stderr, "orvane-server: some sessions did not end in time\n");
    }
    std::fprintf(stderr, "orvane-server: stopped\n");
    return 0;
}
