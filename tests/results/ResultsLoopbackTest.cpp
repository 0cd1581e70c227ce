// SPDX-License-Identifier: GPL-3.0-or-later
// An exam from start to finish over the loopback: three students download their kept tests
// through the server and upload their answers (one right, one half right, one late), and
// orvane-db gives the results.
#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>

#include "ResultsFiles.h"
#include "common/TextCodec.h"
#include "exam/KeptTests.h"
#include "orvane-db/ToolRun.h"
#include "results/ExamRuns.h"
#include "results/Submission.h"
#include "ServerFixture.h"
#include "support/ExamFixtures.h"

namespace orvane::test {
namespace {

class ResultsLoopbackTest : public ServerTest {};

TEST_F(ResultsLoopbackTest, ScoresWhatStudentsUploaded) {
    WriteUsersFile({{u"ucitel", u"Učiteľ", u"tajne", true},
                    {u"jano", u"Ján", u"heslo", false},
                    {u"fero", u"Fero", u"heslo", false},
                    {u"zuza", u"Zuzana", u"heslo", false}});
    const KeptTime now = std::chrono::floor<std::chrono::microseconds>(
        std::chrono::system_clock::now());
    const std::vector<std::pair<std::u16string, Answers>> students = {
        {u"jano", Answers{}},
        {u"fero", Answers{{1, 0, 1}, {1, 0, 2, 3}, "free=2 busy; start: free -> busy"}},
        {u"zuza", Answers{}}};
    std::vector<KeptTest> kept;
    for (std::size_t i = 0; i < students.size(); ++i) {
        // zuza's test was generated 40 minutes ago: her 30 minutes are over.
        const KeptTime generated = i == 2 ? now - std::chrono::minutes(40) : now;
        kept.push_back({nullptr, KeepTest(ExamTest(int(i) + 5, students[i].first, false),
                                          generated), {}});
    }
    ASSERT_TRUE(RecordExamRun(kept).IsOk());
    for (const auto& [login, answers] : students) {
        LoopbackClient client = LoginAs(ToUtf8(login), "heslo");
        const std::string reply = Download(client, "testdb");
        ASSERT_TRUE(reply.starts_with(kAllowed) && reply.ends_with(kSent));
        WriteText(".downloaded", reply.substr(std::strlen(kAllowed),
                                              reply.size() - std::strlen(kAllowed) -
                                                  std::strlen(kSent)));
        CFileResult loaded;
        const auto test = LoadOneTest(".downloaded", loaded);
        ASSERT_NE(test, nullptr) << loaded.Reason();
        Answer(*test, answers);
        WriteTestFile(".upload", test);
        Upload(client, "testdb_bla", ReadText(".upload"));
    }
    const ToolRun run = Tool("results .");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto table = nlohmann::json::parse(run.out);
    std::vector<std::tuple<std::string, double, std::string>> rows;
    for (const auto& student : table["students"]) {
        rows.emplace_back(student["login"], student["total"], student["state"]);
    }
    EXPECT_EQ(rows, (std::vector<std::tuple<std::string, double, std::string>>{
                        {"fero", 8.0, "pending"}, {"jano", 15.0, "submitted"},
                        {"zuza", 15.0, "late"}}));
    EXPECT_EQ(table["students"][1]["name"], "Ján");
    const ToolRun unreadable = Tool("results ./missing");
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_EQ(unreadable.err,
              "orvane-db: ./missing: cannot read the folder: No such file or directory\n");
}

}  // namespace
}  // namespace orvane::test
