// Faults that a teacher's machine may meet: a process killed in the middle of writing, a
// write that the file system refuses. The old file or the new one is always whole, temporary
// files are never served and are cleared away, and the server goes on.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "ServerFixture.h"
#include "ServerProcess.h"
#include "common/AtomicFile.h"
#include "users/PNUserDB.h"

namespace orvane::test {
namespace {

constexpr char kEnd[] = "#File sent successfully.\r\n";

// The teacher ucitel/tajne (found first) and `students` students.
std::unique_ptr<CPNUserDB> Accounts(int students) {
    auto db = std::make_unique<CPNUserDB>();
    for (int i = 0; i < students; ++i) {
        db->InsertUser(std::make_shared<CPNUser>(u"ziak", u"Žiak", u"heslo", false));
    }
    db->InsertUser(std::make_shared<CPNUser>(u"ucitel", u"Učiteľ", u"tajne", true));
    return db;
}

// Saves the accounts as "userdb" and answers the bytes saved.
std::vector<std::uint8_t> SaveUserDB(const CPNUserDB& db) {
    db.Save(u"userdb");
    return ReadBytes("userdb");
}

// The hidden temporary files in the folder.
std::vector<std::string> TemporaryFiles(const TempFolder& folder) {
    std::vector<std::string> hidden;
    for (const std::string& name : folder.Entries()) {
        if (name.starts_with('.')) {
            hidden.push_back(name);
        }
    }
    return hidden;
}

// Sets a file size limit that the program inherits; a write past it fails with EFBIG instead
// of ending the process.
void LimitFileSize(rlim_t bytes) {
    const rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, SIG_IGN);
}

LoopbackClient LoginAsTeacher(std::uint16_t port) {
    LoopbackClient client(port);
    EXPECT_EQ(client.ReceiveUntil(), "#Server Ready.\r\n");
    client.Send("AUTH ucitel tajne\r\n");
    EXPECT_EQ(client.ReceiveUntil(), "#You are logged in!!!\r\n");
    return client;
}

using FaultTest = ResourceCheckedTest;

TEST_F(FaultTest, UserDatabaseKilledWhileSavingHoldsTheOldOrTheNewAccounts) {
    const auto smallDB = Accounts(2000);
    const auto largeDB = Accounts(6000);
    const std::vector<std::uint8_t> large = SaveUserDB(*largeDB);
    const std::vector<std::uint8_t> small = SaveUserDB(*smallDB);
    int killedMidWrite = 0;
    for (int round = 0; round < 40 && killedMidWrite < 3; ++round) {
        WriteBytes("userdb", small);
        const pid_t saver = ::fork();
        if (saver == 0) {
            for (;;) {  // saves the two versions in turn until it is killed
                largeDB->Save(u"userdb");
                smallDB->Save(u"userdb");
            }
        }
        // Kill it as soon as it writes a temporary file, or after a while in any case.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (TemporaryFiles(folder).empty() && std::chrono::steady_clock::now() < deadline) {
        }
        ::kill(saver, SIGKILL);
        ::waitpid(saver, nullptr, 0);
        const std::vector<std::uint8_t> found = ReadBytes("userdb");
        EXPECT_TRUE(found == small || found == large) << "round " << round;
        killedMidWrite += TemporaryFiles(folder).empty() ? 0 : 1;
        RemoveStaleTemporaryFiles(".");
        EXPECT_TRUE(TemporaryFiles(folder).empty());
    }
    EXPECT_GT(killedMidWrite, 0);
    ServerProcess server = ServerProcess::OnFreePort();
    ASSERT_TRUE(server.WaitForListener());
    LoginAsTeacher(server.Port());
}

TEST_F(FaultTest, ServerKilledDuringAnUploadKeepsTheOldFileAndARestartServes) {
    SaveUserDB(*Accounts(1));
    WriteText("odpovede", Pattern(10000));
    {
        ServerProcess server = ServerProcess::OnFreePort();
        ASSERT_TRUE(server.WaitForListener());
        LoopbackClient client = LoginAsTeacher(server.Port());
        client.Send("SAVE odpovede\r\n");
        EXPECT_EQ(client.ReceiveUntil(), "#You are allowed to modify the file.\r\n");
        client.Send(std::string(1 << 20, 'n'));
        ASSERT_TRUE(client.WaitUntilServerHasRead());
        server.Signal(SIGKILL);
        EXPECT_EQ(server.WaitForExit(), -1);
    }
    EXPECT_TRUE(ReadText("odpovede") == Pattern(10000));
    const std::vector<std::string> left = TemporaryFiles(folder);
    ASSERT_EQ(left.size(), 1u);

    // A restarted server clears the killed one's temporary file and serves as before.
    ServerProcess server = ServerProcess::OnFreePort();
    ASSERT_TRUE(server.WaitForListener());
    EXPECT_TRUE(TemporaryFiles(folder).empty());
    LoopbackClient client = LoginAsTeacher(server.Port());
    client.Send("FILE " + left[0] + "\r\n");
    EXPECT_EQ(client.ReceiveUntil(), "!You cannot download the file.\r\n");
    client.Send("SAVE odpovede\r\n");
    EXPECT_EQ(client.ReceiveUntil(), "#You are allowed to modify the file.\r\n");
    client.Send("nove" + std::string(kEnd));
    EXPECT_TRUE(client.IsClosedByServer());
    EXPECT_EQ(ReadText("odpovede"), "nove");
}

TEST_F(FaultTest, UploadThatCannotBeWrittenKeepsTheOldFileAndTheServerGoesOn) {
    SaveUserDB(*Accounts(1));
    WriteText("odpovede", "stare");
    ServerProcess server = ServerProcess::OnFreePort([] { LimitFileSize(64 * 1024); });
    ASSERT_TRUE(server.WaitForListener());
    {
        LoopbackClient client = LoginAsTeacher(server.Port());
        client.Send("SAVE odpovede\r\n");
        EXPECT_EQ(client.ReceiveUntil(), "#You are allowed to modify the file.\r\n");
        client.Send(Pattern(200 * 1024) + kEnd);
        EXPECT_TRUE(client.IsClosedByServer());
    }
    EXPECT_EQ(ReadText("odpovede"), "stare");
    EXPECT_TRUE(TemporaryFiles(folder).empty());
    // The same limit lets a small upload through, and downloads go on.
    LoopbackClient client = LoginAsTeacher(server.Port());
    client.Send("FILE odpovede\r\n");
    EXPECT_EQ(client.ReceiveUntil(), "#You are allowed to download.\r\n");
    client.Send("#\r\n");
    EXPECT_EQ(client.ReceiveUntil(kEnd), "stare" + std::string(kEnd));
    client.Send("SAVE odpovede\r\n");
    EXPECT_EQ(client.ReceiveUntil(), "#You are allowed to modify the file.\r\n");
    client.Send(Pattern(1000) + kEnd);
    EXPECT_TRUE(client.IsClosedByServer());
    EXPECT_TRUE(ReadText("odpovede") == Pattern(1000));
    server.Signal(SIGTERM);
    EXPECT_EQ(server.WaitForExit(), 0);
    EXPECT_EQ(server.Output(), "Cannot write to file: odpovede\nFile has been saved\n");
}

TEST_F(FaultTest, UserDatabaseSaveThatCannotBeWrittenKeepsTheOldFile) {
    const std::vector<std::uint8_t> old = SaveUserDB(*Accounts(1));
    int output[2];
    ASSERT_EQ(::pipe(output), 0);
    const pid_t saver = ::fork();
    if (saver == 0) {
        ::dup2(output[1], STDOUT_FILENO);
        LimitFileSize(4096);
        Accounts(1000)->Save(u"userdb");
        std::fflush(stdout);
        ::_exit(0);
    }
    ::close(output[1]);
    int status = -1;
    ::waitpid(saver, &status, 0);
    char printed[256] = {};
    EXPECT_GT(::read(output[0], printed, sizeof printed - 1), 0);
    ::close(output[0]);
    EXPECT_EQ(status, 0);
    EXPECT_STREQ(printed, "Cannot write to file: userdb\n");
    EXPECT_TRUE(ReadBytes("userdb") == old);
    EXPECT_TRUE(TemporaryFiles(folder).empty());
}

}  // namespace
}  // namespace orvane::test
