// The headless server as a process of its own, serving a temporary folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "ServerFixture.h"
#include "users/PNUserDB.h"

namespace orvane::test {
namespace {

constexpr auto kLimit = std::chrono::seconds(20);

// Starts orvane-server in the current folder; `output` receives its standard output.
pid_t Spawn(std::vector<std::string> arguments, int& output) {
    int pipeEnds[2];
    EXPECT_EQ(::pipe(pipeEnds), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        std::vector<char*> argv{const_cast<char*>(ORVANE_SERVER_BINARY)};
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    output = pipeEnds[0];
    return pid;
}

// The exit code, or -1 when the process does not exit normally in time (it is then killed).
int WaitForExit(pid_t pid) {
    int status = 0;
    for (auto deadline = std::chrono::steady_clock::now() + kLimit;
         ::waitpid(pid, &status, WNOHANG) != pid;) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return text;
}

bool WaitForListener(std::uint16_t port) {
    for (auto deadline = std::chrono::steady_clock::now() + kLimit; !CanConnect(port);) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

using OrvaneServerTest = InTempFolder;

TEST_F(OrvaneServerTest, ServesItsFolderAndExitsWithZeroOnSigtermOrSigint) {
    CPNUserDB db;
    ASSERT_TRUE(db.AddUser(u"ucitel", u"U", u"tajne", u"tajne", true, u"", u""));
    db.Save(u"userdb");
    for (const int signal : {SIGTERM, SIGINT}) {
        const std::uint16_t port = FreePort();
        int output = -1;
        const pid_t server = Spawn({"--port", std::to_string(port)}, output);
        ASSERT_TRUE(WaitForListener(port));
        LoopbackClient client(port);
        EXPECT_EQ(client.ReceiveUntil(), "#Server Ready.\r\n");
        client.Send("AUTH ucitel tajne\r\n");
        EXPECT_EQ(client.ReceiveUntil(), "#You are logged in!!!\r\n");
        client.Send("SAVE quesdb\r\n");
        EXPECT_EQ(client.ReceiveUntil(), "#You are allowed to modify the file.\r\n");
        client.Send("otazky#File sent successfully.\r\n");
        EXPECT_TRUE(client.IsClosedByServer());
        EXPECT_EQ(ReadText("quesdb"), "otazky");

        LoopbackClient idle(port);
        EXPECT_EQ(idle.ReceiveUntil(), "#Server Ready.\r\n");
        ::kill(server, signal);
        EXPECT_TRUE(idle.IsClosedByServer());
        EXPECT_EQ(WaitForExit(server), 0) << signal;
        EXPECT_EQ(ReadAll(output), "File has been saved\n");
        EXPECT_FALSE(CanConnect(port));
    }
}

TEST_F(OrvaneServerTest, TakenPortAndWrongArgumentsAreErrorsAndHelpIsNot) {
    const std::uint16_t port = FreePort();
    int output = -1;
    const pid_t first = Spawn({"--port", std::to_string(port)}, output);
    ASSERT_TRUE(WaitForListener(port));
    int out = -1;
    EXPECT_EQ(WaitForExit(Spawn({"--port", std::to_string(port)}, out)), 1);
    ReadAll(out);
    EXPECT_EQ(WaitForExit(Spawn({"--port", "0"}, out)), 2);
    ReadAll(out);
    EXPECT_EQ(WaitForExit(Spawn({"--help"}, out)), 0);
    EXPECT_NE(ReadAll(out).find("--port N"), std::string::npos);
    ::kill(first, SIGTERM);
    EXPECT_EQ(WaitForExit(first), 0);
    ReadAll(output);
}

}  // namespace
}  // namespace orvane::test
