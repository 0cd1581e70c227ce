#include <gtest/gtest.h>

#include "server/Session.h"

namespace orvane {
namespace {

// The session's fields, as ParseCommand leaves them line after line.
struct Fields {
    std::u16string cmd = u"-", meno = u"-", heslo = u"-", file = u"-";
    bool Parse(std::string_view line) { return ParseCommand(line, cmd, meno, heslo, file); }
    bool operator==(const Fields&) const = default;
};

TEST(ParseCommandTest, TheShapeOfTheLineNotItsWordDecidesWhichFieldsChange) {
    Fields fields;
    EXPECT_TRUE(fields.Parse(" auth jano tajne\r\n"));
    EXPECT_EQ(fields, (Fields{u"AUTH", u"jano", u"tajne", u"-"}));
    EXPECT_TRUE(fields.Parse("AUTH userdb"));  // one argument: only the file name
    EXPECT_EQ(fields, (Fields{u"AUTH", u"jano", u"tajne", u"userdb"}));
    EXPECT_TRUE(fields.Parse("File  eva\t\r\n"));  // two arguments, the first one empty
    EXPECT_EQ(fields, (Fields{u"FILE", u"", u"eva", u"userdb"}));
    EXPECT_FALSE(fields.Parse("QUIT now"));  // refused, yet its shape replaces the fields
    EXPECT_EQ(fields, (Fields{u"QUIT", u"", u"eva", u"now"}));
    EXPECT_TRUE(fields.Parse("qUiT\r\n"));
    EXPECT_EQ(fields.cmd, u"QUIT");
}

TEST(ParseCommandTest, WordsAloneAndLinesWithThreeSpacesChangeNothing) {
    Fields fields;
    for (const char* line : {"AUTH", "HELLO\r\n", "", "AUTH eva moje heslo", "A b\r\nFILE x y"}) {
        EXPECT_FALSE(fields.Parse(line)) << line;
        EXPECT_EQ(fields, Fields()) << line;
    }
}

TEST(ParseCommandTest, LinesAreUtf8OrElseWindows1250AndEndAtAZeroByte) {
    Fields fields;
    EXPECT_TRUE(fields.Parse("AUTH \xC5\xBEiak \xC5\xA1\xC5\xA5\x61va"));
    EXPECT_EQ(fields.meno + fields.heslo, u"žiakšťava");
    EXPECT_TRUE(
        fields.Parse("AUTH \x9E"
                     "eva \x9A\x9D\x61va"));
    EXPECT_EQ(fields.meno + fields.heslo, u"ževašťava");
    EXPECT_TRUE(fields.Parse(std::string_view("FILE userdb\0/../x", 17)));
    EXPECT_EQ(fields.file, u"userdb");
}

}  // namespace
}  // namespace orvane
