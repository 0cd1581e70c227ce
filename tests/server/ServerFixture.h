// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Servers on free ports that serve a fresh temporary folder, clients that talk to them, and the
// check that a server test gives back every descriptor and thread that it took.
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "server/OperatorMessages.h"
#include "server/ServerLog.h"
#include "server/TCPServer.h"
#include "support/LoopbackClient.h"
#include "support/TempFolder.h"
#include "users/PNUserDB.h"

namespace orvane::test {

constexpr char kLoggedIn[] = "#You are logged in!!!\r\n";
constexpr char kAllowed[] = "#You are allowed to download.\r\n";
constexpr char kSent[] = "#File sent successfully.\r\n";
constexpr char kCannotDownload[] = "!You cannot download the file.\r\n";
constexpr char kMayModify[] = "#You are allowed to modify the file.\r\n";

class RecordedMessages : public COperatorMessages {
public:
    void Show(const std::string& message) override {
        const std::lock_guard lock(mutex);
        shown.push_back(message);
    }
    std::vector<std::string> Shown() {
        const std::lock_guard lock(mutex);
        return shown;
    }

private:
    std::mutex mutex;
    std::vector<std::string> shown;
};

// The server log's lines, each after its level's number, with the ports of 127.0.0.1 as "P".
class RecordedLog : public CServerLog {
public:
    void Write(Level level, const std::string& line) override;
    std::vector<std::string> Lines();

private:
    std::mutex mutex;
    std::vector<std::string> lines;
};

// A sink of the test's own, handed to the server without its ownership: a fixture that clears
// it once every session has ended.
template <class Sink>
std::shared_ptr<Sink> Unowned(Sink& sink) {
    return std::shared_ptr<Sink>(std::shared_ptr<Sink>(), &sink);
}

// A test in a temporary folder that ends by checking that the process holds as many
// descriptors and threads as when it began (threads that are ending get a few seconds).
class ResourceCheckedTest : public InTempFolder {
protected:
    ~ResourceCheckedTest() override;

private:
    // The open descriptors and the running threads of this process.
    static std::pair<long, int> Resources();
    const std::pair<long, int> atStart = Resources();
};

// The teacher ucitel/tajne, found first, and `students` students ziak with `password`.
std::unique_ptr<CPNUserDB> Accounts(int students = 1, const std::u16string& password = u"heslo");
// Saves them as "userdb" and answers the bytes saved.
std::vector<std::uint8_t> SaveAccounts(int students = 1, const std::u16string& password = u"heslo");

LoopbackClient Connect(std::uint16_t port, const char* from = nullptr);  // greeted
LoopbackClient Login(std::uint16_t port, bool teacher);
// The permission line, and after the go-ahead the data and the end line; or the refusal.
std::string Download(LoopbackClient& client, const std::string& name);
// Sends `data` then `end` (in two receives when `separately`) and waits for the close.
void Upload(LoopbackClient& client, const std::string& name, const std::string& data,
            const std::string& end = kSent, bool separately = false);

// The server of this process on a free port, with the accounts saved and the operator
// messages and the log recorded. Sessions still running at the end of a test are ended before the
// folder goes.
class ServerTest : public ResourceCheckedTest {
protected:
    ServerTest();
    ~ServerTest() override;

    LoopbackClient Connect(const char* from = nullptr) { return test::Connect(port, from); }
    LoopbackClient Login(bool teacher) { return test::Login(port, teacher); }
    LoopbackClient LoginAs(const std::string& login, const std::string& password);
    // The server again, on the same port, with these options.
    void Restart(ServerOptions options);

    std::uint16_t port;
    RecordedMessages messages;
    RecordedLog log;
};

// orvane-server as a process of its own, started in the current folder with the signal
// dispositions and mask a shell gives (whatever this process ignores), with its standard
// output collected in a file there. Every wait is bounded; a process still running at the end
// is killed.
class ServerProcess {
public:
    // Started with the arguments, without waiting for anything; `inChild` runs in the new
    // process right before it becomes the server (to set a limit, or standard output).
    explicit ServerProcess(std::vector<std::string> arguments,
                           const std::function<void()>& inChild = {});
    // Started with --port, and taking connections (or the test fails).
    explicit ServerProcess(std::uint16_t onPort);
    ServerProcess(const ServerProcess&) = delete;
    ~ServerProcess();

    std::uint16_t Port() const { return port; }
    void Signal(int signal) const;
    // The exit code; -1 when the process ends by a signal or does not end in time (it is then
    // killed).
    int WaitForExit();
    // Everything the process wrote to standard output; call after it has ended.
    std::string Output();

private:
    pid_t pid = -1;
    std::string output;  // the file of its standard output
    std::uint16_t port = 0;
};

// Every byte value, over and over, and never a marker.
std::string Pattern(std::size_t size);
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);

}  // namespace orvane::test
