// SPDX-License-Identifier: GPL-3.0-or-later
// The headless server as a process of its own, serving a temporary folder; and the faults that a
// teacher's machine may meet: a process killed in the middle of writing, a write that the file
// system refuses. The old file or the new one is always whole, temporary files are never served
// and do not outlive their writers, and the server goes on. (A user database save under a file
// size limit is tested with the accounts.)
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#include "ServerFixture.h"
#include "common/AtomicFile.h"

namespace orvane::test {
namespace {

// The hidden temporary files in the folder.
std::vector<std::string> TemporaryFiles(const TempFolder& folder) {
    std::vector<std::string> names = folder.Entries();
    std::erase_if(names, [](const std::string& name) { return !name.starts_with('.'); });
    return names;
}

using FaultTest = ResourceCheckedTest;

TEST_F(FaultTest, UserDatabaseKilledWhileSavingHoldsTheOldOrTheNewAccounts) {
    const auto smallDB = Accounts(2000);
    const auto largeDB = Accounts(6000);
    const std::vector<std::uint8_t> large = SaveAccounts(6000);
    const std::vector<std::uint8_t> small = SaveAccounts(2000);
    int killedMidWrite = 0;
    for (int round = 0; round < 40 && killedMidWrite < 3; ++round) {
        WriteBytes("userdb", small);
        const pid_t saver = ::fork();
        if (saver == 0) {
            // Saves the two versions in turn until it is killed, through named temporary files
            // that a kill in the middle leaves behind.
            AllowUnnamedTemporaryFiles(false);
            for (;;) {  // a failed save is tried again at the next turn
                static_cast<void>(largeDB->Save(u"userdb"));
                static_cast<void>(smallDB->Save(u"userdb"));
            }
        }
        // Kill it as soon as it writes a temporary file, or after a while in any case.
        WaitUntil([&] { return !TemporaryFiles(folder).empty(); }, std::chrono::seconds(2));
        ::kill(saver, SIGKILL);
        ::waitpid(saver, nullptr, 0);
        const std::vector<std::uint8_t> found = ReadBytes("userdb");
        EXPECT_TRUE(found == small || found == large) << "round " << round;
        killedMidWrite += TemporaryFiles(folder).empty() ? 0 : 1;
        for (const std::string& name : TemporaryFiles(folder)) {  // for the next round to see
            std::filesystem::remove(name);
        }
    }
    EXPECT_GT(killedMidWrite, 0);
    Login(ServerProcess(FreePort()).Port(), true);
}

// Killed during an upload, or refused a write by the file system, the server keeps the old
// file and leaves no temporary file (it is unnamed until the upload ends), and goes on.
TEST_F(FaultTest, UploadsKilledOrRefusedByTheFileSystemKeepTheOldFile) {
    SaveAccounts();
    WriteText("odpovede", Pattern(10000));
    {
        ServerProcess server(FreePort());
        LoopbackClient client = Login(server.Port(), true);
        EXPECT_EQ(client.Ask("SAVE odpovede\r\n"), kMayModify);
        client.Send(std::string(1 << 20, 'n'));
        ASSERT_TRUE(client.WaitUntilServerHasRead());
        server.Signal(SIGKILL);
        EXPECT_EQ(server.WaitForExit(), -1);
    }
    EXPECT_TRUE(ReadText("odpovede") == Pattern(10000));
    EXPECT_TRUE(TemporaryFiles(folder).empty());

    // Restarted under a file size limit that it inherits: a write past it fails with EFBIG.
    std::optional<ServerProcess> server;
    UnderFileSizeLimit(64 * 1024, [&] { server.emplace(FreePort()); });
    LoopbackClient client = Login(server->Port(), true);
    Upload(client, "odpovede", Pattern(200 * 1024));
    EXPECT_TRUE(ReadText("odpovede") == Pattern(10000));
    EXPECT_TRUE(TemporaryFiles(folder).empty());
    // The same limit lets a small upload through, and downloads go on.
    LoopbackClient again = Login(server->Port(), true);
    EXPECT_TRUE(Download(again, "odpovede") == kAllowed + Pattern(10000) + kSent);
    Upload(again, "odpovede", Pattern(1000));
    EXPECT_TRUE(ReadText("odpovede") == Pattern(1000));
    server->Signal(SIGTERM);
    EXPECT_EQ(server->WaitForExit(), 0);
    const std::string output = server->Output();
    EXPECT_NE(output.find("\nCannot write to file: odpovede\nSAVE not written"), output.npos);
    EXPECT_NE(output.find("\nFile has been saved: file odpovede, 1000 bytes"), output.npos);
}

using OrvaneServerTest = ResourceCheckedTest;

// Ends with 0 on SIGTERM or SIGINT, closing open sessions; a second server on its port, or a
// port of 0, is an error; help is not.
TEST_F(OrvaneServerTest, ServesItsFolderAndExitsWithZeroOnSigtermOrSigint) {
    SaveAccounts();
    for (const int signal : {SIGTERM, SIGINT}) {
        ServerProcess server(FreePort());
        LoopbackClient client = Login(server.Port(), true);
        Upload(client, "quesdb", "otazky");
        EXPECT_EQ(ReadText("quesdb"), "otazky");
        EXPECT_EQ(ServerProcess({"--port", std::to_string(server.Port())}).WaitForExit(), 1);

        LoopbackClient idle = Connect(server.Port());
        // Reloads asked for while one is under way wait for it; none of them ends the server.
        for (int reload = 0; reload < 1000; ++reload) {
            server.Signal(SIGHUP);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        server.Signal(signal);
        EXPECT_TRUE(idle.IsClosedByServer());
        EXPECT_EQ(server.WaitForExit(), 0) << signal;
        EXPECT_NE(server.Output().find("\nFile has been saved: file quesdb"), std::string::npos);
        EXPECT_FALSE(CanConnect(server.Port()));
    }
    EXPECT_EQ(ServerProcess({"--port", "0"}).WaitForExit(), 2);
    ServerProcess help({"--help"});
    EXPECT_EQ(help.WaitForExit(), 0);
    EXPECT_NE(help.Output().find("--port N"), std::string::npos);
}

}  // namespace
}  // namespace orvane::test
