// Many connections at once: the server runs at most kMaxSessions sessions, closes any
// connection beyond them without a greeting, and serves again as soon as sessions end.
#include <gtest/gtest.h>

#include <thread>

#include "ServerFixture.h"
#include "server/TCPServer.h"

namespace orvane::test {
namespace {

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
