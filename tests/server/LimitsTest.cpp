// SPDX-License-Identifier: GPL-3.0-or-later
// The limits that fall on guessers and on uploads: a guesser's session slows down and closes
// while the account's owner logs in at once, the teacher check is a password check like AUTH,
// sessions without a login end and cannot flood from one address, and uploads cannot fill the
// disk.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <filesystem>
#include <tuple>

#include "ServerFixture.h"
#include "common/ExamFolders.h"

namespace orvane::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr char kRefused[] = "!Wrong user / pass!!!\r\n";
constexpr char kCouldntOpen[] = "!File couldnt be opened.\r\n";

class LimitsTest : public ServerTest {
protected:
    bool Logged(const std::string& line) {
        const auto lines = log.Lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

// Two guessing sessions from 127.0.0.2 pause before each further refusal and are closed after
// three; the owner from 127.0.0.1 is answered at once meanwhile, and so is a third guesser's
// first attempt on another login.
TEST_F(LimitsTest, GuessersAreSlowedAndClosedWhileTheOwnerLogsInAtOnce) {
    ServerOptions options;
    options.maxRefusals = 3;
    Restart(options);
    std::vector<LoopbackClient> guessers;
    for (int i = 0; i < 2; ++i) {
        guessers.push_back(Connect("127.0.0.2"));
    }
    const auto start = Clock::now();
    for (int round = 0; round < 3; ++round) {
        for (LoopbackClient& guesser : guessers) {
            guesser.Send("AUTH ziak zle\r\n");
        }
        for (LoopbackClient& guesser : guessers) {
            EXPECT_EQ(guesser.ReceiveUntil(), kRefused);
        }
        const auto asked = Clock::now();
        Login(false);
        EXPECT_LT(Clock::now() - asked, 500ms) << round;
    }
    EXPECT_GT(Clock::now() - start, 1400ms);  // pauses of 0, 0.5 and 1 s
    for (LoopbackClient& guesser : guessers) {
        EXPECT_TRUE(guesser.IsClosedByServer());
    }
    EXPECT_EQ(Connect("127.0.0.2").Ask("AUTH ucitel zle\r\n"), kRefused);
    EXPECT_TRUE(Logged("4 session closed after 3 refused passwords: peer 127.0.0.2:P"));
}

// A logged-in student who names a teacher's login and password for a teacher-only file has
// them checked as an AUTH: refused, logged as a refused password and counted, until the
// session closes; the right pair still passes.
TEST_F(LimitsTest, TeacherCheckIsAPasswordCheckLikeAuth) {
    ServerOptions options;
    options.maxRefusals = 3;
    Restart(options);
    LoopbackClient student = Login(false);
    EXPECT_EQ(Download(student, "userdb"), kCannotDownload);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(student.Ask("FILE ucitel zle" + std::to_string(i) + "\r\n"), kCannotDownload);
    }
    EXPECT_TRUE(student.IsClosedByServer());
    EXPECT_TRUE(
        Logged("4 AUTH refused (teacher check of FILE userdb): login ucitel, peer "
               "127.0.0.1:P"));
    LoopbackClient other = Login(false);
    EXPECT_EQ(Download(other, "userdb"), kCannotDownload);
    EXPECT_EQ(other.Ask("FILE ucitel tajne\r\n"), kAllowed);
}

// A session that does not log in in time is closed, a logged-in one stays; beyond the start,
// sessions not logged in from one address are dropped, not those of another address; a
// login holds only so many sessions at once.
TEST_F(LimitsTest, SessionsWithoutALoginEndAndCannotFloodFromOneAddress) {
    ServerOptions options;
    options.loginDeadline = 1s;
    options.startups = {3, 100, 4};
    options.maxPerLogin = 2;
    Restart(options);
    LoopbackClient student = Login(false);
    std::vector<LoopbackClient> waiting;
    for (int i = 0; i < 3; ++i) {
        waiting.push_back(Connect("127.0.0.2"));
    }
    EXPECT_TRUE(LoopbackClient(port, "127.0.0.2").IsClosedByServer());
    LoopbackClient second = Connect();
    EXPECT_EQ(second.Ask("AUTH ziak heslo\r\n"), kLoggedIn);
    EXPECT_EQ(Connect().Ask("AUTH ziak heslo\r\n"), kRefused);  // the third of ziak
    for (LoopbackClient& client : waiting) {
        EXPECT_TRUE(client.IsClosedByServer());
    }
    EXPECT_EQ(Download(student, "userdb"), kCannotDownload);
    EXPECT_TRUE(Logged("4 session closed, no login within 1 s: peer 127.0.0.2:P"));
}

// Too large an upload, one beyond the student's quota of kept files or bytes, and any upload
// below the free space kept in reserve are refused with the old file kept; teachers have no
// quota.
TEST_F(LimitsTest, UploadsStopAtTheirLimitsAndTheReserve) {
    ServerOptions options;
    options.maxUpload = 1000;
    options.maxSubmissions = 2;
    options.maxSubmissionBytes = 1500;
    Restart(options);
    char fill = 'a';
    const auto upload = [&](bool teacher, std::size_t size) {
        LoopbackClient client = Login(teacher);
        const std::string data(size, ++fill);
        const std::string reply = client.Ask("SAVE odpovede\r\n");
        if (reply == kMayModify) {
            client.Send(data + kSent);
            EXPECT_TRUE(client.IsClosedByServer());
        }
        return reply == kMayModify && ReadText("odpovede") == data;
    };
    for (const auto& [teacher, size, stored] : {std::tuple{false, 1001, false},
                                                {false, 800, true},
                                                {false, 800, false},
                                                {false, 600, true},
                                                {false, 10, false},
                                                {true, 1000, true}}) {
        EXPECT_EQ(upload(teacher, size), stored) << teacher << " " << size;
    }
    EXPECT_TRUE(
        Logged("3 SAVE not written (larger than 1000 bytes, the most for one upload): "
               "file odpovede, 0 bytes received, old file kept, login ziak, peer "
               "127.0.0.1:P"));
    EXPECT_EQ(KeptFileNames("submissions/ziak").size(), 2u);
    options.reserveBytes = std::uint64_t{1} << 60;
    Restart(options);
    EXPECT_EQ(Login(true).Ask("SAVE odpovede\r\n"), kCouldntOpen);
}

// Kept submissions are readable by the server's user only: a link of a private upload, and
// a copy where the served file keeps a mode that others may read, or where submissions lie on
// another file system (which takes no link).
TEST_F(LimitsTest, SubmissionsArePrivateCopiesWhereALinkCannotBe) {
    const auto keptMode = [] {
        const auto names = KeptFileNames("submissions/ziak");
        struct stat info {};
        ::stat(("submissions/ziak/" + names.back()).c_str(), &info);
        return std::pair(info.st_mode & 0777, info.st_nlink);
    };
    LoopbackClient client = Login(false);
    Upload(client, "nove", "a");
    EXPECT_EQ(keptMode(), std::pair(0600u, nlink_t{2}));
    WriteText("zdielane", "old");
    ASSERT_EQ(::chmod("zdielane", 0644), 0);
    LoopbackClient again = Login(false);
    Upload(again, "zdielane", "b");
    EXPECT_EQ(keptMode(), std::pair(0600u, nlink_t{1}));
    struct stat served {};
    EXPECT_EQ(::stat("zdielane", &served) == 0 ? served.st_mode & 0777 : 0, 0644u);
    if (::mount("tmpfs", "submissions", "tmpfs", 0, nullptr) != 0) {
        GTEST_SKIP() << "no tmpfs to mount (not root)";
    }
    LoopbackClient third = Login(false);
    Upload(third, "ine", "c");
    EXPECT_EQ(keptMode(), std::pair(0600u, nlink_t{1}));
    EXPECT_EQ(ReadText("ine"), "c");
    ::umount("submissions");
}

}  // namespace
}  // namespace orvane::test
