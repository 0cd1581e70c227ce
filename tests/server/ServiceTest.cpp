// orvane-server as a service: its command line, its log, its signals, and the limits it keeps
// under a low descriptor limit.
#include <gtest/gtest.h>
#include <sys/resource.h>

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
    ServerProcess server({"--port", std::to_string(port)}, [] {
        const rlimit limit{128, 128};
        ::setrlimit(RLIMIT_NOFILE, &limit);
    });
    ASSERT_TRUE(WaitUntil([&] { return CanConnect(port); }));
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

}  // namespace
}  // namespace orvane::test
