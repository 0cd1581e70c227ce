// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include <cerrno>

#include "common/ExamFolders.h"
#include "support/TempFolder.h"

namespace orvane::test {
namespace {

using namespace std::chrono;

// A login is one name in its folder: never a path, never hidden, never "." or "..", never
// too long, and never the name of another login; a folder's name gives back its login unless
// it was cut, and a kept file's name gives back its time.
TEST(ExamFolders, EveryLoginIsOneSafeNameOfItsOwn) {
    for (const auto& [login, name] : std::initializer_list<std::pair<std::u16string, std::string>>{
             {u"ján.novák", "ján.novák"},
             {u"..", "%2E."},
             {u"../x", "%2E.%2Fx"},
             {u"a/b\\c d", "a%2Fb%5Cc%20d"},
             {u"%2F", "%252F"},
             {u"", "%"},
             {std::u16string(1, 0xD800), "%uD800"},
             {std::u16string{0xD800, u'a', 0xDC00, 0xD801}, "%uD800a%uDC00%uD801"},  // no pairs
             {u"a\x7F\x1F", "a%7F%1F"},
             {std::u16string(128, u'a'), std::string(128, 'a')},  // the longest left uncut
             {u"\U0001F600", "\xF0\x9F\x98\x80"}}) {
        EXPECT_EQ(LoginFileName(login), name);
        EXPECT_EQ(LoginOfFileName(name), login);
    }
    const std::u16string longLogin(300, u'ž');
    EXPECT_LE(LoginFileName(longLogin).size(), 128u);
    // A cut name, and names that no login is given, give no login.
    for (const std::string& name : {LoginFileName(longLogin), std::string("%41"), std::string("%2"),
                                    std::string("a%"), std::string(".a")}) {
        EXPECT_EQ(LoginOfFileName(name), std::nullopt) << name;
    }
    EXPECT_NE(LoginFileName(longLogin), LoginFileName(longLogin + u"x"));
    const KeptTime time = sys_days(2026y / 3 / 5) + 23h + 59min + 58s + 7us;
    EXPECT_EQ(KeptFileName(time, "testdb_bla"), "20260305T235958.000007Z-testdb_bla");
    EXPECT_EQ(ParseKeptFileName(KeptFileName(time, std::string(300, 'x')))->first, time);
    EXPECT_EQ(KeptFileName(time, std::string(300, 'x')).size(), 255u);
}

// Into another login's folder that exists each kept file moves, but never over one of the same
// name; nothing moves from a folder that is missing.
TEST(ExamFolders, KeptFilesMoveToAnotherLoginsFolderButNeverOverOne) {
    TempFolder folder;
    for (const std::string path : {"s/a/20260101T000000.000000Z-x", "s/a/20260102T000000.000000Z-x",
                                   "s/b/20260102T000000.000000Z-x"}) {
        ASSERT_TRUE(MakePrivateFolder(path.substr(0, 3)).IsOk());
        WriteBytes(path, {1});
    }
    EXPECT_TRUE(MoveKeptFiles("s/x", "s/y").IsOk());
    EXPECT_EQ(MoveKeptFiles("s/a", "s/b").Error(), EEXIST);
    EXPECT_EQ(KeptFileNames("s/a"), std::vector<std::string>{"20260102T000000.000000Z-x"});
    EXPECT_EQ(KeptFileNames("s/b").size(), 2u);
}

using ExamFoldersOnDisk = InTempFolder;

// A login's folder is its owner's alone, unless it is made in a folder that was shared with a
// group on purpose (set-group-ID): that group may then read it, as far as the umask allows.
TEST_F(ExamFoldersOnDisk, FoldersAreTheOwnersAloneUnlessMadeInAGroupSharedFolder) {
    const mode_t umask = ::umask(027);
    for (const auto& [shared, expected] : {std::pair{false, 0700u}, std::pair{true, 02750u}}) {
        ASSERT_EQ(::chmod(".", shared ? 02755 : 0755), 0);
        std::filesystem::remove_all("submissions");
        EXPECT_TRUE(MakePrivateFolder("submissions/ziak").IsOk());
        for (const char* path : {"submissions", "submissions/ziak"}) {
            struct stat info {};
            EXPECT_EQ(::stat(path, &info) == 0 ? info.st_mode & 07777 : 0, expected) << path;
        }
    }
    ::umask(umask);
}

}  // namespace
}  // namespace orvane::test
