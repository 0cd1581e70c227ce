// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of the protocol that need no connection: the command line's fields, the markers
// that end an upload, the limits of password guessing, the log of repeated refusals, and the
// names never served. (Command lines in UTF-8 and in Windows-1250 are tested with real logins.)
#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <memory>
#include <optional>
#include <thread>
#include <tuple>

#include "ServerFixture.h"
#include "common/AtomicFile.h"
#include "common/ExamFolders.h"
#include "common/TextCodec.h"
#include "server/KeptSubmission.h"
#include "server/OperatorMessages.h"
#include "server/PasswordLimits.h"
#include "server/RefusalLines.h"
#include "server/ServedNames.h"
#include "server/ServerLog.h"
#include "server/Session.h"
#include "server/UploadScanner.h"
#include "support/TempFolder.h"

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

// A login guessed from one address takes turns there once its mistypes are used up, the pause
// doubling with each refusal, and is refused unchecked beyond ten seconds of turns; the same
// login from another address, and another login from the same address, are checked at once.
// A right password, or time, forgets the guessing. An address that guesses many logins takes
// turns for all of them.
TEST(PasswordLimitsTest, GuessingSlowsDownOnlyWhereItComesFrom) {
    using namespace std::chrono_literals;
    CPasswordLimits limits;
    const auto now = CPasswordLimits::Clock::now();
    constexpr std::uint32_t kGuesser = 2, kOwner = 1;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(limits.TurnOf(u"ziak", kGuesser, now), now);
        limits.Refused(u"ziak", kGuesser, now);
    }
    EXPECT_EQ(limits.TurnOf(u"ziak", kGuesser, now), now);
    EXPECT_EQ(limits.TurnOf(u"ziak", kGuesser, now), now + 1s);
    limits.Refused(u"ziak", kGuesser, now);
    for (const auto turn : {2s, 4s, 6s, 8s, 10s}) {
        EXPECT_EQ(limits.TurnOf(u"ziak", kGuesser, now), now + turn);
    }
    EXPECT_EQ(limits.TurnOf(u"ziak", kGuesser, now), std::nullopt);
    EXPECT_EQ(limits.TurnOf(u"ziak", kOwner, now), now);
    EXPECT_EQ(limits.TurnOf(u"jana", kGuesser, now), now);
    EXPECT_EQ(limits.TurnOf(u"ziak", kGuesser, now + 7min), now + 7min);  // forgotten
    limits.Accepted(u"ziak", kGuesser);
    EXPECT_EQ(limits.TurnOf(u"ziak", kGuesser, now), now);

    for (int i = 0; i < 100; ++i) {
        limits.Refused(u"login" + std::u16string(1, char16_t(u'a' + i % 26)) + char16_t(i), 3, now);
    }
    EXPECT_EQ(limits.TurnOf(u"nikto", 3, now), now);
    EXPECT_EQ(limits.TurnOf(u"ine", 3, now), now + 200ms);
    EXPECT_EQ(limits.TurnOf(u"nikto", kOwner, now), now);
}

// The gap between two turns of a login from one address, taken at `at`: none once it no
// longer guesses, nothing beyond the longest wait.
std::optional<CPasswordLimits::Clock::duration> Gap(CPasswordLimits& limits,
                                                    std::u16string_view login,
                                                    std::uint32_t address,
                                                    CPasswordLimits::Clock::time_point at) {
    const auto first = limits.TurnOf(login, address, at);
    const auto second = limits.TurnOf(login, address, at);
    return first && second ? std::optional(*second - *first) : std::nullopt;
}

// One refusal of a pair is forgotten every three minutes, and the count stops a little above
// the longest pause, so a long attack is forgotten soon after it ends.
TEST(PasswordLimitsTest, RefusalsAgeOutAndTheirCountStopsAtTheLongestPause) {
    using namespace std::chrono_literals;
    struct Row {
        int refusals;
        std::chrono::minutes later;
        std::optional<CPasswordLimits::Clock::duration> gap;
    };
    for (const Row& row : {Row{6, 0min, 2s}, Row{8, 0min, 8s}, Row{8, 9min, 1s}, Row{8, 12min, 0s},
                           Row{20, 0min, std::nullopt}, Row{20, 21min, 1s}, Row{20, 22min, 0s}}) {
        CPasswordLimits limits;
        const auto now = CPasswordLimits::Clock::now();
        for (int i = 0; i < row.refusals; ++i) {
            limits.Refused(u"ziak", 2, now);
        }
        EXPECT_EQ(Gap(limits, u"ziak", 2, now + row.later), row.gap)
            << row.refusals << " " << row.later.count();
    }
}

// When a set is full, a new key takes the place of the one with the fewest refusals, a free
// place before any: a flood of new keys never pushes out one that is being guessed.
TEST(PasswordLimitsTest, AFullSetGivesUpTheKeyWithTheFewestRefusals) {
    using Refusals = std::vector<std::pair<std::u16string, int>>;
    for (const auto& [refusals, guessed] :
         std::initializer_list<std::pair<Refusals, std::u16string>>{
             {{{u"a", 6}, {u"b", 7}, {u"c", 8}, {u"d", 9}, {u"e", 1}}, u"bcd"},
             {{{u"a", 9}, {u"b", 8}, {u"c", 7}, {u"d", 6}, {u"e", 1}}, u"abc"},
             {{{u"a", 6}, {u"b", 6}, {u"c", 6}, {u"e", 1}}, u"abc"},
             {{{u"a", 6}, {u"v", 1}, {u"w", 1}, {u"x", 1}, {u"y", 1}, {u"z", 1}}, u"a"}}) {
        CPasswordLimits limits(1);  // every key in one set of kWays
        const auto now = CPasswordLimits::Clock::now();
        for (const auto& [login, count] : refusals) {
            for (int i = 0; i < count; ++i) {
                limits.Refused(login, 7, now);
            }
        }
        std::u16string delayed;
        for (const auto& [login, count] : refusals) {
            delayed += Gap(limits, login, 7, now) != std::chrono::seconds(0) ? login : u"";
        }
        EXPECT_EQ(ToUtf8(delayed), ToUtf8(guessed)) << ToUtf8(refusals.front().first);
    }
}

TEST(PasswordLimitsTest, SessionPausesGrowWithItsRefusals) {
    using namespace std::chrono_literals;
    for (const auto& [refusals, pause] :
         {std::pair{1, 0ms}, {2, 500ms}, {3, 1000ms}, {4, 2000ms}, {5, 4000ms}, {30, 4000ms}}) {
        EXPECT_EQ(CPasswordLimits::SessionPause(refusals), pause) << refusals;
    }
}

// A kept name that is taken moves the time on by a microsecond, up to sixteen times; a kept
// file whose upload never got into place goes again.
TEST(KeptSubmissionTest, ATakenNameTakesTheNextMicrosecondAndAnUnconfirmedOneGoes) {
    const KeptTime time = std::chrono::sys_days(std::chrono::year(2026) / 3 / 5);
    const std::string folder = SubmissionsFolderOf(u"ziak") + "/";
    for (const auto& [taken, confirmed, kept] :
         {std::tuple{0, true, 0}, {2, true, 2}, {1, false, -1}, {16, true, -1}}) {
        test::TempFolder temporary;
        ASSERT_TRUE(MakePrivateFolder(SubmissionsFolderOf(u"ziak")).IsOk());
        for (int i = 0; i < taken; ++i) {
            test::WriteBytes(folder + KeptFileName(time + std::chrono::microseconds(i), "nove"),
                             {});
        }
        CAtomicFile upload;
        ASSERT_TRUE(upload.Open("nove") && upload.Write("a", 1));
        {
            CKeptSubmission submission(u"ziak", u"nove", upload, 0, time);
            if (confirmed) {
                const std::string path = submission.Confirm();
                EXPECT_EQ(path, kept < 0
                                    ? ""
                                    : folder + KeptFileName(time + std::chrono::microseconds(kept),
                                                            "nove"));
            }
        }
        EXPECT_EQ(KeptFileNames(folder).size(),
                  static_cast<std::size_t>(taken + (kept < 0 ? 0 : 1)))
            << taken;
    }
}

// A sink that a session is calling when the host clears it and lets it go lives until the call
// returns, whichever sink it is.
TEST(SharedSinkTest, ASinkClearedDuringACallGoesOnlyOnceTheCallReturns) {
    struct Sink : COperatorMessages, CServerLog {
        void Show(const std::string& message) override { Write(Level::Info, message); }
        void Write(Level, const std::string& line) override {
            entered.set_value();
            release.wait();
            got = line;  // the object is still there
        }
        std::promise<void> entered;
        std::shared_future<void> release;
        std::string got;
    };
    using Install = void (*)(const std::shared_ptr<Sink>&);
    using Call = void (*)();
    for (const auto& [install, call] :
         {std::pair<Install, Call>{[](const auto& sink) { SetOperatorMessages(sink); },
                                   [] { ShowOperatorMessage("x"); }},
          std::pair<Install, Call>{[](const auto& sink) { SetServerLog(sink); },
                                   [] { WriteServerLog(CServerLog::Level::Info, "x"); }}}) {
        auto sink = std::make_shared<Sink>();
        std::promise<void> release;
        sink->release = release.get_future().share();
        const std::weak_ptr<Sink> watched = sink;
        install(sink);
        std::thread session(call);
        sink->entered.get_future().wait();
        install(nullptr);
        sink.reset();
        EXPECT_FALSE(watched.expired());
        release.set_value();
        session.join();
        EXPECT_TRUE(watched.expired());
    }
}

// The same refusal of a login from an address: the first ones each have their line, the rest
// of the window is one line with their count, written when the window has ended.
TEST(RefusalLinesTest, RepeatsAreCountedInOneLineAndTheFirstOnesKeepTheirOwn) {
    using namespace std::chrono_literals;
    test::RecordedLog log;
    SetServerLog(test::Unowned(log));
    CRefusalLines lines;
    const auto now = CRefusalLines::Clock::now();
    const auto refuse = [&](std::uint32_t address, int port, auto at) {
        const std::string peer = "127.0.0." + std::to_string(address);
        lines.Write("AUTH refused", u"ziak", address,
                    ": login ziak, peer " + peer + ":" + std::to_string(port), now + at);
    };
    for (int i = 0; i < 25; ++i) {
        refuse(2, 1000 + i, i * 10ms);
    }
    refuse(3, 5, 1s);
    lines.Flush(now + 9s);
    const auto first = log.Lines();
    lines.Flush(now + 10s);
    refuse(2, 7, 11s);
    SetServerLog(nullptr);
    const std::string own = "4 AUTH refused: login ziak, peer 127.0.0.2:P";
    EXPECT_EQ(std::count(first.begin(), first.end(), own), 20);
    EXPECT_EQ(first.size(), 21u);
    EXPECT_EQ(log.Lines().back(), own);
    EXPECT_EQ(log.Lines().at(21),
              "4 AUTH refused, 5 more times within 10 s: login ziak, peer 127.0.0.2:P");
}

// Plain names only; of them, dumps, exports, backups and editor files are never downloaded.
TEST(ServedNamesTest, DumpsBackupsAndEditorFilesAreNeverServed) {
    for (const char16_t* name :
         {u"users.json", u"TRIEDA.CSV", u"userdb.bak", u"testdb~", u"quesdb.swp", u"#testdb#",
          u"zaloha.tar.gz", u"core", u"core.1234", u"server.log", u"userdb.old"}) {
        EXPECT_TRUE(IsServedName(name) && IsNeverServed(name)) << ToUtf8(name);
    }
    for (const char16_t* name : {u"testdb", u"zadanie.txt", u"corel", u"json", u"a#"}) {
        EXPECT_TRUE(IsServedName(name) && !IsNeverServed(name)) << ToUtf8(name);
    }
}

// Nothing a client sends can end a line, pass for a space, or turn the line around.
TEST(LogTextTest, ControlsSpacesSeparatorsAndBidiAreEscaped) {
    for (const auto& [text, logged] : {std::pair{u"a\nb\\", "a\\x0Ab\\x5C"},
                                       {u"a\u0085b\u00A0c", "a\\x85b\\xA0c"},
                                       {u"x\u2028y\u2029z", "x\\u2028y\\u2029z"},
                                       {u"\u202Eab\u2066", "\\u202Eab\\u2066"},
                                       {u"a\u2003b\u3000\u200B", "a\\u2003b\\u3000\\u200B"},
                                       {u"\xD800", "\\uD800"},
                                       {u"žiak\U0001F600", "žiak\U0001F600"}}) {
        EXPECT_EQ(LogText(text), logged);
    }
}

}  // namespace
}  // namespace orvane
