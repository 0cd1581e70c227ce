// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Remote access switched on and off: while it is on, one listening thread accepts TCP
// connections on every local IPv4 address (or on one) and serves each in a session thread of
// its own (CSession). Stopping closes the port at once; sessions already running go on until they
// end, unless EndSessions ends them too.
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace orvane {

constexpr std::uint16_t kServerPort = 20248;
// The most sessions that run at once; a connection beyond them is closed at once, without a
// greeting, and the server takes new ones again as sessions end. A low descriptor limit
// lowers the cap (MaxSessions).
constexpr std::size_t kMaxSessions = 1024;

// Sessions not yet logged in from one address, as a guesser would open them by the hundred:
// beyond `start` a new connection from that address is closed at once with a chance of `rate`
// percent, which grows evenly to 100 % at `full`, so that a class that connects at once is
// never turned away while a flood is.
struct StartupLimits {
    std::size_t start = 64;
    unsigned rate = 30;
    std::size_t full = 128;
};

// Where and how the server listens, and what it allows each client.
struct ServerOptions {
    std::uint16_t port = kServerPort;
    std::uint32_t address = 0;      // the IPv4 address (host order); 0 for every address
    std::size_t maxPerAddress = 0;  // the most sessions from one peer address; 0 for no limit
    // Tests go to accounts without teacher rights without their keys, unless keys are served
    // again for practice.
    bool serveKeys = false;
    // A session that has not logged in by then is closed; after a login there is no limit.
    std::chrono::seconds loginDeadline{60};
    // A session is closed after this many refused passwords.
    std::size_t maxRefusals = 10;
    StartupLimits startups;
    // The most sessions that one logged-in login holds at once; 0 for no limit.
    std::size_t maxPerLogin = 4;
    // The largest upload, and what the kept submissions of one account without teacher
    // rights may hold at most.
    std::uint64_t maxUpload = std::uint64_t{64} << 20;
    std::size_t maxSubmissions = 500;
    std::uint64_t maxSubmissionBytes = std::uint64_t{256} << 20;
    // Uploads stop while the file system of the served folder has less free space or fewer
    // free inodes than this, so that "userdb" can always still be saved.
    std::uint64_t reserveBytes = std::uint64_t{256} << 20;
    std::uint64_t reserveInodes = 1000;
};

// What remote access is once StartServer or StopServer returns.
struct ServerState {
    bool on = false;         // remote access is switched on
    bool listening = false;  // a listening thread accepts connections
    int error = 0;           // why the last set-up failed (the errno of its step); 0 if it did not
};

// Switches remote access on, when it is off, and returns once the listening thread has set
// up its socket or given up (a taken port: then remote access stays on without a listener
// until StopServer, and `error` says why).
[[nodiscard]] ServerState StartServer(std::uint16_t port = kServerPort);
[[nodiscard]] ServerState StartServer(const ServerOptions& options);
// Switches remote access off, when it is on: the port is free when this returns, and
// remote access is off (the state answered says no more than that, unless another thread
// started it again meanwhile).
ServerState StopServer();

// True while a listening thread is accepting connections.
bool IsListening();

// The thread procedure that StartServer runs: sets up the listening socket and accepts until
// StopServer. Returns 0.
int ListenThread(const ServerOptions& options);

// The most sessions that run at once, as the descriptor limit allows: kMaxSessions, or fewer
// when the limit leaves no room for them each to hold a file besides its connection.
std::size_t MaxSessions();
// The number of sessions running in this process.
std::size_t RunningSessions();
// Ends every running session by shutting its connection down and waits up to `wait` for all
// of them to end; true when they have.
bool EndSessions(std::chrono::milliseconds wait);

}  // namespace orvane
