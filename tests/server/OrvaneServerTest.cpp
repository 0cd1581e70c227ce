// The headless server as a process of its own, serving a temporary folder.
#include <gtest/gtest.h>
#include <signal.h>

#include "ServerFixture.h"
#include "ServerProcess.h"
#include "users/PNUserDB.h"

namespace orvane::test {
namespace {

using OrvaneServerTest = ResourceCheckedTest;

TEST_F(OrvaneServerTest, ServesItsFolderAndExitsWithZeroOnSigtermOrSigint) {
    CPNUserDB db;
    ASSERT_TRUE(db.AddUser(u"ucitel", u"U", u"tajne", u"tajne", true, u"", u""));
    db.Save(u"userdb");
    for (const int signal : {SIGTERM, SIGINT}) {
        ServerProcess server = ServerProcess::OnFreePort();
        ASSERT_TRUE(server.WaitForListener());
        LoopbackClient client(server.Port());
        EXPECT_EQ(client.ReceiveUntil(), "#Server Ready.\r\n");
        client.Send("AUTH ucitel tajne\r\n");
        EXPECT_EQ(client.ReceiveUntil(), "#You are logged in!!!\r\n");
        client.Send("SAVE quesdb\r\n");
        EXPECT_EQ(client.ReceiveUntil(), "#You are allowed to modify the file.\r\n");
        client.Send("otazky#File sent successfully.\r\n");
        EXPECT_TRUE(client.IsClosedByServer());
        EXPECT_EQ(ReadText("quesdb"), "otazky");

        LoopbackClient idle(server.Port());
        EXPECT_EQ(idle.ReceiveUntil(), "#Server Ready.\r\n");
        server.Signal(signal);
        EXPECT_TRUE(idle.IsClosedByServer());
        EXPECT_EQ(server.WaitForExit(), 0) << signal;
        EXPECT_EQ(server.Output(), "File has been saved\n");
        EXPECT_FALSE(CanConnect(server.Port()));
    }
}

TEST_F(OrvaneServerTest, TakenPortAndWrongArgumentsAreErrorsAndHelpIsNot) {
    ServerProcess first = ServerProcess::OnFreePort();
    ASSERT_TRUE(first.WaitForListener());
    EXPECT_EQ(ServerProcess({"--port", std::to_string(first.Port())}).WaitForExit(), 1);
    EXPECT_EQ(ServerProcess({"--port", "0"}).WaitForExit(), 2);
    ServerProcess help({"--help"});
    EXPECT_EQ(help.WaitForExit(), 0);
    EXPECT_NE(help.Output().find("--port N"), std::string::npos);
    first.Signal(SIGTERM);
    EXPECT_EQ(first.WaitForExit(), 0);
}

}  // namespace
}  // namespace orvane::test
