#include <gtest/gtest.h>

#include "common/ExamFolders.h"

namespace orvane::test {
namespace {

using namespace std::chrono;

// A login is one name in its folder: never a path, never hidden, never "." or "..", never
// too long, and never the name of another login; a kept file's name gives back its time.
TEST(ExamFolders, EveryLoginIsOneSafeNameOfItsOwn) {
    for (const auto& [login, name] : std::initializer_list<std::pair<std::u16string, std::string>>{
             {u"ján.novák", "ján.novák"},
             {u"..", "%2E."},
             {u"../x", "%2E.%2Fx"},
             {u"a/b\\c d", "a%2Fb%5Cc%20d"},
             {u"%2F", "%252F"},
             {u"", "%"},
             {std::u16string(1, 0xD800), "%uD800"},
             {u"\U0001F600", "\xF0\x9F\x98\x80"}}) {
        EXPECT_EQ(LoginFileName(login), name);
    }
    const std::u16string longLogin(300, u'ž');
    EXPECT_LE(LoginFileName(longLogin).size(), 128u);
    EXPECT_NE(LoginFileName(longLogin), LoginFileName(longLogin + u"x"));
    const KeptTime time = sys_days(2026y / 3 / 5) + 23h + 59min + 58s + 7us;
    EXPECT_EQ(KeptFileName(time, "testdb_bla"), "20260305T235958.000007Z-testdb_bla");
    EXPECT_EQ(ParseKeptFileName(KeptFileName(time, std::string(300, 'x')))->first, time);
    EXPECT_EQ(KeptFileName(time, std::string(300, 'x')).size(), 255u);
}

}  // namespace
}  // namespace orvane::test
