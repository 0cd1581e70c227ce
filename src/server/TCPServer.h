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

// Where and how the server listens.
struct ServerOptions {
    std::uint16_t port = kServerPort;
    std::uint32_t address = 0;      // the IPv4 address (host order); 0 for every address
    std::size_t maxPerAddress = 0;  // the most sessions from one peer address; 0 for no limit
};

// Switches remote access on, when it is off, and returns once the listening thread has set
// up its socket or given up (a taken port: then remote access stays on without a listener
// until StopServer). Returns 0.
int StartServer(std::uint16_t port = kServerPort);
int StartServer(const ServerOptions& options);
// Switches remote access off, when it is on: the port is free when this returns. Returns 0.
int StopServer();

// True while a listening thread is accepting connections.
bool IsListening();
// Why the last set-up failed (the errno of the step that failed); 0 when it did not.
int ListenerError();

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
