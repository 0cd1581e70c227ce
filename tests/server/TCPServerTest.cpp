#include "server/TCPServer.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "ServerFixture.h"

namespace orvane::test {
namespace {

using TCPServerTest = ServerTest;

// A listening socket of the test's own, as another program would hold the port.
int ListenOn(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(::listen(fd, 1), 0);
    return fd;
}

// A port that another program holds leaves remote access on without a listener until it is
// stopped; the server's own port is free for anyone once it stops.
TEST_F(TCPServerTest, OneListenerThatStopsAtOnceAndStartsAgainOnAFreePort) {
    const std::uint16_t other = FreePort();
    StartServer(other);  // already on: nothing happens
    EXPECT_FALSE(CanConnect(other));
    {
        LoopbackClient client = Connect();  // the server closes first: TIME_WAIT on its port
        client.Send("QUIT\r\n");
        EXPECT_TRUE(client.IsClosedByServer());
    }
    StopServer();
    EXPECT_FALSE(CanConnect(port));
    StopServer();
    StartServer(port);
    EXPECT_TRUE(IsListening());
    Connect();
    StopServer();
    const int blocker = ListenOn(port);
    StartServer(port);
    EXPECT_FALSE(IsListening());
    ::close(blocker);
    StartServer(port);
    EXPECT_FALSE(CanConnect(port));
    StopServer();
    StartServer(port);
    Connect();
}

TEST_F(TCPServerTest, SessionsGoOnAfterStoppingUntilTheyAreEnded) {
    WriteText("subor", "obsah");
    LoopbackClient waiting = Login(false);
    LoopbackClient uploading = Login(true);
    EXPECT_EQ(uploading.Ask("SAVE subor\r\n"), "#You are allowed to modify the file.\r\n");
    uploading.Send("half");
    ASSERT_TRUE(uploading.WaitUntilServerHasRead());
    StopServer();
    EXPECT_EQ(Download(waiting, "subor"),
              "#You are allowed to download.\r\nobsah#File sent successfully.\r\n");
    EXPECT_EQ(waiting.Ask("FILE subor\r\n"), "#You are allowed to download.\r\n");
    EXPECT_EQ(RunningSessions(), 2u);
    EXPECT_TRUE(EndSessions(std::chrono::seconds(10)));
    EXPECT_EQ(RunningSessions(), 0u);
    EXPECT_TRUE(waiting.IsClosedByServer());
    EXPECT_TRUE(uploading.IsClosedByServer());
    EXPECT_EQ(ReadText("subor"), "obsah");
}

// Many connections at once: the server runs at most kMaxSessions sessions, closes any
// connection beyond them without a greeting, and serves again as soon as sessions end.
using SessionCapTest = ServerTest;

TEST_F(SessionCapTest, ConnectionsBeyondTheCapAreClosedWithoutAGreeting) {
    std::vector<LoopbackClient> open;
    open.reserve(kMaxSessions);
    for (std::size_t i = 0; i < kMaxSessions; ++i) {
        open.push_back(Connect());
    }
    EXPECT_EQ(RunningSessions(), kMaxSessions);
    for (int i = 0; i < 3; ++i) {
        LoopbackClient refused(port);
        ASSERT_TRUE(refused.IsConnected());
        EXPECT_TRUE(refused.IsClosedByServer());
    }
    open.front().Send("QUIT\r\n");
    EXPECT_TRUE(open.front().IsClosedByServer());
    ASSERT_TRUE(WaitForFewerSessions(kMaxSessions));
    LoopbackClient again = Login(false);
    EXPECT_EQ(again.Ask("FILE userdb\r\n"), "!You cannot download the file.\r\n");
}

TEST_F(SessionCapTest, AFloodOfConnectionsLeavesTheServerServing) {
    std::vector<std::thread> flooders;
    for (int t = 0; t < 4; ++t) {
        flooders.emplace_back([this] {
            for (int i = 0; i < 250; ++i) {
                LoopbackClient client(port);  // connects and goes at once
                if (i % 2 == 0) {
                    client.Send("AUTH ziak heslo\r\n");
                }
            }
        });
    }
    std::vector<LoopbackClient> held;
    for (int i = 0; i < 200; ++i) {
        held.emplace_back(port);  // connected, never read from
    }
    for (std::thread& flooder : flooders) {
        flooder.join();
    }
    held.clear();
    ASSERT_TRUE(WaitForFewerSessions(1));
    EXPECT_TRUE(IsListening());
    LoopbackClient client = Login(true);
    EXPECT_EQ(Download(client, "userdb").substr(0, 31), "#You are allowed to download.\r\n");
}

}  // namespace
}  // namespace orvane::test
