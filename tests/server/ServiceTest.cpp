// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-server as a service: its command line, its log, its signals, and the limits it keeps
// under a low descriptor limit.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <tuple>

#include "ServerFixture.h"

namespace orvane::test {
namespace {

using ServiceTest = ResourceCheckedTest;

// Under a low descriptor limit the server runs only as many sessions as can each hold a file
// besides their connection: the connections beyond are closed at once, and while all the
// others hold the temporary files of their uploads, a login still reads a changed "userdb".
TEST_F(ServiceTest, DescriptorLimitCapsTheSessionsWithRoomForTheirFiles) {
    SaveAccounts();
    const std::uint16_t port = FreePort();
    ServerProcess server({"--port", std::to_string(port), "--max-per-login", "0"}, [] {
        const rlimit limit{128, 128};
        ::setrlimit(RLIMIT_NOFILE, &limit);
    });
    ASSERT_TRUE(WaitUntil([&] { return server.Output().find(" serving ") != std::string::npos; }));
    std::vector<LoopbackClient> uploading;
    for (;;) {
        LoopbackClient client(port);
        if (client.ReceiveUntil() != "#Server Ready.\r\n") {
            ASSERT_TRUE(client.IsClosedByServer());
            break;
        }
        ASSERT_LT(uploading.size(), 128u);
        uploading.push_back(std::move(client));
    }
    LoopbackClient last = std::move(uploading.back());
    uploading.pop_back();
    for (std::size_t i = 0; i < uploading.size(); ++i) {
        EXPECT_EQ(uploading[i].Ask("AUTH ucitel tajne\r\n"), kLoggedIn);
        EXPECT_EQ(uploading[i].Ask("SAVE subor" + std::to_string(i) + "\r\n"), kMayModify);
    }
    EXPECT_TRUE(LoopbackClient(port).IsClosedByServer());
    SaveAccounts();  // changed: the next login reads it again
    EXPECT_EQ(last.Ask("AUTH ucitel tajne\r\n"), kLoggedIn);
    EXPECT_EQ(Download(last, "userdb").substr(0, 31), kAllowed);
}

// The datagrams that the server sends to systemd's notification socket, joined by "|".
class NotifySocket {
public:
    NotifySocket() : fd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        const std::string name = "@orvane-test-" + std::to_string(::getpid());
        sockaddr_un address{AF_UNIX, {}};
        name.copy(address.sun_path + 1, name.size() - 1, 1);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(sa_family_t) + name.size());
        ::setenv("NOTIFY_SOCKET", name.c_str(), 1);
    }
    ~NotifySocket() { ::close(fd); }
    std::string Received() const {
        std::string all;
        char datagram[512];
        for (ssize_t size; (size = ::recv(fd, datagram, sizeof datagram, MSG_DONTWAIT)) > 0;) {
            all += std::string(datagram, size) + "|";
        }
        return std::regex_replace(all, std::regex("STATUS=[^|]*|MONOTONIC_USEC=\\d+"), "");
    }

private:
    const int fd;
};

// Listens on the address asked for only, serves the folder asked for (naming a "userdb" that
// does not decode, with its cause, until one is saved), closes a connection beyond the sessions
// allowed from one address, tells systemd when it is ready, reloads on SIGHUP keeping its sessions
// (following its rotated log file), and ends on SIGTERM without a temporary file. Its log
// lines carry their priorities when standard output is the journal's stream.
TEST_F(ServiceTest, ListensWhereToldServesItsFolderReloadsAndLimitsEachAddress) {
    ASSERT_EQ(::mkdir("subory", 0755), 0);
    WriteText("subory/userdb", "\x05");
    const int journal = ::open("journal", O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    struct stat stream {};
    ASSERT_EQ(::fstat(journal, &stream), 0);
    const std::string identity =
        std::to_string(stream.st_dev) + ":" + std::to_string(stream.st_ino);
    ::setenv("JOURNAL_STREAM", identity.c_str(), 1);
    const std::uint16_t port = FreePort();
    const NotifySocket systemd;
    ServerProcess server({"--port=" + std::to_string(port), "--listen", "127.0.0.1", "--dir",
                          "subory", "--max-per-address=2"},
                         [journal] { ::dup2(journal, STDOUT_FILENO); });
    ::unsetenv("JOURNAL_STREAM");
    ::unsetenv("NOTIFY_SOCKET");
    ::close(journal);
    // Listening once it says so; a connection to find out would take a session from 127.0.0.1.
    ASSERT_TRUE(
        WaitUntil([] { return ReadText("journal").find(" serving ") != std::string::npos; }));
    EXPECT_FALSE(CanConnect(port, "127.0.0.2"));
    EXPECT_TRUE(Accounts()->Save(u"subory/userdb").IsOk());
    LoopbackClient uploading = Login(port, true);
    LoopbackClient second = Connect(port);
    EXPECT_TRUE(LoopbackClient(port).IsClosedByServer());
    EXPECT_EQ(LoopbackClient(port, "127.0.0.2").ReceiveUntil(), "#Server Ready.\r\n");
    EXPECT_EQ(uploading.Ask("SAVE odpovede\r\n"), kMayModify);
    uploading.Send("half");
    ASSERT_TRUE(uploading.WaitUntilServerHasRead());
    ::rename("journal", "journal.1");
    server.Signal(SIGHUP);
    EXPECT_TRUE(WaitUntil([] { return Exists("journal"); }));
    EXPECT_EQ(second.Ask("AUTH ucitel tajne\r\n"), kLoggedIn);
    server.Signal(SIGTERM);
    EXPECT_EQ(server.WaitForExit(), 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("subory"), {}), 1);  // userdb
    EXPECT_EQ(systemd.Received(), "READY=1\n|RELOADING=1\n|READY=1|STOPPING=1|");
    const std::string log = std::regex_replace(ReadText("journal.1") + ReadText("journal"),
                                               std::regex(R"((127\.0\.0\.\d):\d+)"), "$1:P");
    EXPECT_TRUE(log.starts_with("<3>\"userdb\" cannot be decoded: end of data: ")) << log;
    for (const std::string& line : std::initializer_list<std::string>{
             "\n<6>orvane-server " ORVANE_VERSION " serving " + folder.Path() +
                 "/subory on 127.0.0.1:P, at most 1024 sessions, 2 per address\n",
             "\n<4>connection refused: peer 127.0.0.1:P, 2 sessions from 127.0.0.1, the most "
             "per address\n",
             "\n<6>reloaded on SIGHUP: \"userdb\" read again, 2 accounts, " + folder.Path() +
                 "/subory checked again, the log goes to " + folder.Path() +
                 "/journal, opened again\n",
             "\n<4>socket error socket error socket error: file odpovede, cut off after 4 bytes, "
             "old file kept, login ucitel, peer 127.0.0.1:P\n"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    }
}

// A reader of standard output that has gone (the end of "| tee log") does not end the server.
TEST_F(ServiceTest, ClosedStandardOutputDoesNotEndTheServer) {
    SaveAccounts();
    int output[2];
    ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
    const std::uint16_t port = FreePort();
    ServerProcess server({"--port", std::to_string(port)}, [output] {
        ::dup2(output[1], STDOUT_FILENO);
        ::signal(SIGPIPE, SIG_DFL);
    });
    ::close(output[0]);
    ::close(output[1]);
    ASSERT_TRUE(WaitUntil([&] { return CanConnect(port); }));
    LoopbackClient client = Login(port, true);
    EXPECT_EQ(Download(client, "userdb").substr(0, 31), kAllowed);
    server.Signal(SIGTERM);
    EXPECT_EQ(server.WaitForExit(), 0);
}

// A reader that stops reading costs dropped lines, not a stopped server: logins are answered,
// SIGTERM ends it, and the lines that did not fit are counted in a line once it reads again.
TEST_F(ServiceTest, StuckLogReaderCostsDroppedLinesNotAStoppedServer) {
    SaveAccounts();
    int output[2];
    ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
    const std::uint16_t port = FreePort();
    ServerProcess server({"--port", std::to_string(port)},
                         [output] { ::dup2(output[1], STDOUT_FILENO); });
    ::close(output[1]);
    ASSERT_TRUE(WaitUntil([&] { return CanConnect(port); }));
    LoopbackClient client = Login(port, true);
    const std::string name(400, 'x');  // each refusal a long line: 3000 pass the queue
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(client.Ask("FILE " + name + "\r\n"), "!File does not exist.\r\n") << i;
    }
    const auto asked = std::chrono::steady_clock::now();
    Login(port, false);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
    server.Signal(SIGTERM);
    std::string log;
    char block[65536];
    for (ssize_t got; (got = ::read(output[0], block, sizeof block)) > 0;) {
        log.append(block, static_cast<std::size_t>(got));
    }
    ::close(output[0]);
    EXPECT_EQ(server.WaitForExit(), 0);
    EXPECT_NE(log.find(" log lines dropped: the output was not read fast enough\n"), log.npos);
    EXPECT_TRUE(log.ends_with("orvane-server stopped\n"));
}

// A wrong command line names the option and ends with 2; a folder or a port that cannot be
// used ends with 1 and the cause.
TEST_F(ServiceTest, WrongCommandLinesAndUnusableFoldersOrPortsSayWhy) {
    const ServerProcess holder(FreePort());
    const std::string busy = std::to_string(holder.Port());
    for (const auto& [arguments, status, says] :
         std::initializer_list<std::tuple<std::vector<std::string>, int, std::string>>{
             {{"--port", "0"}, 2, "orvane-server: --port: not a port number: 0\n"},
             {{"--port=65536"}, 2, "--port: not a port number: 65536\n"},
             {{"--listen", "127.1"}, 2, "--listen: not an IPv4 address: 127.1\n"},
             {{"--max-per-address=0"},
              2,
              "--max-per-address: not a whole number of at least 1: 0\n"},
             {{"--dir"}, 2, "--dir: needs a value\n"},
             {{"--version=2"}, 2, "--version: takes no value\n"},
             {{"--verbose"}, 2, "--verbose: unknown option\n"},
             {{"--dir", "nikde"},
              1,
              "orvane-server: cannot enter nikde: No such file or directory\n"},
             {{"--listen=127.0.0.1", "--port", busy},
              1,
              "orvane-server: cannot listen on 127.0.0.1:" + busy + ": Address already in use\n"},
             {{"--check", "--listen", "192.0.2.1"},
              1,
              "orvane-server: cannot listen on 192.0.2.1: Cannot assign requested address\n"}}) {
        ServerProcess process(arguments, [] {
            ::dup2(::open("errors", O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
        });
        EXPECT_EQ(process.WaitForExit(), status) << says;
        EXPECT_NE(ReadText("errors").find(says), std::string::npos) << ReadText("errors");
    }
    ServerProcess version({"--version"});
    EXPECT_EQ(version.WaitForExit(), 0);
    EXPECT_EQ(version.Output(), "orvane-server " ORVANE_VERSION "\n");
    // --check does not try the port, which a running server holds; it warns as a start does.
    WriteText("tests", "");
    ServerProcess check({"--check", "--listen=127.0.0.1", "--port", busy});
    EXPECT_EQ(check.WaitForExit(), 0);
    EXPECT_NE(check.Output().find("\nwarning: the folder \"tests\" of kept tests cannot be read "
                                  "(Not a directory): every student gets the shared \"testdb\"\n"
                                  "checked: orvane-server " ORVANE_VERSION " serving "),
              std::string::npos)
        << check.Output();
}

}  // namespace
}  // namespace orvane::test
