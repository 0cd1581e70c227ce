// SPDX-License-Identifier: GPL-3.0-or-later
// The kept tests of a course: listed at start without reading them, read per login or per id
// when they are needed, in the order and with the ids that reading every one of them gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "common/ExamFolders.h"
#include "exam/KeptTests.h"
#include "support/ExamFixtures.h"
#include "support/TempFolder.h"

namespace orvane::test {
namespace {

using namespace std::chrono;

const std::u16string kLongLogin(300, u'ž');  // its folder name is cut

struct KeptFile {
    std::u16string login;
    std::string what;  // the file name after the time
    std::int32_t id;   // inside the file; -1: the file is not a test
};

// Oldest first, a minute apart, the logins' files interleaved.
const std::vector<KeptFile> kKept{
    {u"jana", "test3", 3}, {u"Peter", "test0", 0},  {u"jana", "test5", 5}, {kLongLogin, "test2", 2},
    {u"a/b", "test7", 7},  {u"Peter", "test07", 8}, {u"jana", "test9", -1}};

// Id, login and whether it is still unread, for each test from the front.
using Listed = std::vector<std::tuple<std::int32_t, std::u16string, bool>>;

class KeptTests : public InTempFolder {
protected:
    void SetUp() override {
        KeptTime time = sys_days(2026y / 3 / 5) + 8h;
        for (const auto& [login, what, id] : kKept) {
            const std::string folder = KeptTestsFolderOf(login);
            ASSERT_TRUE(MakePrivateFolder(folder).IsOk());
            const std::string path = folder + "/" + KeptFileName(time += 1min, what);
            if (id < 0) {
                WriteBytes(path, {1});
            } else {
                WriteTestFile(path, MakeTest(id, login, true,
                                             {MakeQuestion(QuestionKind::DrawNet, 1, u"Q")}));
            }
        }
        ListKeptTests(tests);
    }
    Listed List() const {
        Listed listed;
        for (const auto& test : tests.All()) {
            listed.emplace_back(test->GetId(), test->GetLogin(), tests.IsUnread(*test));
            // A read test is the whole test of its file.
            EXPECT_EQ(test->GetQuestionCount(), tests.IsUnread(*test) ? 0 : 1);
        }
        return listed;
    }

    CPNTestDB tests;
};

// A file whose folder or name does not give its login and id is read at start; the others
// wait for their login or id, and a broken one is named once, when it is read.
TEST_F(KeptTests, StandUnreadInTheirPlaceUntilTheirLoginIsShown) {
    EXPECT_EQ(List(), (Listed{{9, u"jana", true},
                              {8, u"Peter", false},
                              {7, u"a/b", true},
                              {2, kLongLogin, false},
                              {5, u"jana", true},
                              {0, u"Peter", true},
                              {3, u"jana", true}}));
    const std::string printed = Printed([this] { ReadKeptTestsOf(tests, u"jana"); });
    EXPECT_TRUE(printed.starts_with("Súbor sa nedá načítať ako test: tests/jana/")) << printed;
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1);
    EXPECT_EQ(Printed([this] { ReadKeptTestsOf(tests, u"jana"); }), "");
    ReadKeptTest(tests, 0);
    EXPECT_EQ(List(), (Listed{{8, u"Peter", false},
                              {7, u"a/b", true},
                              {2, kLongLogin, false},
                              {5, u"jana", false},
                              {0, u"Peter", false},
                              {3, u"jana", false}}));
}

// Unread ids are taken: new tests get the smallest free ones, as when all were read.
TEST_F(KeptTests, NewTestsNeverTakeTheIdOfAnUnreadOne) {
    std::vector<std::int32_t> given;
    for (int i = 0; i < 3; ++i) {
        given.push_back(tests.NextFreeId());
        tests.AddTest(MakeTest(given.back(), u"jana", true));
    }
    EXPECT_EQ(given, (std::vector<std::int32_t>{1, 4, 6}));
}

// A renamed login's unread tests are read before their files move, and then stay the new
// login's; a removed login's leave, read or not.
TEST_F(KeptTests, FollowARenamedLoginAndLeaveWithARemovedOne) {
    ASSERT_TRUE(MoveKeptFilesOfLogin(tests, u"a/b", u"eva").result.IsOk());
    tests.RemoveTestsOfLogin(u"jana");
    ReadKeptTestsOf(tests, u"eva");
    EXPECT_EQ(List(), (Listed{{8, u"Peter", false},
                              {7, u"eva", false},
                              {2, kLongLogin, false},
                              {0, u"Peter", true}}));
}

}  // namespace
}  // namespace orvane::test
