#include "ServerFixture.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "server/TCPServer.h"

namespace orvane::test {

void RecordedMessages::Show(const std::string& message) {
    const std::lock_guard lock(mutex);
    shown.push_back(message);
}

std::vector<std::string> RecordedMessages::Shown() {
    const std::lock_guard lock(mutex);
    return shown;
}

ProcessResources ProcessResources::Now() {
    ProcessResources now;
    // Less the one that lists the others.
    now.descriptors = static_cast<int>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}) - 1);
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("Threads:")) {
            now.threads = std::stoi(line.substr(8));
        }
    }
    return now;
}

ResourceCheckedTest::~ResourceCheckedTest() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    ProcessResources now = ProcessResources::Now();
    while (!(now == atStart) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        now = ProcessResources::Now();
    }
    EXPECT_EQ(now.descriptors, atStart.descriptors) << "descriptors left open";
    EXPECT_EQ(now.threads, atStart.threads) << "threads still running";
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
    Accounts(students, password)->Save(u"userdb");
    return ReadBytes("userdb");
}

LoopbackClient Connect(std::uint16_t port) {
    LoopbackClient client(port);
    EXPECT_EQ(client.ReceiveUntil(), "#Server Ready.\r\n");
    return client;
}

LoopbackClient Login(std::uint16_t port, bool teacher) {
    LoopbackClient client = Connect(port);
    EXPECT_EQ(client.Ask(teacher ? "AUTH ucitel tajne\r\n" : "AUTH ziak heslo\r\n"),
              "#You are logged in!!!\r\n");
    return client;
}

std::string Download(LoopbackClient& client, const std::string& name) {
    client.Send("FILE " + name + "\r\n");
    std::string reply = client.ReceiveUntil();
    if (reply == "#You are allowed to download.\r\n") {
        client.Send("#\r\n");
        reply += client.ReceiveUntil(kSent);
    }
    return reply;
}

void Upload(LoopbackClient& client, const std::string& name, const std::string& data,
            const std::string& end, bool separately) {
    EXPECT_EQ(client.Ask("SAVE " + name + "\r\n"), "#You are allowed to modify the file.\r\n");
    client.Send(separately ? data : data + end);
    if (separately) {
        EXPECT_TRUE(client.WaitUntilServerHasRead());
        client.Send(end);
    }
    EXPECT_TRUE(client.IsClosedByServer());
}

ServerTest::ServerTest() : port(FreePort()) {
    SaveAccounts();
    SetOperatorMessages(&messages);
    StartServer(port);
    EXPECT_TRUE(IsListening());
}

ServerTest::~ServerTest() {
    StopServer();
    EXPECT_TRUE(EndSessions(std::chrono::seconds(10)));
    SetOperatorMessages(nullptr);
}

bool ServerTest::WaitForFewerSessions(std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (RunningSessions() >= count) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i % 251);
    }
    return bytes;
}

std::string ReadText(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, {text.begin(), text.end()});
}

constexpr auto kProcessLimit = std::chrono::seconds(20);

ServerProcess::ServerProcess(std::vector<std::string> arguments,
                             const std::function<void()>& inChild) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return;
    }
    std::vector<char*> argv{const_cast<char*>(ORVANE_SERVER_BINARY)};
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        if (inChild) {
            inChild();
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    output = pipeEnds[0];
}

ServerProcess ServerProcess::OnFreePort(const std::function<void()>& inChild) {
    const std::uint16_t port = FreePort();
    ServerProcess process({"--port", std::to_string(port)}, inChild);
    process.port = port;
    const auto deadline = std::chrono::steady_clock::now() + kProcessLimit;
    while (!CanConnect(port) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(CanConnect(port)) << "orvane-server does not listen";
    return process;
}

ServerProcess::ServerProcess(ServerProcess&& other) noexcept
    : pid(other.pid), output(other.output), port(other.port) {
    other.pid = -1;
    other.output = -1;
}

ServerProcess::~ServerProcess() {
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    if (output >= 0) {
        ::close(output);
    }
}

void ServerProcess::Signal(int signal) const {
    ::kill(pid, signal);
}

int ServerProcess::WaitForExit() {
    int status = 0;
    for (auto deadline = std::chrono::steady_clock::now() + kProcessLimit;
         ::waitpid(pid, &status, WNOHANG) != pid;) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            pid = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ServerProcess::Output() {
    std::string text;
    char buffer[4096];
    for (ssize_t got; output >= 0 && (got = ::read(output, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

}  // namespace orvane::test
