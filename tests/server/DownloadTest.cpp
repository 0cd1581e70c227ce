// SPDX-License-Identifier: GPL-3.0-or-later
// What a download sends: tests without their keys to everyone but teachers (unless keys are
// served for practice), a student's own kept test, and never a link's target, a dump or a
// second name of a teacher-only file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <tuple>

#include "ServerFixture.h"
#include "exam/WithoutKeys.h"
#include "petrinet/PNPlace.h"
#include "support/ExamFixtures.h"

namespace orvane::test {
namespace {

constexpr char kMissing[] = "!File does not exist.\r\n";

// A test of one login with a question to tick and one to draw, both with their keys.
std::shared_ptr<CPNTest> KeyedTest(const std::u16string& login, std::int32_t id) {
    auto solution = std::make_shared<CPNPetriNet>();
    solution->AddElement(std::make_shared<CPNPlace>(1, 10, 20));
    auto tick = std::make_shared<CPNQuestion>(1, u"Živosť", u"Ktoré?", 2,
                                              std::vector<std::u16string>{u"A", u"B"},
                                              std::vector<bool>{true, false}, nullptr);
    auto draw = std::make_shared<CPNQuestion>(2, u"Semafor", u"Nakreslite.", solution);
    return MakeTest(id, login, true, {tick, draw});
}

// The bytes of the test as a file.
std::string FileOf(const std::shared_ptr<CPNTest>& test) {
    WriteTestFile(".bytes", test);
    const std::string bytes = ReadText(".bytes");
    std::filesystem::remove(".bytes");
    return bytes;
}

class DownloadTest : public ServerTest {
protected:
    DownloadTest() {
        WriteUsersFile({{u"ucitel", u"U", u"tajne", true},
                        {u"ziak", u"Z", u"heslo", false},
                        {u"jana", u"J", u"heslo", false},
                        {u"iny", u"I", u"heslo", false}});
        WriteTestFile("testdb", shared);
        WriteTestFile("kopia", shared);
        std::filesystem::create_directories("tests/ziak");
        std::filesystem::create_directories("tests/iny");
        std::filesystem::create_directories("tests/ucitel");  // a teacher drawn as a student once
        WriteTestFile("tests/ziak/20260101T080000.000000Z-test1", kept);
        WriteTestFile("tests/ucitel/20260101T080000.000000Z-test9", KeyedTest(u"ucitel", 9));
        WriteTestFile("tests/iny/20260101T080000.000000Z-test2", KeyedTest(u"jana", 2));
    }
    std::string As(const std::string& login, const std::string& name) {
        LoopbackClient client = LoginAs(login, login == "ucitel" ? "tajne" : "heslo");
        return Download(client, name);
    }
    const std::shared_ptr<CPNTest> shared = KeyedTest(u"", 0);
    const std::shared_ptr<CPNTest> kept = KeyedTest(u"ziak", 1);
};

// Students get the shared test and their own kept test without keys, under any name; teachers
// get every test as it lies; a kept test of another login, or one that does not decode, is
// not sent. With keys served for practice, students get them too.
TEST_F(DownloadTest, TestsLeaveWithoutKeysForStudentsOnly) {
    const std::string bare = FileOf(WithoutKeys(*shared));
    WriteText("tests/iny/20260102T080000.000000Z-test3", std::string("\xFF\xFF\x01\x00\x07\x00"
                                                                     "CPNTestx",
                                                                     14));
    for (const auto& [login, name, sent] :
         {std::tuple{"ziak", "testdb", kAllowed + FileOf(WithoutKeys(*kept)) + kSent},
          std::tuple{"ziak", "kopia", kAllowed + bare + kSent},
          std::tuple{"jana", "testdb", kAllowed + bare + kSent},
          std::tuple{"ucitel", "testdb", kAllowed + FileOf(shared) + kSent},
          std::tuple{"ucitel", "kopia", kAllowed + FileOf(shared) + kSent},
          std::tuple{"iny", "testdb", std::string(kMissing)}}) {
        EXPECT_TRUE(As(login, name) == sent) << login << " " << name;
    }
    std::filesystem::remove("tests/iny/20260102T080000.000000Z-test3");
    EXPECT_EQ(As("iny", "testdb"), kMissing);  // jana's test in the folder of iny
    const auto lines = log.Lines();
    for (const std::string& line :
         {"6 FILE completed: file testdb, " + std::to_string(FileOf(WithoutKeys(*kept)).size()) +
              " bytes sent from the kept test tests/ziak/T-test1, keys removed, login ziak",
          std::string("6 FILE completed: file testdb, ") + std::to_string(FileOf(shared).size()) +
              " bytes sent from the shared \"testdb\", keys kept, login ucitel",
          std::string("3 FILE refused \"!File does not exist.\" (the kept test "
                      "tests/iny/T-test3: it does not decode as a test: end of data"),
          std::string("3 FILE refused \"!File does not exist.\" (the kept test "
                      "tests/iny/T-test2: it is the test of the login jana)")}) {
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.starts_with(line);
        })) << line;
    }
    ServerOptions practice;
    practice.serveKeys = true;
    Restart(practice);
    EXPECT_TRUE(As("ziak", "testdb") == kAllowed + FileOf(kept) + kSent);
}

// A student gets the newest of their kept tests, whatever else the folder holds: older tests,
// files and folders named otherwise or later, a link, a hidden file. A test kept later is the
// one sent next, even when the folder was found unchanged before.
TEST_F(DownloadTest, NewestKeptTestIsServedBesideOlderOnesOtherFilesAndFolders) {
    WriteTestFile("tests/ziak/20251231T080000.000000Z-test4", KeyedTest(u"ziak", 4));
    WriteText("tests/ziak/zapisky", "x");
    std::filesystem::create_directory("tests/ziak/20261231T080000.000000Z-test5");
    ASSERT_EQ(
        ::symlink("20260101T080000.000000Z-test1", "tests/ziak/20270101T080000.000000Z-test6"), 0);
    WriteText("tests/ziak/.20280101T080000.000000Z-test7", "x");
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // the folder settles
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(As("ziak", "testdb") == kAllowed + FileOf(WithoutKeys(*kept)) + kSent);
    }
    const auto newer = KeyedTest(u"ziak", 8);
    WriteTestFile("tests/ziak/20260601T080000.000000Z-test8", newer);
    EXPECT_TRUE(As("ziak", "testdb") == kAllowed + FileOf(WithoutKeys(*newer)) + kSent);
}

// A link is never followed, to a file or through a folder; a second link to "userdb" is
// "userdb"; dumps and backups go to nobody; no upload replaces a link.
TEST_F(DownloadTest, LinksDumpsAndSecondNamesAreJudgedByWhatTheyAre) {
    ASSERT_EQ(::symlink("/etc/hostname", "odkaz"), 0);
    ASSERT_EQ(::link("userdb", "zaloha"), 0);
    std::filesystem::remove_all("tests/ziak");
    ASSERT_EQ(::symlink("iny", "tests/ziak"), 0);  // jana's test in the folder of iny
    WriteText("users.json", "{}");
    WriteText("userdb.bak", "x");
    LoopbackClient teacher = LoginAs("ucitel", "tajne");
    for (const char* name : {"odkaz", "users.json", "userdb.bak"}) {
        EXPECT_NE(Download(teacher, name).substr(0, 31), kAllowed) << name;
    }
    EXPECT_EQ(teacher.Ask("SAVE odkaz\r\n"), "!File couldnt be opened.\r\n");
    EXPECT_EQ(Download(teacher, "zaloha").substr(0, 31), kAllowed);
    LoopbackClient student = LoginAs("ziak", "heslo");
    EXPECT_EQ(Download(student, "zaloha"), kCannotDownload);
    EXPECT_EQ(student.Ask("SAVE zaloha\r\n"),
              "!You do not have the rights to modify the file.\r\n");
    EXPECT_EQ(Download(student, "testdb"), kMissing);
}

}  // namespace
}  // namespace orvane::test
