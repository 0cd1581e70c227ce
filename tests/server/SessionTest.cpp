// SPDX-License-Identifier: GPL-3.0-or-later
// Sessions of the server of this process: commands, logins, rights, downloads and uploads, and
// credential checks that see "userdb" as last saved, however soon and however often it is
// saved, while an unchanged file is loaded only once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <tuple>

#include "ServerFixture.h"
#include "common/TextCodec.h"
#include "exam/KeptTests.h"
#include "generator/TestDraw.h"
#include "server/TCPServer.h"
#include "server/UserDBCache.h"
#include "support/ExamFixtures.h"

namespace orvane::test {
namespace {

using SessionTest = ServerTest;

constexpr char kRefused[] = "!Wrong user / pass!!!\r\n";
constexpr char kNoDatabase[] = "!Databaza neexistuje!\r\n";
constexpr char kCannotModify[] = "!You do not have the rights to modify the file.\r\n";

// Lines that are no commands get no reply, and before a login FILE is refused and SAVE closes
// the connection. Logins match in UTF-8 and in Windows-1250; a refusal keeps an earlier login.
TEST_F(SessionTest, LinesBeforeAndAfterALogin) {
    LoopbackClient client = Connect();
    for (const char* line : {"AUTH\r\n", "HELLO a b\r\n", "QUIT now\r\n", "AUTH a b c\r\n"}) {
        client.Send(line);
        ASSERT_TRUE(client.WaitUntilServerHasRead()) << line;
    }
    EXPECT_EQ(client.Ask("auth nikto heslo\r\n"), kRefused);  // the first reply
    EXPECT_EQ(client.Ask("AUTH ziak HESLO"), kRefused);
    EXPECT_EQ(Download(client, "testdb"), "!Wrong user / pass.\r\n");
    CPNUserDB db;
    ASSERT_TRUE(db.AddUser(u"učiteľ", u"U", u"šťava", u"šťava", true, u"", u""));
    EXPECT_TRUE(db.Save(u"userdb").IsOk());
    EXPECT_EQ(client.Ask("AUTH u\xC4\x8Dite\xC4\xBE \xC5\xA1\xC5\xA5\x61va\r\n"), kLoggedIn);
    EXPECT_EQ(client.Ask("AUTH u\xE8ite\xBE \x9A\x9D\x61va\r\n"), kLoggedIn);
    EXPECT_EQ(client.Ask("AUTH u\xE8ite\xBE zle\r\n"), kRefused);
    WriteText("subor", "obsah");
    EXPECT_EQ(Download(client, "subor"), std::string(kAllowed) + "obsah" + kSent);
    client.Send(" qUiT \r\n");
    EXPECT_TRUE(client.IsClosedByServer());
    LoopbackClient saving = Connect();
    saving.Send("SAVE testdb\r\n");
    EXPECT_TRUE(saving.IsClosedByServer());
}

// A "userdb" that is missing, is empty, or is a folder or a named pipe answers every
// check at once, and holds no other session.
TEST_F(SessionTest, UnusableUserDatabaseAnswersEveryCheckAtOnce) {
    LoopbackClient client = Login(true);
    LoopbackClient other = Connect();
    WriteText("ine", "x");
    for (const int type : {0, S_IFREG, S_IFDIR, S_IFIFO}) {
        std::filesystem::remove("userdb");
        if (type != 0) {  // an empty regular file does not decode
            ASSERT_EQ(type == S_IFDIR ? ::mkdir("userdb", 0755) : ::mknod("userdb", type | 0600, 0),
                      0);
        }
        for (const char* line : {"AUTH ucitel tajne\r\n", "FILE quesdb\r\n", "SAVE userdb\r\n"}) {
            EXPECT_EQ(client.Ask(line), kNoDatabase) << line;
        }
        EXPECT_EQ(other.Ask("AUTH ziak heslo\r\n"), kNoDatabase);
        EXPECT_EQ(Download(client, "ine"), std::string(kAllowed) + "x" + kSent);
    }
    const auto lines = log.Lines();
    EXPECT_NE(
        std::find(lines.begin(), lines.end(),
                  "3 \"userdb\" cannot be decoded: end of data: an item of 4 bytes at offset 0, "
                  "where only 0 bytes are left: every AUTH answers \"!Databaza neexistuje!\""),
        lines.end());
}

// A served folder deleted and put back (from a backup) is served again without a restart.
TEST_F(SessionTest, FolderDeletedAndRestoredIsServedAgain) {
    LoopbackClient before = Login(true);
    std::filesystem::remove_all(folder.Path());
    EXPECT_EQ(Connect().Ask("AUTH ziak heslo\r\n"), kNoDatabase);
    std::filesystem::create_directory(folder.Path());
    EXPECT_TRUE(Accounts()->Save(FromUtf8(folder.Path() + "/userdb")).IsOk());
    Login(false);
    const auto lines = log.Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "4 the folder " + folder.Path() + " was replaced: serving it again"),
              lines.end());
}

TEST_F(SessionTest, RightsTable) {
    for (const auto& [name, studentDownloads, studentUploads] :
         {std::tuple{"userdb", false, false}, std::tuple{"testdb", true, false},
          std::tuple{"testdb_bla", false, true}, std::tuple{"quesdb", false, false},
          std::tuple{"odpovede", true, true}}) {
        if (!Exists(name)) {
            WriteText(name, name);
        }
        const std::string content = ReadText(name);
        for (const bool teacher : {false, true}) {
            SCOPED_TRACE(std::string(name) + (teacher ? " teacher" : " student"));
            LoopbackClient client = Login(teacher);
            EXPECT_EQ(Download(client, name),
                      teacher || studentDownloads ? kAllowed + content + kSent : kCannotDownload);
            const bool uploads = teacher || studentUploads;
            EXPECT_EQ(client.Ask(std::string("SAVE ") + name + "\r\n"),
                      uploads ? kMayModify : kCannotModify);
            client.Send(uploads ? "!File\r\n" : "QUIT\r\n");
            EXPECT_TRUE(client.IsClosedByServer());
            EXPECT_EQ(ReadText(name), content);
        }
    }
}

// Only plain names of regular files are served, to a teacher too: no folder, path or hidden
// name. A download is the raw bytes after the go-ahead, then the end line.
TEST_F(SessionTest, DownloadsOfPlainNamesSendRawBytesAfterTheGoAhead) {
    LoopbackClient client = Login(true);
    ASSERT_EQ(::mkdir("priecinok", 0755), 0);
    EXPECT_EQ(Download(client, "priecinok"), "!File does not exist.\r\n");
    EXPECT_EQ(Download(client, "nic"), "!File does not exist.\r\n");
    const bool outsideBefore = Exists("../x");  // beside the test's folder, not the test's
    for (const char* name : {"../x", "/etc/hostname", "./userdb", ".userdb", "..", "a\\b"}) {
        EXPECT_EQ(Download(client, name), kCannotDownload) << name;
        EXPECT_EQ(client.Ask(std::string("SAVE ") + name + "\r\n"), kCannotModify) << name;
    }
    EXPECT_EQ(Exists("../x"), outsideBefore);
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
    EXPECT_TRUE(WaitUntil([] { return RunningSessions() == 0; }));
    Connect();  // the process is alive
}

// Tests generated twice for two students are kept, and each student downloads the newest of
// their own as "testdb" (no upload may take the name of the folders), also after a refused AUTH
// under the other's login; the teacher gets the shared one. Each completed upload is kept under its
// uploader's login in a private folder, whatever the login, and the served file is the last one; a
// cut-off one is not kept.
TEST_F(SessionTest, EachStudentGetsTheirOwnTestAndEveryCompletedUploadIsKept) {
    WriteUsersFile({{u"ucitel", u"U", u"tajne", true},
                    {u"ziak", u"A", u"heslo", false},
                    {u"../x", u"B", u"heslo", false}});
    WriteText("testdb", "spolocny");
    CPNTestDB tests;
    CPNTest pool;
    const auto users = LoadUsersFile();
    CTestDraw draw(*users, tests, pool, u"ucitel", u"tajne");
    std::map<std::u16string, std::string> newest;
    for (int run = 0; run < 2; ++run) {
        const auto before = TestsIn(tests);
        ASSERT_EQ(draw.Generate({}, 45).testsMade, 2);
        for (const KeptTest& kept : KeepNewTests(tests, before)) {
            ASSERT_TRUE(kept.result.IsOk()) << kept.path;
            newest[kept.test->GetLogin()] = ReadText(kept.path);
        }
    }
    const auto as = [this](const std::string& login) {
        LoopbackClient client = Connect();
        EXPECT_EQ(client.Ask("AUTH " + login + (login == "ucitel" ? " tajne\r\n" : " heslo\r\n")),
                  kLoggedIn);
        return client;
    };
    LoopbackClient a = as("ziak");
    for (const char* folder : {"SAVE tests\r\n", "SAVE submissions\r\n"}) {  // names kept free
        EXPECT_EQ(a.Ask(folder), "!File couldnt be opened.\r\n");
    }
    EXPECT_EQ(Download(a, "testdb"), kAllowed + newest[u"ziak"] + kSent);
    EXPECT_EQ(a.Ask("AUTH ../x zle\r\n"), kRefused);
    EXPECT_EQ(Download(a, "testdb"), kAllowed + newest[u"ziak"] + kSent);
    LoopbackClient b = as("../x");
    EXPECT_EQ(Download(b, "testdb"), kAllowed + newest[u"../x"] + kSent);
    LoopbackClient teacher = as("ucitel");
    EXPECT_EQ(Download(teacher, "testdb"), std::string(kAllowed) + "spolocny" + kSent);

    for (const std::string data : {"a1", "b1", "a2", "b2"}) {
        LoopbackClient client = as(data[0] == 'a' ? "ziak" : "../x");
        Upload(client, "testdb_bla", data);
    }
    LoopbackClient cut = as("ziak");
    EXPECT_EQ(cut.Ask("SAVE testdb_bla\r\n"), kMayModify);
    cut.Send("a3");
    cut.ShutdownSending();
    EXPECT_TRUE(cut.IsClosedByServer());
    EXPECT_EQ(ReadText("testdb_bla"), "b2");
    for (const auto& [path, uploads] : {std::pair{"submissions/ziak", std::string("a1a2")},
                                        std::pair{"submissions/%2E.%2Fx", std::string("b1b2")}}) {
        std::string kept;
        for (const std::string& name : KeptFileNames(path)) {
            kept += ReadText(std::string(path) + "/" + name);
        }
        EXPECT_EQ(kept, uploads);
        struct stat info {};
        EXPECT_EQ(::stat(path, &info) == 0 ? info.st_mode & 0777 : 0, 0700u);
    }
    EXPECT_EQ(LoginFolders("submissions").size() + LoginFolders("tests").size(), 4u);
    EXPECT_FALSE(Exists("x"));
}

// One line per event, with its context; the operator's message comes first in its line, and
// a login cannot add a line of its own.
TEST_F(SessionTest, LogTellsEachEventWithItsContext) {
    WriteText("subor", "obsah");
    LoopbackClient client = Connect();
    EXPECT_EQ(client.Ask("AUTH zi\nak zle\r\n"), kRefused);
    EXPECT_EQ(client.Ask("AUTH ziak heslo\r\n"), kLoggedIn);
    EXPECT_EQ(Download(client, "userdb"), kCannotDownload);
    EXPECT_EQ(Download(client, "subor"), std::string(kAllowed) + "obsah" + kSent);
    test::Upload(client, "odpovede", "abc");
    const std::string who = ", login ziak, peer 127.0.0.1:P";
    EXPECT_EQ(log.Lines(),
              (std::vector<std::string>{
                  "6 session started: peer 127.0.0.1:P",
                  "4 AUTH refused: login zi\\x0Aak, peer 127.0.0.1:P",
                  "6 AUTH accepted: login ziak, peer 127.0.0.1:P",
                  "4 FILE refused \"!You cannot download the file.\": file userdb" + who,
                  "6 FILE completed: file subor, 5 bytes sent" + who,
                  "6 File has been saved: file odpovede, 3 bytes stored" + who,
                  "6 submission kept: file odpovede, 3 bytes as submissions/ziak/T-odpovede" + who,
                  "6 session ended: login ziak, peer 127.0.0.1:P"}));
}

using UserDBCacheTest = ServerTest;

TEST_F(UserDBCacheTest, EverySaveIsSeenByTheVeryNextLogin) {
    LoopbackClient client = Connect();
    for (int i = 0; i < 100; ++i) {
        const std::string password = "heslo" + std::to_string(10 + i % 2);  // one length
        SaveAccounts(1, std::u16string(password.begin(), password.end()));
        ASSERT_EQ(client.Ask("AUTH ziak " + password + "\r\n"), kLoggedIn) << i;
        // Each refusal in a session of its own, which it would slow down.
        ASSERT_EQ(Connect().Ask("AUTH ziak heslo" + std::to_string(11 - i % 2) + "\r\n"), kRefused)
            << i;
    }
}

// Any change of the file loads it again, even a rewrite in place that puts the old times back;
// an unchanged file is loaded once, and a file saved this very moment once more when its
// times have settled.
TEST_F(UserDBCacheTest, AnUnchangedFileIsLoadedOnceAndAnyChangeLoadsItAgain) {
    CUserDBCache cache("userdb");
    const std::vector<std::uint8_t> first = SaveAccounts(1, u"heslo1");
    SaveAccounts(1, u"heslo2");
    const auto fresh = cache.Current();
    EXPECT_TRUE(fresh->Accepts(u"ziak", u"heslo2"));
    EXPECT_EQ(cache.Current(), fresh);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    const auto settled = cache.Current();
    EXPECT_NE(settled, fresh);
    EXPECT_EQ(cache.Current(), settled);
    struct stat before {};
    ASSERT_EQ(::stat("userdb", &before), 0);
    // The same size at the same inode, and the modification time put back.
    const int fd = ::open("userdb", O_WRONLY);
    ASSERT_EQ(::pwrite(fd, first.data(), first.size(), 0), static_cast<ssize_t>(first.size()));
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::futimens(fd, times), 0);
    ::close(fd);
    EXPECT_TRUE(cache.Current()->Accepts(u"ziak", u"heslo1"));

    SaveAccounts(1, u"nove55");  // the same size
    const auto changed = cache.Current();
    EXPECT_TRUE(changed->Accepts(u"ziak", u"nove55"));
    EXPECT_FALSE(changed->Accepts(u"ziak", u"heslo1"));
    ASSERT_EQ(::unlink("userdb"), 0);
    EXPECT_EQ(cache.Current()->state, CUserDBCache::State::Missing);
    WriteText("userdb", "\x05");
    EXPECT_EQ(cache.Current()->state, CUserDBCache::State::Broken);
}

// Checks that run while the window saves share loads, and each sees the accounts before a save
// or after it, never none; the saver's next check sees its own save.
TEST_F(UserDBCacheTest, ChecksDuringSavesSeeTheOldOrTheNewAccountsNeverNeither) {
    CUserDBCache cache("userdb");
    const std::u16string passwords[2] = {u"heslo0", u"heslo1"};
    SaveAccounts(500, passwords[0]);  // loads long enough for checks to meet them
    std::atomic<bool> saving{true};
    std::atomic<int> neither{0};
    std::vector<std::thread> checks;
    for (int i = 0; i < 4; ++i) {
        checks.emplace_back([&] {
            while (saving) {
                const auto accounts = cache.Current();
                neither += accounts->Accepts(u"ziak", passwords[0]) ||
                                   accounts->Accepts(u"ziak", passwords[1])
                               ? 0
                               : 1;
            }
        });
    }
    for (int i = 1; i <= 20; ++i) {
        SaveAccounts(500, passwords[i % 2]);
        EXPECT_TRUE(cache.Current()->Accepts(u"ziak", passwords[i % 2])) << i;
    }
    saving = false;
    for (std::thread& check : checks) {
        check.join();
    }
    EXPECT_EQ(neither, 0);
}

TEST_F(UserDBCacheTest, TheFirstAccountWithALoginDecidesAsFindLoginDoes) {
    CPNUserDB db;
    db.InsertUser(std::make_shared<CPNUser>(u"dvojnik", u"Učiteľ", u"druhe", true));
    db.InsertUser(std::make_shared<CPNUser>(u"dvojnik", u"Žiak", u"prve", false));
    db.InsertUser(std::make_shared<CPNUser>(u"ucitel", u"Učiteľ", u"tajne", true));
    EXPECT_TRUE(db.Save(u"userdb").IsOk());
    CPNUserDB loaded;  // stored front first, loaded back to front
    EXPECT_TRUE(loaded.Load(u"userdb").IsOk());
    ASSERT_TRUE(loaded.FindLogin(u"dvojnik"));
    ASSERT_EQ(loaded.CurrentUser()->GetPassword(), u"druhe");

    const auto accounts = CUserDBCache("userdb").Current();
    EXPECT_TRUE(accounts->Accepts(u"dvojnik", u"druhe"));
    EXPECT_FALSE(accounts->Accepts(u"dvojnik", u"prve"));
    EXPECT_TRUE(accounts->IsTeacher(u"dvojnik", u"druhe"));
    EXPECT_FALSE(accounts->IsTeacher(u"dvojnik", u"prve"));
    EXPECT_TRUE(accounts->IsTeacher(u"ucitel", u"tajne"));
    EXPECT_FALSE(accounts->IsTeacher(u"ucitel", u"zle"));
    EXPECT_FALSE(accounts->Accepts(u"nikto", u""));
}

// Uploads by the teacher over "odpovede", which holds its old answers.
class UploadTest : public ServerTest {
protected:
    UploadTest() { WriteText("odpovede", "old"); }
    // What "odpovede" holds after the upload.
    std::string Upload(const std::string& data, const std::string& end = kSent,
                       bool separately = false) {
        LoopbackClient client = Login(true);
        test::Upload(client, "odpovede", data, end, separately);
        return ReadText("odpovede");
    }
    const std::vector<std::string> filesOfTheTest{"odpovede", "userdb"};  // no temporary file
};

// The markers in the same send as the data or in a send of their own, the end marker also
// split across two receives; large and empty files.
TEST_F(UploadTest, StoresExactlyTheBytesBeforeTheEndMarkerHoweverItIsSent) {
    for (const bool separately : {false, true}) {
        const std::string data = Pattern(300) + std::to_string(separately);
        EXPECT_TRUE(Upload(data, kSent, separately) == data);
    }
    const std::string end = kSent;
    for (std::size_t cut = 1; cut < 5; ++cut) {
        EXPECT_EQ(Upload("data" + end.substr(0, cut), end.substr(cut), true), "data") << cut;
    }
    EXPECT_TRUE(Upload(Pattern(2 << 20)) == Pattern(2 << 20));
    EXPECT_EQ(Upload(""), "");
    EXPECT_EQ(messages.Shown(), std::vector<std::string>(8, "File has been saved"));
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"odpovede", "submissions", "userdb"}));
}

TEST_F(UploadTest, RefusedAbortedOrCutOffUploadsKeepTheOldFile) {
    Upload("", "!File does not exist.\r\n");
    Upload(Pattern(200) + "!Fi", "le", true);
    ASSERT_EQ(::mkdir("priecinok", 0755), 0);
    LoopbackClient client = Login(true);
    EXPECT_EQ(client.Ask("SAVE priecinok\r\n"), "!File couldnt be opened.\r\n");
    EXPECT_EQ(client.Ask("SAVE odpovede\r\n"), kMayModify);
    client.Send(Pattern(5000) + "#Fi");
    ASSERT_TRUE(client.WaitUntilServerHasRead());
    client.ShutdownSending();
    EXPECT_TRUE(client.IsClosedByServer());
    EXPECT_EQ(ReadText("odpovede"), "old");
    EXPECT_EQ(messages.Shown(),
              (std::vector<std::string>{"File not found on server!", "File not found on server!",
                                        "socket error socket error socket error"}));
    ASSERT_EQ(::rmdir("priecinok"), 0);
    EXPECT_EQ(folder.Entries(), filesOfTheTest);
    EXPECT_TRUE(Upload(Pattern(256) + "!File") == Pattern(256) + "!File");  // past 256 bytes: data
}

TEST_F(UploadTest, TheFileIsInPlaceBeforeTheOperatorIsTold) {
    // Reads the target as the operator is told, as a slow operator would find it.
    struct : RecordedMessages {
        void Show(const std::string& message) override {
            RecordedMessages::Show(message + ": " + ReadText("odpovede"));
        }
    } operatorView;
    SetOperatorMessages(Unowned(operatorView));
    Upload("new");
    SetOperatorMessages(Unowned(messages));
    EXPECT_EQ(operatorView.Shown(), std::vector<std::string>{"File has been saved: new"});
}

}  // namespace
}  // namespace orvane::test
