// The headless server as a process of its own, started in a temporary folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ServerFixture.h"
#include "support/LoopbackClient.h"
#include "support/TempFolder.h"
#include "users/PNUserDB.h"

namespace orvane::test {
namespace {

constexpr auto kLimit = std::chrono::seconds(20);

// A folder for the server's output beside the served one, gone with the process.
std::string MakeOutputFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-out-XXXXXX").string();
    EXPECT_NE(::mkdtemp(pattern.data()), nullptr);
    return pattern;
}

// One run of orvane-server in the current folder; its standard output and error go to files
// in a folder of their own.
class ServerProcess {
public:
    explicit ServerProcess(const std::vector<std::string>& arguments) {
        std::vector<char*> argv{const_cast<char*>(ORVANE_SERVER_BINARY)};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        pid = ::fork();
        if (pid == 0) {
            const int out = ::open(OutPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open(ErrPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, STDOUT_FILENO);
            ::dup2(err, STDERR_FILENO);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~ServerProcess() {
        if (pid > 0 && !exitStatus) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        std::filesystem::remove_all(outputFolder);
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // The exit code, or nothing when the process did not exit normally in time.
    std::optional<int> WaitForExit() {
        const auto deadline = std::chrono::steady_clock::now() + kLimit;
        while (!exitStatus && std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                exitStatus = status;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        if (!exitStatus || !WIFEXITED(*exitStatus)) {
            return std::nullopt;
        }
        return WEXITSTATUS(*exitStatus);
    }
    void Signal(int signal) { ::kill(pid, signal); }
    std::string Output() const { return ReadText(OutPath()); }
    std::string Errors() const { return ReadText(ErrPath()); }

private:
    std::string OutPath() const { return outputFolder + "/stdout"; }
    std::string ErrPath() const { return outputFolder + "/stderr"; }

    std::string outputFolder = MakeOutputFolder();
    pid_t pid = -1;
    std::optional<int> exitStatus;
};

// Waits until something accepts connections on the port.
bool WaitForListener(std::uint16_t port) {
    const auto deadline = std::chrono::steady_clock::now() + kLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (CanConnect(port)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

class OrvaneServerTest : public InTempFolder {};

TEST_F(OrvaneServerTest, ServesItsFolderAndStopsWithExitCodeZero) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        CPNUserDB db;
        ASSERT_TRUE(db.AddUser(u"ucitel", u"Učiteľ", u"tajne", u"tajne", true, u"", u""));
        db.Save(u"userdb");
        WriteText("quesdb", "otazky");
        const std::uint16_t port = FreePort();
        ServerProcess server({"--port", std::to_string(port)});
        ASSERT_TRUE(WaitForListener(port)) << server.Errors();

        LoopbackClient client(port);
        EXPECT_EQ(client.ReceiveLine(), "#Server Ready.\r\n");
        client.Send("AUTH ucitel tajne\r\n");
        EXPECT_EQ(client.ReceiveLine(), "#You are logged in!!!\r\n");
        client.Send("FILE quesdb\r\n");
        EXPECT_EQ(client.ReceiveLine(), "#You are allowed to download.\r\n");
        client.Send("#\r\n");
        EXPECT_EQ(client.ReceiveUntil("\r\n"), "otazky#File sent successfully.\r\n");
        client.Send("SAVE novy\r\n");
        EXPECT_EQ(client.ReceiveLine(), "#You are allowed to modify the file.\r\n");
        client.Send("nove otazky#File sent successfully.\r\n");
        EXPECT_TRUE(client.IsClosedByServer());
        EXPECT_EQ(ReadText("novy"), "nove otazky");

        LoopbackClient idle(port);  // a session still running when the signal comes
        EXPECT_EQ(idle.ReceiveLine(), "#Server Ready.\r\n");
        server.Signal(signal);
        EXPECT_TRUE(idle.IsClosedByServer());
        EXPECT_EQ(server.WaitForExit(), 0) << server.Errors();
        EXPECT_EQ(server.Output(), "File has been saved\n");
        EXPECT_FALSE(CanConnect(port));
    }
}

TEST_F(OrvaneServerTest, TakenPortIsAnError) {
    const std::uint16_t port = FreePort();
    ServerProcess first({"--port", std::to_string(port)});
    ASSERT_TRUE(WaitForListener(port));
    ServerProcess second({"--port", std::to_string(port)});
    EXPECT_EQ(second.WaitForExit(), 1);
    EXPECT_NE(second.Errors().find("cannot listen on port"), std::string::npos);
    first.Signal(SIGTERM);
    EXPECT_EQ(first.WaitForExit(), 0);
}

TEST_F(OrvaneServerTest, HelpAndWrongArguments) {
    ServerProcess help({"--help"});
    EXPECT_EQ(help.WaitForExit(), 0);
    EXPECT_NE(help.Output().find("--port N"), std::string::npos);
    for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
             {"--port"}, {"--port", "0"}, {"--port", "x1"}, {"--port", "70000"}, {"--verbose"}}) {
        ServerProcess server(wrong);
        EXPECT_EQ(server.WaitForExit(), 2);
        EXPECT_NE(server.Errors().find("--help"), std::string::npos);
    }
}

}  // namespace
}  // namespace orvane::test
