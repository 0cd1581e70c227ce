// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: sessions of the remote-access protocol fed arbitrary bytes over a socket pair.
// An input is up to four sessions, cut at the group separator and run one after the other in
// one working folder; each session's part is the client's sends, cut at the record separator:
// command lines, go-aheads and upload data. The client sends one part, takes the replies and
// waits until the session has read all of it, so that each part arrives as one receive as far
// as the session's buffers allow.
//
// The working folder is a fresh temporary folder, made the working directory at start (so the
// corpus and artifact paths given to this target must be absolute). It holds a "userdb" with
// a teacher and a student, a few files, a folder and a named pipe, and is restored after every
// input. After every input no temporary file may be left, no socket or file of the folder may be
// open, and the process must run as many threads as before the first.
#include <linux/sockios.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "FuzzFixture.h"
#include "common/FileNames.h"
#include "common/Interrupted.h"
#include "server/OperatorMessages.h"
#include "server/Session.h"

using namespace orvane;
using namespace orvane::fuzz;

namespace {

constexpr std::string_view kGreeting = "#Server Ready.\r\n";
// Rounds of a wait that only yield the processor before each one sleeps a millisecond: the
// session mostly reads a send at once.
constexpr int kSpinRounds = 64;

// The operator sees nothing and never holds a session up.
class CQuietOperator : public COperatorMessages {
public:
    void Show(const std::string&) override {}
};

// Beside the files: a folder and a named pipe, names that are no regular files.
constexpr char kFolder[] = "priecinok";
constexpr char kPipe[] = "rura";

struct FixtureFile {
    std::string name;
    Bytes bytes;
};

const std::vector<FixtureFile>& FixtureFiles() {
    static const std::vector<FixtureFile> files = {
        {std::string(kUserDBFile), SampleUserDB(0)},
        {std::string(kTestDBFile), SampleTestFile(1)},
        {std::string(kQuestionDBFile), SampleTestFile(2)},
        {std::string(kWorkedTestFile), SampleText(100)},
        {"zadanie.txt", SampleText(2048)},
        {"prazdny", {}},
    };
    return files;
}

std::string workingFolder;

void WriteWholeFile(const std::string& name, const Bytes& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    Require(out.good(), "cannot restore a file of the working folder");
}

// Puts the folder back as it was; a hidden file can only be a temporary file left behind.
// The folder and the named pipe are never served and can never be replaced.
void RestoreFolder() {
    namespace fs = std::filesystem;
    Require(!fs::exists(kFolder) || (fs::is_directory(kFolder) && fs::is_empty(kFolder)),
            "an upload has changed a folder");
    Require(!fs::exists(kPipe) || fs::is_fifo(kPipe), "an upload has replaced a named pipe");
    for (const auto& entry : fs::directory_iterator(".")) {
        const std::string name = entry.path().filename().string();
        Require(name.front() != '.', "a temporary file is left in the working folder");
        fs::remove_all(entry.path());
    }
    for (const FixtureFile& file : FixtureFiles()) {
        WriteWholeFile(file.name, file.bytes);
    }
    Require(::mkdir(kFolder, 0700) == 0 && ::mkfifo(kPipe, 0600) == 0,
            "cannot make the folder and the pipe of the working folder");
}

// Open descriptors of sockets or of files in the working folder: all that a session opens.
// (The sanitizers open pipes of their own now and then, so a plain count would not do.)
std::size_t SessionDescriptors() {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code gone;
        const std::string target = std::filesystem::read_symlink(entry.path(), gone).string();
        if (target.starts_with("socket:") || target.starts_with(workingFolder)) {
            ++count;
        }
    }
    return count;
}

std::size_t RunningThreads() {
    std::ifstream status("/proc/self/status");
    std::string word;
    std::size_t threads = 0;
    while (status >> word) {
        if (word == "Threads:") {
            status >> threads;
        }
    }
    return threads;
}

// Takes every reply that has arrived; true once the session has closed its end.
bool TakeReplies(int client, std::string& replies) {
    std::array<char, 65536> buffer;
    for (;;) {
        const ssize_t got = RetryInterrupted(
            [&] { return ::recv(client, buffer.data(), buffer.size(), MSG_DONTWAIT); });
        if (got > 0) {
            replies.append(buffer.data(), static_cast<std::size_t>(got));
        } else {
            return got == 0 || errno != EAGAIN;
        }
    }
}

// Bytes sent that the session has not read yet.
int Unread(int client) {
    int unread = 0;
    Require(::ioctl(client, SIOCOUTQ, &unread) == 0, "cannot ask for the unread bytes");
    return unread;
}

void Pause(int client, int round, bool sending) {
    if (round < kSpinRounds) {
        ::sched_yield();
        return;
    }
    pollfd wait{client, static_cast<short>(POLLIN | (sending ? POLLOUT : 0)), 0};
    ::poll(&wait, 1, 1);
}

// Sends the bytes, taking the replies meanwhile, and waits until the session has read them
// all or has ended.
void Exchange(int client, std::string_view send, std::string& replies) {
    for (int round = 0;; ++round) {
        if (!send.empty()) {
            const ssize_t sent = RetryInterrupted([&] {
                return ::send(client, send.data(), send.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            });
            if (sent > 0) {
                send.remove_prefix(static_cast<std::size_t>(sent));
            } else if (errno != EAGAIN) {
                send = {};  // the session has gone
            }
        }
        const bool closed = TakeReplies(client, replies);
        if (closed || (send.empty() && Unread(client) == 0)) {
            return;
        }
        Pause(client, round, !send.empty());
    }
}

void RunSession(std::string_view part) {
    int ends[2];
    Require(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) == 0,
            "cannot make a socket pair");
    const int client = ends[0];
    std::thread session(ClientThread, ends[1], ServerOptions{});
    std::string replies;
    for (const std::string_view send : SplitAt(part, kSendSeparator, kMaxSends)) {
        Exchange(client, send, replies);
    }
    // The client closes its side; the session ends at its next receive and closes the other.
    ::shutdown(client, SHUT_WR);
    for (int round = 0; !TakeReplies(client, replies); ++round) {
        Pause(client, round, false);
    }
    session.join();
    ::close(client);
    Require(replies.starts_with(kGreeting), "a session does not begin with its greeting");
}

void RemoveWorkingFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(workingFolder, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-fuzz-XXXXXX").string();
    Require(::mkdtemp(pattern.data()) != nullptr && ::chdir(pattern.c_str()) == 0,
            "cannot make the working folder");
    workingFolder = pattern;
    std::atexit(RemoveWorkingFolder);
    SetOperatorMessages(std::make_shared<CQuietOperator>());
    SilenceConsoleLines();
    RestoreFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::size_t threads = RunningThreads();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const std::string_view part : SplitAt(input, kSessionSeparator, fuzz::kMaxSessions)) {
        RunSession(part);
    }
    RestoreFolder();
    Require(SessionDescriptors() == 0, "a session leaves a socket or a file open");
    Require(RunningThreads() == threads, "a session leaves a thread running");
    return 0;
}
