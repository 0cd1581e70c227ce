#include <gtest/gtest.h>

#include <string>

#include "server/Session.h"

namespace orvane {
namespace {

// The session's fields, as ParseCommand leaves them line after line.
struct Fields {
    std::u16string cmd = u"-", meno = u"-", heslo = u"-", file = u"-";

    bool Parse(std::string_view line) { return ParseCommand(line, cmd, meno, heslo, file); }
    bool operator==(const Fields&) const = default;
};

TEST(ParseCommandTest, QuitAloneInAnyLetterCaseWithOrWithoutLineEnd) {
    for (const char* line : {"QUIT", "quit\r\n", " qUiT \t\r\n"}) {
        Fields fields;
        EXPECT_TRUE(fields.Parse(line)) << line;
        EXPECT_EQ(fields.cmd, u"QUIT");
        EXPECT_EQ(fields.file, u"-");
    }
}

TEST(ParseCommandTest, WordsWithoutSpacesAreNotCommandsAndChangeNothing) {
    for (const char* line : {"AUTH", "FILE\r\n", "HELLO", "", "\r\n", "QUITX"}) {
        Fields fields;
        EXPECT_FALSE(fields.Parse(line)) << line;
        EXPECT_EQ(fields, Fields()) << line;
    }
}

TEST(ParseCommandTest, TwoSpacesGiveLoginAndPasswordOneSpaceGivesFileName) {
    Fields fields;
    EXPECT_TRUE(fields.Parse("auth jano tajne\r\n"));
    EXPECT_EQ(fields.cmd, u"AUTH");
    EXPECT_EQ(fields.meno, u"jano");
    EXPECT_EQ(fields.heslo, u"tajne");
    EXPECT_EQ(fields.file, u"-");

    EXPECT_TRUE(fields.Parse("File testdb\r\n"));
    EXPECT_EQ(fields.cmd, u"FILE");
    EXPECT_EQ(fields.file, u"testdb");
    EXPECT_EQ(fields.meno, u"jano");  // kept from the earlier line

    EXPECT_TRUE(fields.Parse("AUTH  x\r\n"));  // two spaces: an empty login
    EXPECT_EQ(fields.meno, u"");
    EXPECT_EQ(fields.heslo, u"x");
    EXPECT_FALSE(fields.Parse("AUTH  \r\n"));  // trailing spaces are trimmed away
    EXPECT_EQ(fields.heslo, u"x");
}

TEST(ParseCommandTest, TheShapeNotTheWordDecidesWhichFieldsChange) {
    Fields fields;
    // FILE with two arguments replaces login and password and keeps the earlier file name.
    ASSERT_TRUE(fields.Parse("FILE quesdb"));
    EXPECT_TRUE(fields.Parse("FILE jano tajne"));
    EXPECT_EQ(fields.cmd, u"FILE");
    EXPECT_EQ(fields.meno, u"jano");
    EXPECT_EQ(fields.file, u"quesdb");
    // AUTH with one argument replaces only the file name.
    EXPECT_TRUE(fields.Parse("AUTH userdb"));
    EXPECT_EQ(fields.cmd, u"AUTH");
    EXPECT_EQ(fields.meno, u"jano");
    EXPECT_EQ(fields.file, u"userdb");
    // A refused word still replaces the fields its shape provides.
    EXPECT_FALSE(fields.Parse("QUIT now"));
    EXPECT_EQ(fields.file, u"now");
    EXPECT_FALSE(fields.Parse("HELLO eva heslo"));
    EXPECT_EQ(fields.meno, u"eva");
    EXPECT_EQ(fields.heslo, u"heslo");
}

TEST(ParseCommandTest, ThreeOrMoreSpacesChangeNothing) {
    Fields fields;
    ASSERT_TRUE(fields.Parse("AUTH jano tajne"));
    const Fields before = fields;
    EXPECT_FALSE(fields.Parse("AUTH eva moje heslo"));
    EXPECT_FALSE(fields.Parse("SAVE a b c d"));
    EXPECT_FALSE(fields.Parse("AUTH jano tajne\r\nFILE testdb"));  // two lines in one receive
    EXPECT_EQ(fields, before);
}

TEST(ParseCommandTest, OnlyTheEndsAreTrimmed) {
    Fields fields;
    EXPECT_TRUE(fields.Parse("\t SAVE moj\tsubor \r\n"));
    EXPECT_EQ(fields.cmd, u"SAVE");
    EXPECT_EQ(fields.file, u"moj\tsubor");
}

TEST(ParseCommandTest, LinesAreReadAsUtf8OrElseAsWindows1250) {
    Fields fields;
    EXPECT_TRUE(fields.Parse("AUTH \xC5\xBEiak \xC5\xA1\xC5\xA5\x61va"));  // UTF-8
    EXPECT_EQ(fields.meno, u"žiak");
    EXPECT_EQ(fields.heslo, u"šťava");
    EXPECT_TRUE(fields.Parse("AUTH \x9Eiak \x9A\x9D\x61va"));  // Windows-1250
    EXPECT_EQ(fields.meno, u"žiak");
    EXPECT_EQ(fields.heslo, u"šťava");
}

TEST(ParseCommandTest, AZeroByteEndsTheLine) {
    Fields fields;
    EXPECT_TRUE(fields.Parse(std::string_view("FILE userdb\0/../x", 17)));
    EXPECT_EQ(fields.file, u"userdb");
    EXPECT_TRUE(fields.Parse(std::string_view("AUTH jano tajne\r\n\0garbage", 25)));
    EXPECT_EQ(fields.heslo, u"tajne");
}

}  // namespace
}  // namespace orvane
