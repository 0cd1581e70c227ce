#include "server/TCPServer.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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

}  // namespace
}  // namespace orvane::test
