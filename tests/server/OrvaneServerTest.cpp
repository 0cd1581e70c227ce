// The headless server as a process of its own, serving a temporary folder.
#include <gtest/gtest.h>
#include <signal.h>

#include "ServerFixture.h"
#include "ServerProcess.h"

namespace orvane::test {
namespace {

using OrvaneServerTest = ResourceCheckedTest;

// Ends with 0 on SIGTERM or SIGINT, closing open sessions; a second server on its port, or a
// port of 0, is an error; help is not.
TEST_F(OrvaneServerTest, ServesItsFolderAndExitsWithZeroOnSigtermOrSigint) {
    SaveAccounts();
    for (const int signal : {SIGTERM, SIGINT}) {
        ServerProcess server = ServerProcess::OnFreePort();
        ASSERT_TRUE(server.WaitForListener());
        LoopbackClient client = Login(server.Port(), true);
        Upload(client, "quesdb", "otazky");
        EXPECT_EQ(ReadText("quesdb"), "otazky");
        EXPECT_EQ(ServerProcess({"--port", std::to_string(server.Port())}).WaitForExit(), 1);

        LoopbackClient idle = Connect(server.Port());
        server.Signal(signal);
        EXPECT_TRUE(idle.IsClosedByServer());
        EXPECT_EQ(server.WaitForExit(), 0) << signal;
        EXPECT_EQ(server.Output(), "File has been saved\n");
        EXPECT_FALSE(CanConnect(server.Port()));
    }
    EXPECT_EQ(ServerProcess({"--port", "0"}).WaitForExit(), 2);
    ServerProcess help({"--help"});
    EXPECT_EQ(help.WaitForExit(), 0);
    EXPECT_NE(help.Output().find("--port N"), std::string::npos);
}

}  // namespace
}  // namespace orvane::test
