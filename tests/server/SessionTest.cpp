#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ServerFixture.h"
#include "server/TCPServer.h"

namespace orvane::test {
namespace {

using SessionTest = ServerTest;

constexpr char kLoggedIn[] = "#You are logged in!!!\r\n";
constexpr char kNoDatabase[] = "!Databaza neexistuje!\r\n";
constexpr char kAllowed[] = "#You are allowed to download.\r\n";
constexpr char kCannotDownload[] = "!You cannot download the file.\r\n";
constexpr char kMayModify[] = "#You are allowed to modify the file.\r\n";
constexpr char kCannotModify[] = "!You do not have the rights to modify the file.\r\n";

// Before a login, FILE is refused and SAVE closes the connection.
TEST_F(SessionTest, LinesThatAreNotCommandsGetNoReplyAndQuitOrSaveBeforeLoginEnds) {
    LoopbackClient client = Connect();
    for (const char* line : {"AUTH\r\n", "HELLO a b\r\n", "QUIT now\r\n", "AUTH a b c\r\n"}) {
        client.Send(line);
        ASSERT_TRUE(client.WaitUntilServerHasRead()) << line;
    }
    EXPECT_EQ(client.Ask("auth nikto heslo\r\n"), "!Wrong user / pass!!!\r\n");  // the first reply
    EXPECT_EQ(client.Ask("AUTH ziak HESLO"), "!Wrong user / pass!!!\r\n");
    EXPECT_EQ(Download(client, "testdb"), "!Wrong user / pass.\r\n");
    client.Send(" qUiT \r\n");
    EXPECT_TRUE(client.IsClosedByServer());
    LoopbackClient saving = Connect();
    saving.Send("SAVE testdb\r\n");
    EXPECT_TRUE(saving.IsClosedByServer());
}

TEST_F(SessionTest, LoginsMatchInUtf8AndWindows1250AndARefusalKeepsAnEarlierLogin) {
    CPNUserDB db;
    ASSERT_TRUE(db.AddUser(u"učiteľ", u"U", u"šťava", u"šťava", true, u"", u""));
    db.Save(u"userdb");
    LoopbackClient client = Connect();
    EXPECT_EQ(client.Ask("AUTH u\xC4\x8Dite\xC4\xBE \xC5\xA1\xC5\xA5\x61va\r\n"), kLoggedIn);
    EXPECT_EQ(client.Ask("AUTH u\xE8ite\xBE \x9A\x9D\x61va\r\n"), kLoggedIn);
    EXPECT_EQ(client.Ask("AUTH u\xE8ite\xBE zle\r\n"), "!Wrong user / pass!!!\r\n");
    WriteText("subor", "obsah");
    EXPECT_EQ(Download(client, "subor"), std::string(kAllowed) + "obsah" + kSent);
}

TEST_F(SessionTest, MissingOrUndecodableUserDatabaseAnswersEveryCheck) {
    LoopbackClient client = Login(true);
    WriteText("ine", "x");
    for (const bool missing : {true, false}) {
        if (missing) {
            ASSERT_EQ(::remove("userdb"), 0);
        } else {
            WriteText("userdb", std::string("\x05\0\0\0", 4));  // five accounts, none there
        }
        for (const char* line : {"AUTH ucitel tajne\r\n", "FILE quesdb\r\n", "SAVE userdb\r\n"}) {
            EXPECT_EQ(client.Ask(line), kNoDatabase) << line;
        }
        EXPECT_EQ(Download(client, "ine"), std::string(kAllowed) + "x" + kSent);
    }
}

TEST_F(SessionTest, RightsTable) {
    struct Row {
        const char* name;
        bool studentDownloads, studentUploads;
    };
    for (const Row row :
         {Row{"userdb", false, false}, Row{"testdb", true, false}, Row{"testdb_bla", false, true},
          Row{"quesdb", false, false}, Row{"odpovede", true, true}}) {
        if (!Exists(row.name)) {
            WriteText(row.name, row.name);
        }
        const std::string content = ReadText(row.name);
        for (const bool teacher : {false, true}) {
            SCOPED_TRACE(std::string(row.name) + (teacher ? " teacher" : " student"));
            LoopbackClient client = Login(teacher);
            EXPECT_EQ(Download(client, row.name), teacher || row.studentDownloads
                                                      ? kAllowed + content + kSent
                                                      : kCannotDownload);
            const bool uploads = teacher || row.studentUploads;
            EXPECT_EQ(client.Ask(std::string("SAVE ") + row.name + "\r\n"),
                      uploads ? kMayModify : kCannotModify);
            client.Send(uploads ? "!File\r\n" : "QUIT\r\n");
            EXPECT_TRUE(client.IsClosedByServer());
            EXPECT_EQ(ReadText(row.name), content);
        }
    }
}

TEST_F(SessionTest, DownloadsSendRawBytesAfterTheGoAheadThenTheEndLine) {
    LoopbackClient client = Login(false);
    ASSERT_EQ(::mkdir("priecinok", 0755), 0);
    EXPECT_EQ(Download(client, "priecinok"), "!File does not exist.\r\n");
    EXPECT_EQ(Download(client, "nic"), "!File does not exist.\r\n");
    for (const std::size_t size : {0, 2048, 3 << 20}) {
        WriteText("data", Pattern(size));
        EXPECT_EQ(client.Ask("FILE data\r\n"), kAllowed);
        client.Send("not yet\r\n");  // dropped: a go-ahead begins with "#"
        ASSERT_TRUE(client.WaitUntilServerHasRead());
        client.Send("#ok\r\n");
        EXPECT_TRUE(client.Receive(size) == Pattern(size)) << size;
        EXPECT_EQ(client.ReceiveUntil(), kSent) << size;
    }
}

// Closed before the greeting is read, while a download waits for its go-ahead, or during a
// download with data unread (the server's next send fails): each ends its session alone.
TEST_F(SessionTest, ClientThatClosesOrVanishesEndsItsSessionWhereverItWaits) {
    LoopbackClient idle = Connect();
    idle.ShutdownSending();
    EXPECT_TRUE(idle.IsClosedByServer());
    WriteText("velky", Pattern(32 << 20));  // more than the socket buffers hold
    LoopbackClient waiting = Login(false);
    EXPECT_EQ(waiting.Ask("FILE velky\r\n"), kAllowed);
    waiting.ShutdownSending();
    EXPECT_TRUE(waiting.IsClosedByServer());
    {
        LoopbackClient gone = Login(false);
        EXPECT_EQ(gone.Ask("FILE velky\r\n"), kAllowed);
        gone.Send("#\r\n");
        EXPECT_EQ(gone.Receive(1000).size(), 1000u);
    }
    EXPECT_TRUE(WaitForFewerSessions(1));
    Connect();  // the process is alive
}

TEST_F(SessionTest, PathsAndHiddenNamesAreNeverServed) {
    LoopbackClient client = Login(true);
    for (const char* name : {"../x", "/etc/hostname", "./userdb", ".userdb", "..", "a\\b"}) {
        EXPECT_EQ(Download(client, name), kCannotDownload) << name;
        EXPECT_EQ(client.Ask(std::string("SAVE ") + name + "\r\n"), kCannotModify) << name;
    }
    EXPECT_FALSE(Exists("../x"));
}

}  // namespace
}  // namespace orvane::test
