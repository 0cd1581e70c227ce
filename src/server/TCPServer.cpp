// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/TCPServer.h"

#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <random>
#include <system_error>
#include <thread>

#include "common/AtomicFile.h"
#include "common/Mutex.h"
#include "server/Connection.h"
#include "server/PasswordLimits.h"
#include "server/RefusalLines.h"
#include "server/ServedFolder.h"
#include "server/ServerLog.h"
#include "server/Session.h"
#include "server/SessionList.h"

namespace orvane {
namespace {

// Connections that wait for the listening thread to take them. A class that connects at once
// would overflow a short queue, and each dropped connection waits a second or more to retry.
constexpr int kBacklog = 128;
constexpr std::chrono::milliseconds kAcceptPause{100};
constexpr std::chrono::seconds kRefusalLinePause{1};
constexpr std::chrono::seconds kListenerWake{1};
// A client that vanishes without a word (a laptop closed, a cable pulled) would hold its
// session for ever. After a minute of silence the kernel asks it every 10 s, and 6 questions
// unanswered end the connection: its session ends about two minutes after the client went,
// while a live client answers and may stay idle for a whole exam.
constexpr int kKeepAliveIdleSeconds = 60;
constexpr int kKeepAliveIntervalSeconds = 10;
constexpr int kKeepAliveProbes = 6;

// The state that the caller of StartServer/StopServer shares with the listening thread.
struct ListenerState {
    CMutex lifecycle;  // one StartServer or StopServer at a time
    std::atomic<bool> running{false};
    std::thread listener GUARDED_BY(lifecycle);

    // The sessions that run at once, as the listener found room for them at its set-up.
    std::atomic<std::size_t> maxSessions{kMaxSessions};

    CMutex socketMutex;
    std::condition_variable_any setUpEnded;
    int listenSocket GUARDED_BY(socketMutex) = -1;  // -1 while no listener is accepting
    bool setUpDone GUARDED_BY(socketMutex) = false;
    int setUpError GUARDED_BY(socketMutex) = 0;
};

ListenerState& State() {
    // Never destroyed, so that a listener still running at exit finds its state.
    static ListenerState* const state = new ListenerState;
    return *state;
}

void EndSetUp(ListenerState& state, int socket, int error = 0) {
    const CMutexLock lock(state.socketMutex);
    state.listenSocket = socket;
    state.setUpDone = true;
    state.setUpError = error;
    state.setUpEnded.notify_all();
}

ServerState CurrentState(ListenerState& state) {
    const CMutexLock lock(state.socketMutex);
    return {state.running.load(), state.listenSocket >= 0, state.setUpError};
}

// The options of every accepted connection, set once on the listening socket: each
// connection that it accepts starts with them. Keepalive, and replies and the last block of a
// download sent at once instead of waiting for the client's delayed acknowledgement of the
// data before them.
void AcceptedSocketOptions(int socket) {
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::setsockopt(socket, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(socket, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepAliveIdleSeconds, sizeof(int));
    ::setsockopt(socket, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepAliveIntervalSeconds, sizeof(int));
    ::setsockopt(socket, IPPROTO_TCP, TCP_KEEPCNT, &kKeepAliveProbes, sizeof(int));
}

// Creates, binds and listens; -1 with `error` set when any step fails. SO_REUSEADDR lets a
// restart bind again at once, while a port that another socket listens on still fails.
int OpenListeningSocket(const ServerOptions& options, int& error) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    AcceptedSocketOptions(fd);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(options.address);
    local.sin_port = htons(options.port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(fd, kBacklog) != 0) {
        error = errno;
        ::close(fd);
        return -1;
    }
    return fd;
}

// Each session may hold its connection and two more descriptors: a download's file, the read
// of "userdb", or an upload's temporary file with its folder (kept open for the rename and the
// folder's flush). The process may need more than the usual soft limit of 1024 to run the most
// sessions with theirs. The hard limit is the ceiling.
constexpr rlim_t kDescriptorsPerSession = 3;

void AllowDescriptorsForSessions() {
    constexpr rlim_t kWanted = kDescriptorsPerSession * kMaxSessions + 256;
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < kWanted) {
        limit.rlim_cur =
            limit.rlim_max == RLIM_INFINITY ? kWanted : std::min(kWanted, limit.rlim_max);
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

std::size_t OpenDescriptors() {
    DIR* const entries = ::opendir("/proc/self/fd");
    if (entries == nullptr) {
        return 0;
    }
    std::size_t count = 0;
    while (const dirent* entry = ::readdir(entries)) {
        count += entry->d_name[0] == '.' ? 0 : 1;
    }
    ::closedir(entries);
    return count - 1;  // less the one that lists the others
}

// The sessions that the descriptor limit leaves room for, each with its connection and its
// files, beside the descriptors open now and a reserve for what the process opens later (the
// window's own files, a folder synced after a rename). A session beyond them would find no
// descriptor for its file and answer a correct AUTH with "!Databaza neexistuje!".
std::size_t SessionsThatFit() {
    constexpr rlim_t kReserve = 32;
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return kMaxSessions;
    }
    const rlim_t taken = OpenDescriptors() + kReserve;
    const rlim_t fit =
        limit.rlim_cur > taken ? (limit.rlim_cur - taken) / kDescriptorsPerSession : 0;
    return static_cast<std::size_t>(std::clamp<rlim_t>(fit, 1, kMaxSessions));
}

// Closes a connection without a greeting: the client sees it end at once. A flood of
// connections is not a flood of lines: within a second of a line, the refusals are counted,
// and the next line says how many there were.
void Refuse(int socket, const std::string& reason) {
    static auto lastLine = std::chrono::steady_clock::time_point();
    static std::size_t unsaid = 0;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastLine < kRefusalLinePause) {
        ++unsaid;
    } else {
        WriteServerLog(CServerLog::Level::Warning,
                       "connection refused: peer " + CConnection(socket).PeerName() + ", " +
                           reason +
                           (unsaid == 0 ? ""
                                        : " (and " + std::to_string(unsaid) +
                                              " more refused since the last such line)"));
        lastLine = now;
        unsaid = 0;
    }
    ::close(socket);
}

std::string AddressOf(int socket) {
    const std::string peer = CConnection(socket).PeerName();
    return peer.substr(0, peer.rfind(':'));
}

// Beyond the start, a connection from an address with that many sessions not logged in yet is
// dropped by chance, more likely the more there are, and always at the full number.
bool DropsEarly(std::size_t waiting, const StartupLimits& limits) {
    static std::minstd_rand random(std::random_device{}());
    if (waiting < limits.start) {
        return false;
    }
    if (waiting >= limits.full) {
        return true;
    }
    const double rate = limits.rate / 100.0 + (1 - limits.rate / 100.0) *
                                                  static_cast<double>(waiting - limits.start) /
                                                  static_cast<double>(limits.full - limits.start);
    return std::uniform_real_distribution<double>(0, 1)(random) < rate;
}

void StartSession(int socket, std::uint32_t address, const ServerOptions& options) {
    CSessionList& sessions = CSessionList::Running();
    const std::size_t most = State().maxSessions.load();
    if (sessions.Count() >= most) {
        Refuse(socket, std::to_string(most) + " sessions running, the most at once");
        return;
    }
    if (options.maxPerAddress > 0 && sessions.CountFrom(address) >= options.maxPerAddress) {
        Refuse(socket, std::to_string(options.maxPerAddress) + " sessions from " +
                           AddressOf(socket) + ", the most per address");
        return;
    }
    if (const std::size_t waiting = sessions.CountBeforeLogin(address);
        DropsEarly(waiting, options.startups)) {
        Refuse(socket, std::to_string(waiting) + " sessions from " + AddressOf(socket) +
                           " not logged in yet");
        return;
    }
    sessions.Add(socket, address);
    try {
        std::thread(ClientThread, socket, options).detach();
    } catch (const std::system_error&) {
        sessions.Remove(socket);
        ::close(socket);
    }
}

}  // namespace

int ListenThread(const ServerOptions& options) {
    ListenerState& state = State();
    AllowDescriptorsForSessions();
    int error = 0;
    const int fd = OpenListeningSocket(options, error);
    state.maxSessions.store(SessionsThatFit());
    EndSetUp(state, fd, error);
    if (fd < 0) {
        return 0;  // silently: remote access stays on without a listener
    }
    auto lastFlush = std::chrono::steady_clock::now();
    while (state.running.load()) {
        // While refusals wait to be told in a count line, the listener wakes each second to
        // write it; otherwise it waits for the next connection alone. (A timeout on the
        // listening socket itself would pass to every connection it accepts.)
        pollfd listening{fd, POLLIN, 0};
        if (CRefusalLines::Shared().HasUncounted() &&
            ::poll(&listening, 1, static_cast<int>(kListenerWake.count() * 1000)) == 0) {
            CRefusalLines::Shared().Flush();
            continue;
        }
        sockaddr_in from{};
        socklen_t fromlen = sizeof from;
        const int client =
            ::accept4(fd, reinterpret_cast<sockaddr*>(&from), &fromlen, SOCK_CLOEXEC);
        if (client >= 0) {
            ReturnToServedFolder();
            StartSession(client, ntohl(from.sin_addr.s_addr), options);
        } else if (state.running.load()) {
            std::this_thread::sleep_for(kAcceptPause);
        }
        if (const auto now = std::chrono::steady_clock::now(); now - lastFlush >= kListenerWake) {
            CRefusalLines::Shared().Flush(now);
            lastFlush = now;
        }
    }
    CRefusalLines::Shared().Flush(CRefusalLines::Clock::now(), true);
    EndSetUp(state, -1);
    ::close(fd);
    return 0;
}

ServerState StartServer(std::uint16_t port) {
    ServerOptions options;
    options.port = port;
    return StartServer(options);
}

ServerState StartServer(const ServerOptions& options) {
    ListenerState& state = State();
    const CMutexLock lifecycle(state.lifecycle);
    if (state.running.load()) {
        return CurrentState(state);
    }
    if (state.listener.joinable()) {
        state.listener.join();  // a listener whose set-up failed has ended already
    }
    {
        const CMutexLock lock(state.socketMutex);
        state.setUpDone = false;
    }
    // Temporary files of a server that was killed while it received an upload.
    RemoveStaleTemporaryFiles(".");
    RememberServedFolder();
    CPasswordLimits::Shared().Clear();
    state.running.store(true);
    try {
        state.listener = std::thread(ListenThread, options);
    } catch (const std::system_error& error) {
        state.running.store(false);  // no thread to be had: remote access stays off
        EndSetUp(state, -1, error.code().value());
        return CurrentState(state);
    }
    CMutexLock lock(state.socketMutex);
    lock.Wait(state.setUpEnded, [&] {
        state.socketMutex.AssertHeld();
        return state.setUpDone;
    });
    return {true, state.listenSocket >= 0, state.setUpError};
}

ServerState StopServer() {
    ListenerState& state = State();
    const CMutexLock lifecycle(state.lifecycle);
    if (!state.running.load()) {
        return CurrentState(state);
    }
    state.running.store(false);
    {
        // On Linux only a shutdown makes a blocked accept return; the listening thread then
        // finds `running` false and closes its socket.
        const CMutexLock lock(state.socketMutex);
        if (state.listenSocket >= 0) {
            ::shutdown(state.listenSocket, SHUT_RDWR);
        }
    }
    state.listener.join();
    return CurrentState(state);
}

bool IsListening() {
    ListenerState& state = State();
    const CMutexLock lock(state.socketMutex);
    return state.listenSocket >= 0;
}

std::size_t MaxSessions() {
    return State().maxSessions.load();
}

std::size_t RunningSessions() {
    return CSessionList::Running().Count();
}

bool EndSessions(std::chrono::milliseconds wait) {
    return CSessionList::Running().EndAll(wait);
}

}  // namespace orvane
