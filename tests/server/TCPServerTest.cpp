#include "server/TCPServer.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "ServerFixture.h"

namespace orvane::test {
namespace {

using TCPServerTest = ServerTest;

// A socket of the test's own listening on `port`; -1 when the port cannot be had.
int ListenOn(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 1) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

TEST_F(TCPServerTest, StartingAgainKeepsTheOneListener) {
    const std::uint16_t other = FreePort();
    StartServer(other);
    EXPECT_FALSE(CanConnect(other));
    LoopbackClient client = Connect();
    client.Send("QUIT\r\n");
    EXPECT_TRUE(client.IsClosedByServer());
}

TEST_F(TCPServerTest, StoppingFreesThePortAtOnceAndStartingAgainBindsAgain) {
    {
        LoopbackClient client = Connect();  // leaves the server's side in TIME_WAIT
        client.Send("QUIT\r\n");
        EXPECT_TRUE(client.IsClosedByServer());
    }
    StopServer();
    EXPECT_FALSE(IsListening());
    EXPECT_FALSE(CanConnect(port));
    StopServer();  // while off: nothing
    StartServer(port);
    EXPECT_TRUE(IsListening());
    Connect();
    StopServer();
    const int fd = ListenOn(port);
    EXPECT_GE(fd, 0);
    ::close(fd);
}

TEST_F(TCPServerTest, TakenPortLeavesRemoteAccessOnWithoutAListener) {
    StopServer();
    const std::uint16_t taken = FreePort();
    const int blocker = ListenOn(taken);
    ASSERT_GE(blocker, 0);
    StartServer(taken);
    EXPECT_FALSE(IsListening());
    ::close(blocker);
    StartServer(taken);  // still on: nothing happens
    EXPECT_FALSE(IsListening());
    EXPECT_FALSE(CanConnect(taken));
    StopServer();
    StartServer(taken);  // tries again
    EXPECT_TRUE(IsListening());
    LoopbackClient client(taken);
    EXPECT_EQ(client.ReceiveLine(), "#Server Ready.\r\n");
}

TEST_F(TCPServerTest, SessionsGoOnAfterStopping) {
    WriteUsers();
    WriteText("subor", "obsah");
    LoopbackClient client = Login(kStudent, kStudentPassword);
    StopServer();
    EXPECT_FALSE(CanConnect(port));
    EXPECT_EQ(Download(client, "subor"), "obsah#File sent successfully.\r\n");
    EXPECT_EQ(RunningSessions(), 1u);
}

TEST_F(TCPServerTest, EndingSessionsEndsEveryOneWhereverItWaits) {
    WriteUsers();
    WriteText("odpovede", "old");
    LoopbackClient idle = Connect();
    LoopbackClient waiting = Login(kStudent, kStudentPassword);
    waiting.Send("FILE odpovede\r\n");
    EXPECT_EQ(waiting.ReceiveLine(), "#You are allowed to download.\r\n");
    LoopbackClient uploading = Login(kTeacher, kTeacherPassword);
    uploading.Send("SAVE odpovede\r\n");
    EXPECT_EQ(uploading.ReceiveLine(), "#You are allowed to modify the file.\r\n");
    uploading.Send("half of the new");
    ASSERT_TRUE(uploading.WaitUntilServerHasRead());
    EXPECT_EQ(RunningSessions(), 3u);

    StopServer();
    EXPECT_TRUE(EndSessions(std::chrono::seconds(10)));
    EXPECT_EQ(RunningSessions(), 0u);
    EXPECT_TRUE(idle.IsClosedByServer());
    EXPECT_TRUE(waiting.IsClosedByServer());
    EXPECT_TRUE(uploading.IsClosedByServer());
    EXPECT_EQ(ReadText("odpovede"), "old");
    EXPECT_EQ(messages.Shown(), std::vector<std::string>{"socket error socket error socket error"});
}

TEST_F(TCPServerTest, ServesManyClientsAtOnce) {
    WriteUsers();
    WriteText("subor", PatternBytes(10000));
    std::vector<LoopbackClient> clients;
    for (int i = 0; i < 24; ++i) {
        clients.push_back(Login(i % 2 == 0 ? kStudent : kTeacher,
                                i % 2 == 0 ? kStudentPassword : kTeacherPassword));
    }
    EXPECT_EQ(RunningSessions(), clients.size());
    for (LoopbackClient& client : clients) {
        EXPECT_TRUE(Download(client, "subor") ==
                    PatternBytes(10000) + "#File sent successfully.\r\n");
        client.Send("QUIT\r\n");
        EXPECT_TRUE(client.IsClosedByServer());
    }
}

}  // namespace
}  // namespace orvane::test
