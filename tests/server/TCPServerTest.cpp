// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/TCPServer.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>

#include <cerrno>
#include <thread>

#include "ServerFixture.h"

namespace orvane::test {
namespace {

using TCPServerTest = ServerTest;

// Stopping frees the port at once, while running sessions go on until they are ended. The
// server's own port is free for anyone once it stops; a port that another program holds
// leaves remote access on without a listener until it is stopped.
TEST_F(TCPServerTest, OneListenerThatStopsAtOnceWhileSessionsGoOnUntilTheyAreEnded) {
    const std::uint16_t other = FreePort();
    EXPECT_TRUE(StartServer(other).listening);  // already on: nothing happens
    EXPECT_FALSE(CanConnect(other));
    WriteText("subor", "obsah");
    {
        LoopbackClient waiting = Login(false);
        LoopbackClient uploading = Login(true);
        EXPECT_EQ(uploading.Ask("SAVE subor\r\n"), kMayModify);
        uploading.Send("half");
        ASSERT_TRUE(uploading.WaitUntilServerHasRead());
        StopServer();
        EXPECT_FALSE(CanConnect(port));
        StopServer();
        EXPECT_EQ(Download(waiting, "subor"), std::string(kAllowed) + "obsah" + kSent);
        EXPECT_EQ(waiting.Ask("FILE subor\r\n"), kAllowed);
        EXPECT_EQ(RunningSessions(), 2u);
        EXPECT_TRUE(EndSessions(std::chrono::seconds(10)));  // the server closes first: TIME_WAIT
        EXPECT_EQ(RunningSessions(), 0u);
        EXPECT_TRUE(waiting.IsClosedByServer());
        EXPECT_TRUE(uploading.IsClosedByServer());
        EXPECT_EQ(ReadText("subor"), "obsah");
    }
    EXPECT_TRUE(StartServer(port).listening);
    Connect();
    StopServer();
    {
        const ServerProcess holder(port);
        const ServerState taken = StartServer(port);
        EXPECT_TRUE(taken.on && !taken.listening && taken.error == EADDRINUSE);
        EXPECT_FALSE(IsListening());
    }
    EXPECT_EQ(StartServer(port).error, EADDRINUSE);  // still on, without a listener
    EXPECT_FALSE(CanConnect(port));
    const ServerState stopped = StopServer();
    EXPECT_FALSE(stopped.on || stopped.listening);
    EXPECT_TRUE(StartServer(port).listening);
    Connect();
}

// The server's end of a connection asks a client that has gone silent whether it is still
// there: a minute after the last word, then every 10 s, 6 times; its replies go out at once.
TEST_F(TCPServerTest, AcceptedConnectionsProbeSilentClients) {
    LoopbackClient client = Connect();
    std::vector<std::vector<int>> probing;  // of each connection that the server accepted
    for (int fd = 0; fd < 1024; ++fd) {
        sockaddr_in local{};
        socklen_t size = sizeof local;
        auto* address = reinterpret_cast<sockaddr*>(&local);
        if (::getsockname(fd, address, &size) == 0 && local.sin_family == AF_INET &&
            ntohs(local.sin_port) == port && ::getpeername(fd, address, &size) == 0) {
            std::vector<int>& set = probing.emplace_back(5);
            size = sizeof(int);
            ::getsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &set[0], &size);
            ::getsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &set[1], &size);
            ::getsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &set[2], &size);
            ::getsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &set[3], &size);
            ::getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &set[4], &size);
            timeval wait{};  // none: a session waits for its client as long as it likes
            size = sizeof wait;
            ::getsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, &size);
            set.push_back(static_cast<int>(wait.tv_sec * 1000 + wait.tv_usec / 1000));
        }
    }
    EXPECT_EQ(probing, (std::vector<std::vector<int>>{{1, 60, 10, 6, 1, 0}}));
}

// The server runs at most kMaxSessions sessions, closes any connection beyond them without a
// greeting and serves again as soon as sessions end; a flood of connections that go at once,
// beside many that never read, leaves it serving.
TEST_F(TCPServerTest, AtMostTheCapOfSessionsRunAndFloodsLeaveTheServerServing) {
    StopServer();
    ServerOptions options;
    options.port = port;
    options.startups = {kMaxSessions, 100, kMaxSessions};  // one address may take them all
    ASSERT_TRUE(StartServer(options).listening);
    std::vector<LoopbackClient> open;
    for (std::size_t i = 0; i < kMaxSessions; ++i) {
        open.push_back(Connect());
    }
    EXPECT_EQ(RunningSessions(), kMaxSessions);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(LoopbackClient(port).IsClosedByServer());
    }
    open.front().Send("QUIT\r\n");
    EXPECT_TRUE(open.front().IsClosedByServer());
    ASSERT_TRUE(WaitUntil([] { return RunningSessions() < kMaxSessions; }));
    EXPECT_EQ(Login(false).Ask("FILE userdb\r\n"), kCannotDownload);
    open.clear();

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
    for (int i = 0; i < 200; ++i) {
        open.emplace_back(port);  // connected, never read from
    }
    for (std::thread& flooder : flooders) {
        flooder.join();
    }
    open.clear();
    ASSERT_TRUE(WaitUntil([] { return RunningSessions() == 0; }));
    EXPECT_TRUE(IsListening());
    LoopbackClient client = Login(true);
    EXPECT_EQ(Download(client, "userdb").substr(0, 31), kAllowed);
}

}  // namespace
}  // namespace orvane::test
