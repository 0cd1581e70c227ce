// SPDX-License-Identifier: GPL-3.0-or-later
// The results of one exam over real kept files: the checks on every submission, the similar
// answers, the teacher's decisions and the CSV.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "ResultsFiles.h"
#include "common/TextCodec.h"
#include "common/DataFolder.h"
#include "results/ResultsCsv.h"
#include "results/ResultsTable.h"
#include "support/TempFolder.h"

namespace orvane::test {
namespace {

class ResultsTableTest : public InTempFolder {
protected:
    // One kept test per login, generated at minute 0.
    std::string Keep(std::u16string_view login, std::int32_t id) {
        const std::string path = KeepTest(ExamTest(id, login, false), At(0));
        kept.push_back({path, At(0), id});
        return path;
    }
    SResultsTable Table() {
        return BuildResultsTable({"run", At(0), true, kept}, {{u"jano", u"Ján Novák"}});
    }
    const SStudentResult& Row(const SResultsTable& table, std::u16string_view login) {
        for (const SStudentResult& student : table.students) {
            if (student.login == login) {
                return student;
            }
        }
        throw std::runtime_error("no row");
    }
    std::vector<SRunTest> kept;
};

struct SCheckCase {
    const char* name;
    int minute;
    std::function<void(CPNTest&)> change;
    ResultState state;
    const char16_t* total;
};

class SubmissionCheckTest : public ResultsTableTest,
                            public testing::WithParamInterface<SCheckCase> {};

TEST_P(SubmissionCheckTest, SaysWhatIsWrongWithASubmission) {
    const std::string path = Keep(u"jano", 7);
    Submit(path, At(GetParam().minute), Answers{}, GetParam().change);
    const SResultsTable table = Table();
    const SStudentResult& row = Row(table, u"jano");
    EXPECT_EQ(row.state, GetParam().state) << ToUtf8(StateText(row.state));
    EXPECT_EQ(PointsText(row.total), GetParam().total);
    EXPECT_EQ(row.name, u"Ján Novák");
}

void ClearKeys(CPNTest& test) {
    for (const auto& question : test.Questions()) {
        for (std::int32_t i = 0; i < question->GetItemCount(); ++i) {
            question->SetKeyFlag(i, false);
            question->SetKeyPair(i, -1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Checks, SubmissionCheckTest,
    testing::Values(
        SCheckCase{"RightInTime", 29, {}, ResultState::Submitted, u"15,0"},
        // A key changed inside the upload counts for nothing: the kept key scores it.
        SCheckCase{"ChangedKeyInUpload", 10, ClearKeys, ResultState::Submitted, u"15,0"},
        SCheckCase{"Late", 42, {}, ResultState::Late, u"15,0"},
        SCheckCase{"OtherTestId", 10, [](CPNTest& test) { test.SetId(8); }, ResultState::Mismatch,
                   u"0,0"},
        SCheckCase{"ChangedQuestionText", 10,
                   [](CPNTest& test) { test.Questions().begin()->get()->SetText(u"iné"); },
                   ResultState::Mismatch, u"0,0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ResultsTableTest, NamesLatenessAndFilesThatDoNotLoad) {
    Submit(Keep(u"jano", 7), At(42), Answers{});
    const std::string broken = Submit(Keep(u"fero", 8), At(10), Answers{});
    WriteBytes(broken, {1, 2, 3});
    WriteBytes(Keep(u"eva/x", 9), {1});  // a kept test that does not load names its login
    const SResultsTable table = Table();
    EXPECT_FALSE(Row(table, u"eva/x").keptLoaded.IsOk());
    EXPECT_EQ(Row(table, u"jano").Latest()->lateMinutes, 12);
    const SStudentResult& fero = Row(table, u"fero");
    EXPECT_EQ(fero.state, ResultState::Mismatch);
    EXPECT_EQ(fero.Latest()->loaded.GetKind(), CFileResult::Kind::Malformed);
    EXPECT_TRUE(fero.Latest()->mismatch.starts_with(u"súbor sa nedá načítať: "));
}

TEST_F(ResultsTableTest, ListsTheSameWrongAnswersTogether) {
    const Answers wrong{{1, 1, 0},
                        {1, 0, 2, 3},
                        "free=2 busy; start: free -> busy; "
                        "stop: busy -> free"};
    Submit(Keep(u"jano", 7), At(10), wrong);
    Submit(Keep(u"fero", 8), At(11), wrong);
    Submit(Keep(u"zuza", 9), At(12), Answers{{1, 1, 0}});
    Submit(Keep(u"miro", 10), At(12), Answers{});
    std::vector<std::pair<std::int32_t, std::vector<std::u16string>>> groups;
    for (const SSimilarGroup& group : Table().similar) {
        groups.emplace_back(group.questionId, group.logins);
    }
    using Logins = std::vector<std::u16string>;
    EXPECT_EQ(groups,
              (std::vector<std::pair<std::int32_t, Logins>>{{1, Logins{u"fero", u"jano", u"zuza"}},
                                                            {2, Logins{u"fero", u"jano"}},
                                                            {3, Logins{u"fero", u"jano"}}}));
}

TEST_F(ResultsTableTest, DecisionsSurviveARestartAndALaterSubmission) {
    const std::string path = Keep(u"jano", 7);
    Submit(path, At(10), Answers{{1, 1, 0}});
    {
        SResultsTable table = Table();
        SStudentResult& row = table.students.at(0);
        auto& decision = row.decisions[row.Latest()->name];
        decision.questions[1] = {4.5, u"uznané\tčiastočne"};
        decision.accepted = true;
        ASSERT_TRUE(SaveStudentDecisions(row).IsOk());
    }
    struct stat info {};
    ASSERT_EQ(::stat(DecisionsPathOf(u"jano").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    SResultsTable again = Table();
    EXPECT_EQ(again.students[0].state, ResultState::Decided);
    EXPECT_EQ(PointsText(again.students[0].total), u"13,5");
    EXPECT_EQ(again.students[0].points[0].note, u"uznané\tčiastočne");

    Submit(path, At(20), Answers{});  // the new one is not decided, the earlier one stays
    SResultsTable later = Table();
    EXPECT_EQ(later.students[0].state, ResultState::Submitted);
    EXPECT_EQ(later.students[0].submissions.size(), 2u);
    EXPECT_TRUE(later.students[0].decisions.at(later.students[0].submissions[1].name).accepted);

    WriteBytes(DecisionsPathOf(u"jano"), {'?'});  // what did not read is never replaced
    EXPECT_FALSE(SaveStudentDecisions(Table().students[0]).IsOk());
    EXPECT_EQ(ReadBytes(DecisionsPathOf(u"jano")), std::vector<std::uint8_t>{'?'});
}

TEST_F(ResultsTableTest, CsvHoldsTheTableNumbers) {
    Submit(Keep(u"jano", 7), At(10), Answers{{1, 0, 0}, {1, 0, 2, 3}});
    Keep(u"fero", 8);
    const std::string csv = ResultsCsv(Table());
    std::vector<std::vector<std::string>> rows;
    std::size_t from = 3;  // after the byte-order mark
    ASSERT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    for (std::size_t end = csv.find("\r\n", from); end != std::string::npos;
         end = csv.find("\r\n", from)) {
        std::vector<std::string>& row = rows.emplace_back();
        std::string line = csv.substr(from, end - from) + ";";
        for (std::size_t cut = line.find(';'); cut != std::string::npos; cut = line.find(';')) {
            row.push_back(line.substr(0, cut));
            line.erase(0, cut + 1);
        }
        from = end + 2;
    }
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"Login", "Meno", "Odovzdané", "Otázka 1", "Otázka 2",
                                        "Otázka 3", "Spolu", "Maximum", "Percento", "Stav"}));
    EXPECT_EQ(std::vector(rows[1].begin() + 3, rows[1].end()),
              (std::vector<std::string>{"", "", "", "", "15,0", "", "neodovzdal"}));
    EXPECT_EQ(std::vector(rows[2].begin() + 3, rows[2].end()),
              (std::vector<std::string>{"3,0", "2,0", "5,0", "10,0", "15,0", "66,7", "odovzdal"}));
}

// Recorded runs hold what the generator kept; older tests are grouped by their times.
TEST_F(ResultsTableTest, FindsTheTestsOfEachRun) {
    Keep(u"jano", 1);
    KeepTest(ExamTest(2, u"fero", false), At(1));
    KeepTest(ExamTest(3, u"jano", false), At(60));
    const std::string path = KeepTest(ExamTest(4, u"fero", false), At(90));
    ASSERT_TRUE(RecordExamRun({{nullptr, path, {}}}).IsOk());
    std::vector<std::pair<bool, std::vector<std::int32_t>>> runs;
    for (const SExamRun& run : ExamRuns()) {
        std::vector<std::int32_t> ids;
        for (const SRunTest& test : run.tests) {
            ids.push_back(test.testId);
        }
        runs.emplace_back(run.recorded, ids);
    }
    using Ids = std::vector<std::int32_t>;
    EXPECT_EQ(runs, (std::vector<std::pair<bool, Ids>>{
                        {true, Ids{4}}, {false, Ids{3}}, {false, Ids{1, 2}}}));
}

// The exports never go into the served folder, however the path is written.
class ExportPlaceTest : public InTempFolder,
                        public testing::WithParamInterface<std::pair<const char*, bool>> {};

TEST_P(ExportPlaceTest, RefusesTheServedFolder) {
    std::filesystem::create_directories("work/out");
    std::filesystem::create_directory_symlink("work", "link");
    const std::string path = std::string(GetParam().first);
    const std::string absolute = std::filesystem::current_path().string() + "/" + path;
    EXPECT_EQ(WouldBeServed(path, "work"), GetParam().second) << path;
    EXPECT_EQ(WouldBeServed(absolute, "work"), GetParam().second) << absolute;
}

INSTANTIATE_TEST_SUITE_P(Paths, ExportPlaceTest,
                         testing::Values(std::pair{"work/vysledky.csv", true},
                                         std::pair{"work/out/../vysledky.pdf", true},
                                         std::pair{"link/vysledky.csv", true},
                                         std::pair{"work/./vysledky", true},
                                         std::pair{"work/out/vysledky.csv", false},
                                         std::pair{"vysledky.csv", false},
                                         std::pair{"missing/vysledky.csv", false}));

}  // namespace
}  // namespace orvane::test
