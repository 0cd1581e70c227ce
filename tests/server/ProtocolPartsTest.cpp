// The parts of the protocol that need no connection: the command line's fields, the markers
// that end an upload, and the turns of a login being guessed. (Command lines in UTF-8 and in
// Windows-1250 are tested with real logins.)
#include <gtest/gtest.h>

#include "server/LoginThrottle.h"
#include "server/Session.h"
#include "server/UploadScanner.h"

namespace orvane {
namespace {

// The session's fields, as ParseCommand leaves them line after line.
struct Fields {
    std::u16string cmd = u"-", meno = u"-", heslo = u"-", file = u"-";
    bool Parse(std::string_view line) { return ParseCommand(line, cmd, meno, heslo, file); }
    bool operator==(const Fields&) const = default;
};

// Words alone and lines with three spaces change nothing; otherwise the shape of the line, not
// its command word, decides which fields change.
TEST(ParseCommandTest, TheShapeOfTheLineNotItsWordDecidesWhichFieldsChange) {
    Fields fields;
    for (const char* line : {"AUTH", "HELLO\r\n", "", "AUTH eva moje heslo", "A b\r\nFILE x y"}) {
        EXPECT_FALSE(fields.Parse(line)) << line;
        EXPECT_EQ(fields, Fields()) << line;
    }
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
    EXPECT_TRUE(fields.Parse(std::string_view("FILE userdb\0/../x", 17)));  // ends at a zero byte
    EXPECT_EQ(fields.file, u"userdb");
}

using Outcome = CUploadScanner::Outcome;

struct Scanned {
    Outcome outcome = Outcome::More;
    std::string data;
};

// Feeds the text in receives cut at `cuts` until the first marker decides. The bytes that the
// scanner holds back come again in front of the next receive, as they lie in the text.
Scanned Scan(const std::string& text, std::vector<std::size_t> cuts = {}) {
    CUploadScanner scanner;
    Scanned scanned;
    std::size_t passed = 0;  // the bytes passed on as file content
    cuts.push_back(text.size());
    for (const std::size_t cut : cuts) {
        const auto* pending = reinterpret_cast<const std::uint8_t*>(text.data()) + passed;
        const CUploadScanner::Result result = scanner.Feed(std::span(pending, cut - passed));
        scanned.outcome = result.outcome;
        passed += result.content;
        if (result.outcome != Outcome::More) {
            break;
        }
    }
    scanned.data = text.substr(0, passed);
    return scanned;
}

TEST(UploadScannerTest, EndMarkerEndsTheFileWhereverTheReceivesAreCut) {
    const std::string upload = "a #Fil #\r\n#File sent successfully.\r\n";
    for (std::size_t cut = 0; cut <= upload.size(); ++cut) {
        const Scanned scanned = Scan(upload, {cut});
        EXPECT_EQ(scanned.outcome, Outcome::Ended) << cut;
        EXPECT_EQ(scanned.data, "a #Fil #\r\n") << cut;
    }
    EXPECT_EQ(Scan("ab#Fi", {1, 3, 4}).data, "ab");  // held back while it may be a marker
    EXPECT_EQ(Scan("ab#Fix", {5}).data, "ab#Fix");   // and given as data once it is not
}

TEST(UploadScannerTest, AbortMarkerCountsWhenItBeginsInTheFirst256BytesAndBeforeTheEnd) {
    for (const std::size_t cut : {0u, 254u, 256u, 257u, 260u}) {
        EXPECT_EQ(Scan(std::string(255, 'a') + "!File", {cut}).outcome, Outcome::Aborted);
        const Scanned late = Scan(std::string(256, 'a') + "!File#File", {cut});
        EXPECT_EQ(late.outcome, Outcome::Ended);
        EXPECT_EQ(late.data, std::string(256, 'a') + "!File");
    }
    // The marker that comes first decides.
    EXPECT_EQ(Scan("x#File!File").outcome, Outcome::Ended);
    EXPECT_EQ(Scan("x!File#File").outcome, Outcome::Aborted);
    EXPECT_EQ(Scan("#Fi!File", {3}).outcome, Outcome::Aborted);
    EXPECT_EQ(Scan("##File", {1}).data, "#");
}

// After three refusals a login's attempts take turns a second apart, queued for ten seconds at
// the most: one beyond is refused unchecked, so a flood cannot push the owner's turn away.
TEST(LoginThrottleTest, TurnsOfAGuessedLoginComeASecondApartForTenSecondsAtMost) {
    CLoginThrottle throttle;
    const auto now = CLoginThrottle::Clock::now();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(throttle.TurnOf(u"ziak", now), now);
        throttle.Refused(u"ziak", now);
    }
    for (int i = 0; i <= 10; ++i) {
        EXPECT_EQ(throttle.TurnOf(u"ziak", now), now + std::chrono::seconds(i));
    }
    EXPECT_EQ(throttle.TurnOf(u"ziak", now), std::nullopt);
    EXPECT_EQ(throttle.TurnOf(u"jana", now), now);
}

}  // namespace
}  // namespace orvane
