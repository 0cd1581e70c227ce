// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServerFixture.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <regex>

#include "server/TCPServer.h"

namespace orvane::test {

constexpr auto kProcessLimit = std::chrono::seconds(20);

std::pair<long, int> ResourceCheckedTest::Resources() {
    // Less the descriptor that lists the others.
    const long descriptors =
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}) - 1;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line) && !line.starts_with("Threads:")) {
    }
    return {descriptors, std::stoi(line.substr(8))};
}

ResourceCheckedTest::~ResourceCheckedTest() {
    std::pair<long, int> now;
    WaitUntil([&] { return (now = Resources()) == atStart; }, std::chrono::seconds(5));
    EXPECT_EQ(now.first, atStart.first) << "descriptors left open";
    EXPECT_EQ(now.second, atStart.second) << "threads still running";
}

// Ports and the times in the names of kept files change from run to run.
void RecordedLog::Write(Level level, const std::string& line) {
    static const std::regex kLoopbackPort(R"((127\.0\.0\.\d):\d+)");
    static const std::regex kKeptTime(R"(\d{8}T\d{6}\.\d{6}Z)");
    const std::lock_guard lock(mutex);
    lines.push_back(
        std::to_string(static_cast<int>(level)) + " " +
        std::regex_replace(std::regex_replace(line, kLoopbackPort, "$1:P"), kKeptTime, "T"));
}

std::vector<std::string> RecordedLog::Lines() {
    const std::lock_guard lock(mutex);
    return lines;
}

std::unique_ptr<CPNUserDB> Accounts(int students, const std::u16string& password) {
    auto db = std::make_unique<CPNUserDB>();
    for (int i = 0; i < students; ++i) {
        db->InsertUser(std::make_shared<CPNUser>(u"ziak", u"Žiak", password, false));
    }
    db->InsertUser(std::make_shared<CPNUser>(u"ucitel", u"Učiteľ", u"tajne", true));
    return db;
}

std::vector<std::uint8_t> SaveAccounts(int students, const std::u16string& password) {
    EXPECT_TRUE(Accounts(students, password)->Save(u"userdb").IsOk());
    return ReadBytes("userdb");
}

LoopbackClient Connect(std::uint16_t port, const char* from) {
    LoopbackClient client(port, from);
    EXPECT_EQ(client.ReceiveUntil(), "#Server Ready.\r\n");
    return client;
}

LoopbackClient Login(std::uint16_t port, bool teacher) {
    LoopbackClient client = Connect(port);
    EXPECT_EQ(client.Ask(teacher ? "AUTH ucitel tajne\r\n" : "AUTH ziak heslo\r\n"), kLoggedIn);
    return client;
}

std::string Download(LoopbackClient& client, const std::string& name) {
    client.Send("FILE " + name + "\r\n");
    std::string reply = client.ReceiveUntil();
    if (reply == kAllowed) {
        client.Send("#\r\n");
        reply += client.ReceiveUntil(kSent);
    }
    return reply;
}

void Upload(LoopbackClient& client, const std::string& name, const std::string& data,
            const std::string& end, bool separately) {
    EXPECT_EQ(client.Ask("SAVE " + name + "\r\n"), kMayModify);
    client.Send(separately ? data : data + end);
    if (separately) {
        EXPECT_TRUE(client.WaitUntilServerHasRead());
        client.Send(end);
    }
    EXPECT_TRUE(client.IsClosedByServer());
}

ServerTest::ServerTest() : port(FreePort()) {
    SaveAccounts();
    SetOperatorMessages(Unowned(messages));
    SetServerLog(Unowned(log));
    EXPECT_TRUE(StartServer(port).listening);
}

LoopbackClient ServerTest::LoginAs(const std::string& login, const std::string& password) {
    LoopbackClient client = Connect();
    EXPECT_EQ(client.Ask("AUTH " + login + " " + password + "\r\n"), kLoggedIn) << login;
    return client;
}

void ServerTest::Restart(ServerOptions options) {
    StopServer();
    options.port = port;
    EXPECT_TRUE(StartServer(options).listening);
}

ServerTest::~ServerTest() {
    StopServer();
    EXPECT_TRUE(EndSessions(std::chrono::seconds(10)));
    SetOperatorMessages(nullptr);
    SetServerLog(nullptr);
}

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    std::iota(bytes.begin(), bytes.end(), '\0');  // 255 is followed by 0 again
    return bytes;
}

std::string ReadText(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, {text.begin(), text.end()});
}

ServerProcess::ServerProcess(std::vector<std::string> arguments,
                             const std::function<void()>& inChild) {
    static int started = 0;
    output = "orvane-server-" + std::to_string(++started) + ".out";
    std::vector<char*> argv{const_cast<char*>(ORVANE_SERVER_BINARY)};
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid = ::fork();
    if (pid == 0) {
        // As a shell starts it: the test runner ignores SIGXFSZ, and ignored signals outlive exec.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGXFSZ, SIG_DFL);
        ::signal(SIGPIPE, SIG_DFL);
        ::dup2(::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600),
               STDOUT_FILENO);
        if (inChild) {
            inChild();
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
}

ServerProcess::ServerProcess(std::uint16_t onPort)
    : ServerProcess(std::vector<std::string>{"--port", std::to_string(onPort)}) {
    port = onPort;
    EXPECT_TRUE(WaitUntil([onPort] { return CanConnect(onPort); }, kProcessLimit))
        << "orvane-server does not listen";
}

ServerProcess::~ServerProcess() {
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

void ServerProcess::Signal(int signal) const {
    ::kill(pid, signal);
}

int ServerProcess::WaitForExit() {
    int status = 0;
    if (!WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, kProcessLimit)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ServerProcess::Output() {
    return ReadText(output);
}

}  // namespace orvane::test
