#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "ServerFixture.h"
#include "users/PNUserDB.h"

namespace orvane::test {
namespace {

using SessionTest = ServerTest;

constexpr char kAllowedToDownload[] = "#You are allowed to download.\r\n";
constexpr char kCannotDownload[] = "!You cannot download the file.\r\n";
constexpr char kFileSent[] = "#File sent successfully.\r\n";
constexpr char kAllowedToModify[] = "#You are allowed to modify the file.\r\n";
constexpr char kCannotModify[] = "!You do not have the rights to modify the file.\r\n";
constexpr char kNoDatabase[] = "!Databaza neexistuje!\r\n";

TEST_F(SessionTest, QuitInAnyLetterCaseEndsTheSessionWithoutAReply) {
    for (const char* line : {"QUIT", "quit\r\n", " qUiT \r\n"}) {
        LoopbackClient client = Connect();
        client.Send(line);
        EXPECT_TRUE(client.IsClosedByServer()) << line;
    }
}

TEST_F(SessionTest, LinesThatAreNotCommandsGetNoReply) {
    LoopbackClient client = Connect();
    for (const char* line :
         {"AUTH\r\n", "HELLO\r\n", "QUIT now\r\n", "HELLO a b\r\n", "AUTH a b c\r\n", "\r\n"}) {
        client.Send(line);
        ASSERT_TRUE(client.WaitUntilServerHasRead()) << line;
    }
    client.Send("AUTH nikto nic\r\n");
    EXPECT_EQ(client.ReceiveLine(), kNoDatabase);  // the first bytes since the greeting
}

TEST_F(SessionTest, LoginChecksTheAccountsOfUserdb) {
    WriteUsers();
    LoopbackClient client = Connect();
    client.Send("auth ziak heslo\r\n");
    EXPECT_EQ(client.ReceiveLine(), "#You are logged in!!!\r\n");
    client.Send("AUTH nikto heslo\r\n");
    EXPECT_EQ(client.ReceiveLine(), "!Wrong user / pass!!!\r\n");
    client.Send("AUTH ziak HESLO\r\n");
    EXPECT_EQ(client.ReceiveLine(), "!Wrong user / pass!!!\r\n");
    // A refused login leaves the earlier one in force.
    WriteText("subor", "obsah");
    EXPECT_EQ(Download(client, "subor"), std::string("obsah") + kFileSent);
}

TEST_F(SessionTest, SlovakLoginsMatchInUtf8AndInWindows1250) {
    CPNUserDB db;
    ASSERT_TRUE(db.AddUser(u"učiteľ", u"Učiteľ", u"šťava", u"šťava", true, u"", u""));
    db.Save(u"userdb");
    LoopbackClient client = Connect();
    client.Send("AUTH u\xC4\x8Dite\xC4\xBE \xC5\xA1\xC5\xA5\x61va\r\n");
    EXPECT_EQ(client.ReceiveLine(), "#You are logged in!!!\r\n");
    client.Send("AUTH u\xE8ite\xBE \x9A\x9D\x61va\r\n");
    EXPECT_EQ(client.ReceiveLine(), "#You are logged in!!!\r\n");
}

TEST_F(SessionTest, WithoutLoginFileIsRefusedAndSaveClosesTheConnection) {
    WriteUsers();
    WriteText("testdb", "x");
    LoopbackClient client = Connect();
    client.Send("FILE testdb\r\n");
    EXPECT_EQ(client.ReceiveLine(), "!Wrong user / pass.\r\n");
    client.Send("SAVE testdb\r\n");
    EXPECT_TRUE(client.IsClosedByServer());
    EXPECT_EQ(ReadText("testdb"), "x");
}

TEST_F(SessionTest, MissingUserDatabaseAnswersEveryCheckButTheSessionGoesOn) {
    LoopbackClient stranger = Connect();
    stranger.Send("AUTH ucitel tajne\r\n");
    EXPECT_EQ(stranger.ReceiveLine(), kNoDatabase);

    WriteUsers();
    WriteText("ine", "ine");
    LoopbackClient teacher = Login(kTeacher, kTeacherPassword);
    ASSERT_EQ(::remove("userdb"), 0);
    teacher.Send("FILE quesdb\r\n");
    EXPECT_EQ(teacher.ReceiveLine(), kNoDatabase);
    teacher.Send("SAVE quesdb\r\n");
    EXPECT_EQ(teacher.ReceiveLine(), kNoDatabase);
    // Names that are not teacher-only need no database.
    EXPECT_EQ(Download(teacher, "ine"), std::string("ine") + kFileSent);
}

TEST_F(SessionTest, UndecodableUserDatabaseCountsAsMissing) {
    WriteUsers();
    LoopbackClient teacher = Login(kTeacher, kTeacherPassword);
    WriteBytes("userdb", {0x05, 0x00, 0x00, 0x00, 0xFF});  // five accounts announced, none there
    teacher.Send("FILE userdb\r\n");
    EXPECT_EQ(teacher.ReceiveLine(), kNoDatabase);
    teacher.Send("SAVE userdb\r\n");
    EXPECT_EQ(teacher.ReceiveLine(), kNoDatabase);
    teacher.Send("AUTH ucitel tajne\r\n");
    EXPECT_EQ(teacher.ReceiveLine(), kNoDatabase);
    LoopbackClient other = Connect();  // the server is still there
    other.Send("QUIT\r\n");
    EXPECT_TRUE(other.IsClosedByServer());
}

struct RightsRow {
    const char* name;
    bool studentDownloads;
    bool studentUploads;
};

TEST_F(SessionTest, RightsTable) {
    WriteUsers();
    const std::vector<RightsRow> table = {
        {"userdb", false, false}, {"testdb", true, false},  {"testdb_bla", false, true},
        {"quesdb", false, false}, {"odpovede", true, true},
    };
    for (const RightsRow& row : table) {
        if (std::string(row.name) != "userdb") {
            WriteText(row.name, std::string("obsah ") + row.name);
        }
        const std::string content = ReadText(row.name);
        for (const bool teacher : {false, true}) {
            SCOPED_TRACE(std::string(row.name) + (teacher ? " teacher" : " student"));
            LoopbackClient client =
                teacher ? Login(kTeacher, kTeacherPassword) : Login(kStudent, kStudentPassword);
            const bool downloads = teacher || row.studentDownloads;
            EXPECT_EQ(Download(client, row.name),
                      downloads ? content + kFileSent : kCannotDownload);
            client.Send(std::string("SAVE ") + row.name + "\r\n");
            const bool uploads = teacher || row.studentUploads;
            EXPECT_EQ(client.ReceiveLine(), uploads ? kAllowedToModify : kCannotModify);
            client.Send(uploads ? "!File\r\n" : "QUIT\r\n");  // give the upload up
            EXPECT_TRUE(client.IsClosedByServer());
            EXPECT_EQ(ReadText(row.name), content);
        }
    }
}

TEST_F(SessionTest, DownloadsSendTheRawBytesThenTheEndLine) {
    WriteUsers();
    LoopbackClient client = Login(kStudent, kStudentPassword);
    WriteText("prazdny", "");
    EXPECT_EQ(Download(client, "prazdny"), kFileSent);
    for (const std::size_t size : {std::size_t{2048}, std::size_t{1023}, std::size_t{3 << 20}}) {
        const std::string bytes = PatternBytes(size);
        WriteText("data", bytes);
        client.Send("FILE data\r\n");
        EXPECT_EQ(client.ReceiveLine(), kAllowedToDownload);
        client.Send("#\r\n");
        EXPECT_TRUE(client.Receive(size) == bytes) << size;
        EXPECT_EQ(client.ReceiveLine(), kFileSent) << size;
    }
}

TEST_F(SessionTest, DownloadOfWhatIsNoFileIsRefused) {
    WriteUsers();
    ASSERT_EQ(::mkdir("priecinok", 0755), 0);
    LoopbackClient client = Login(kTeacher, kTeacherPassword);
    EXPECT_EQ(Download(client, "nieje"), "!File does not exist.\r\n");
    EXPECT_EQ(Download(client, "priecinok"), "!File does not exist.\r\n");
    EXPECT_EQ(Download(client, "testdb_bla"), "!File does not exist.\r\n");
}

TEST_F(SessionTest, GoAheadWaitDropsLinesThatDoNotBeginWithHash) {
    WriteUsers();
    WriteText("subor", "obsah");
    LoopbackClient client = Login(kStudent, kStudentPassword);
    client.Send("FILE subor\r\n");
    EXPECT_EQ(client.ReceiveLine(), kAllowedToDownload);
    client.Send("QUIT\r\n");
    ASSERT_TRUE(client.WaitUntilServerHasRead());
    client.Send("#ok\r\n");
    EXPECT_EQ(client.ReceiveUntil(kFileSent), std::string("obsah") + kFileSent);
    EXPECT_EQ(Download(client, "subor"), std::string("obsah") + kFileSent);  // it goes on
}

TEST_F(SessionTest, ClientThatClosesEndsTheSessionWhereverItWaits) {
    WriteUsers();
    WriteText("subor", "obsah");
    LoopbackClient idle = Connect();
    idle.ShutdownSending();
    EXPECT_TRUE(idle.IsClosedByServer());

    LoopbackClient waiting = Login(kStudent, kStudentPassword);
    waiting.Send("FILE subor\r\n");
    EXPECT_EQ(waiting.ReceiveLine(), kAllowedToDownload);
    waiting.ShutdownSending();
    EXPECT_TRUE(waiting.IsClosedByServer());
}

TEST_F(SessionTest, PathsAndHiddenNamesAreNeverServed) {
    WriteUsers();
    LoopbackClient client = Login(kTeacher, kTeacherPassword);
    for (const char* name : {"../x", "/etc/hostname", "./userdb", ".userdb", "..", ".", "a\\b",
                             "sub/file", ".subor.123.0.tmp"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Download(client, name), kCannotDownload);
        client.Send(std::string("SAVE ") + name + "\r\n");
        EXPECT_EQ(client.ReceiveLine(), kCannotModify);
    }
    EXPECT_FALSE(Exists("../x"));
    EXPECT_EQ(Download(client, "userdb"), ReadText("userdb") + kFileSent);  // still going
}

}  // namespace
}  // namespace orvane::test
