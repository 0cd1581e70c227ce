#include "generator/TestDraw.h"

#include <gtest/gtest.h>

#include <set>

#include "common/RandomSource.h"
#include "support/ExamFixtures.h"

namespace orvane {
namespace {

using test::Account;
using test::MakeQuestion;
using test::MakeTest;

constexpr int kChoose = 0;
constexpr int kFillIn = 2;
constexpr int kDrawNet = 5;

class TestDrawTest : public ::testing::Test {
protected:
    void SetUp() override { ResetRandomSource(); }

    // Pool questions in list order, front first.
    void SetPool(const std::vector<std::shared_ptr<CPNQuestion>>& questions) {
        pool = MakeTest(0, u"", true, questions);
    }

    CTestDraw Draw(const std::u16string& login = u"ucitel",
                   const std::u16string& password = u"tajne") {
        return CTestDraw(*users, tests, *pool, login, password);
    }

    // The rows with their whole counts, as the window shows them at opening.
    CTestDraw::Rows Rows(CTestDraw& draw) {
        CTestDraw::Rows rows;
        for (int row = 0; row < CTestDraw::kRowCount; ++row) {
            rows[row].available = draw.CountAll(row);
        }
        return rows;
    }

    std::vector<std::shared_ptr<CPNTest>> Tests() {
        std::vector<std::shared_ptr<CPNTest>> all;
        if (tests.First()) {
            do {
                all.push_back(tests.Current());
            } while (tests.Next());
        }
        return all;
    }

    static std::vector<std::int32_t> QuestionIds(CPNTest& test) {
        std::vector<std::int32_t> ids;
        if (test.FirstQuestion()) {
            do {
                ids.push_back(test.CurrentQuestion()->GetId());
            } while (test.NextQuestion());
        }
        return ids;
    }

    // Walked as: jana, peter, ucitel, eva (the reverse of the order given).
    std::unique_ptr<CPNUserDB> users = test::MakeUsers({
        {u"eva", u"Eva Učiteľka", u"e", true},
        {u"ucitel", u"Učiteľ", u"tajne", true},
        {u"peter", u"Peter Novák", u"p", false},
        {u"jana", u"Jana Kováčová", u"j", false},
    });
    CPNTestDB tests;
    std::shared_ptr<CPNTest> pool = std::make_shared<CPNTest>();
};

TEST_F(TestDrawTest, RowsFollowTheWindowsOrderOfKinds) {
    const std::vector<QuestionKind> kinds = {QuestionKind::ChooseAnswers,
                                             QuestionKind::ConnectRelated,
                                             QuestionKind::FillInAnswer,
                                             QuestionKind::CompleteNet,
                                             QuestionKind::CompleteNetByRequirements,
                                             QuestionKind::DrawNet,
                                             QuestionKind::DrawNetByRequirements,
                                             QuestionKind::DrawNetNoCorrection};
    for (int row = 0; row < CTestDraw::kRowCount; ++row) {
        EXPECT_EQ(CTestDraw::KindOfRow(row), kinds[row]);
        EXPECT_EQ(CTestDraw::RowOfKind(kinds[row]), row);
    }
    EXPECT_EQ(CTestDraw::RowOfKind(QuestionKind::Unset), -1);
    EXPECT_EQ(CTestDraw::RowOfKind(static_cast<QuestionKind>(2003)), -1);
}

TEST_F(TestDrawTest, EachRowHasItsOwnMessage) {
    const std::vector<std::u16string> names = {u"Vyber správne odpovede",
                                               u"Spoj súvisiace",
                                               u"Dopíš odpoveď",
                                               u"Dokonči PN",
                                               u"Dokonči PN podľa požiadaviek",
                                               u"Nakresli PN",
                                               u"Nakresli PN podľa požiadaviek",
                                               u"Nakresli PN (bez opravy)"};
    for (int row = 0; row < CTestDraw::kRowCount; ++row) {
        EXPECT_EQ(CTestDraw::TooManyMessage(row),
                  u"Požadovaný počet otázok '" + names[row] +
                      u"' je väčší ako celkový počet týchto otázok. Test nie je možné zostaviť.");
    }
}

TEST_F(TestDrawTest, PointsTextIsReadAsOneWholeNumber) {
    EXPECT_EQ(CTestDraw::ParsePoints(u"5"), 5);
    EXPECT_EQ(CTestDraw::ParsePoints(u" 12 "), 12);
    EXPECT_EQ(CTestDraw::ParsePoints(u"-3"), -3);
    EXPECT_EQ(CTestDraw::ParsePoints(u"32767"), 32767);
    EXPECT_EQ(CTestDraw::ParsePoints(u""), 0);
    EXPECT_EQ(CTestDraw::ParsePoints(u"abc"), 0);
    EXPECT_EQ(CTestDraw::ParsePoints(u"5x"), 0);
    EXPECT_EQ(CTestDraw::ParsePoints(u"-"), 0);
    EXPECT_EQ(CTestDraw::ParsePoints(u"40000"), 0);
    EXPECT_EQ(CTestDraw::ParsePoints(u"99999999999"), 0);
}

TEST_F(TestDrawTest, CountsTheQuestionsOfEachRowAndSkipsOtherKinds) {
    SetPool({MakeQuestion(QuestionKind::ChooseAnswers, 1, u"a", 10),
             MakeQuestion(QuestionKind::Unset, 2, u"b", 10),
             MakeQuestion(QuestionKind::ChooseAnswers, 3, u"c", 5), MakeQuestion(2003, 4, u"d", 10),
             MakeQuestion(QuestionKind::ChooseAnswers, 5, u"e", 10),
             MakeQuestion(QuestionKind::FillInAnswer, 6, u"f", 1)});
    CTestDraw draw = Draw();
    EXPECT_EQ(draw.CountAll(kChoose), 3);
    EXPECT_EQ(draw.CountAll(kFillIn), 1);
    EXPECT_EQ(draw.CountAll(kDrawNet), 0);
    EXPECT_EQ(draw.CountWithPoints(kChoose, 10), 2);
    EXPECT_EQ(draw.CountWithPoints(kChoose, 7), 0);
    EXPECT_EQ(draw.PointTexts(kChoose), (std::vector<std::u16string>{u"10", u"5"}));
    EXPECT_TRUE(draw.PointTexts(kDrawNet).empty());
}

TEST_F(TestDrawTest, ARequestAboveTheAvailableCountMakesNothing) {
    SetPool({MakeQuestion(QuestionKind::DrawNet, 1, u"a"),
             MakeQuestion(QuestionKind::DrawNet, 2, u"b"),
             MakeQuestion(QuestionKind::DrawNet, 3, u"c"),
             MakeQuestion(QuestionKind::ChooseAnswers, 4, u"d")});
    CTestDraw draw = Draw();
    CTestDraw::Rows rows = Rows(draw);
    rows[kDrawNet].requested = 4;
    rows[7].requested = 1;  // a later row is not looked at
    const CTestDraw::Result result = draw.Generate(rows, 10);
    EXPECT_EQ(result.outcome, CTestDraw::Outcome::TooMany);
    EXPECT_EQ(result.row, kDrawNet);
    EXPECT_TRUE(tests.IsEmpty());
    EXPECT_EQ(NextRandom(), 41) << "nothing was drawn";
}

TEST_F(TestDrawTest, EveryStudentGetsOneTestWithTheNextFreeIds) {
    tests.AddTest(MakeTest(0, u"jana", false));
    tests.AddTest(MakeTest(1, u"jana", false));
    tests.AddTest(MakeTest(3, u"peter", false));
    CTestDraw draw = Draw();
    const CTestDraw::Result result = draw.Generate(Rows(draw), 45);
    EXPECT_EQ(result.outcome, CTestDraw::Outcome::Done);
    EXPECT_EQ(result.testsMade, 2);
    const auto all = Tests();
    ASSERT_EQ(all.size(), 5u);
    // Students in database order, each new test at the front: peter's is first.
    EXPECT_EQ(all[0]->GetLogin(), u"peter");
    EXPECT_EQ(all[0]->GetId(), 4);
    EXPECT_EQ(all[1]->GetLogin(), u"jana");
    EXPECT_EQ(all[1]->GetId(), 2);
    for (int made = 0; made < 2; ++made) {
        EXPECT_TRUE(all[made]->GetToBeWorkedOut());
        EXPECT_EQ(all[made]->GetTimeLimit(), 2700);
        EXPECT_TRUE(all[made]->IsEmpty());
    }
}

TEST_F(TestDrawTest, ATimeLimitBeyondThirtyTwoBitsOfSecondsDoesNotWrap) {
    CTestDraw draw = Draw();
    draw.Generate(Rows(draw), 999999999);
    ASSERT_TRUE(tests.First());
    EXPECT_EQ(tests.Current()->GetTimeLimit(), 59999999940LL);
}

TEST_F(TestDrawTest, NothingIsMadeForAnActingAdministratorWhoIsNoTeacher) {
    for (const auto& [login, password] : std::vector<std::pair<std::u16string, std::u16string>>{
             {u"jana", u"j"}, {u"ucitel", u"wrong"}, {u"nobody", u""}}) {
        CTestDraw draw = Draw(login, password);
        CTestDraw::Rows rows = Rows(draw);
        rows[kDrawNet].requested = 5;  // not even checked
        const CTestDraw::Result result = draw.Generate(rows, 10);
        EXPECT_EQ(result.outcome, CTestDraw::Outcome::Done);
        EXPECT_EQ(result.testsMade, 0);
    }
    EXPECT_TRUE(tests.IsEmpty());
}

// The random values from the start are 41, 18467, 6334, ...; each draw starts at the value
// modulo the number of questions per test (3 here, not the pool's 5), walks on past questions
// that do not fit, and puts the one it takes at the front of the test.
TEST_F(TestDrawTest, DrawStartsAtTheRandomValueModuloTheQuestionsPerTest) {
    std::vector<std::shared_ptr<CPNQuestion>> questions;
    for (int id = 10; id < 15; ++id) {
        questions.push_back(MakeQuestion(QuestionKind::DrawNet, id, u"q"));
    }
    SetPool(questions);
    users = test::MakeUsers({{u"ucitel", u"U", u"tajne", true}, {u"jana", u"J", u"j", false}});
    CTestDraw draw = Draw();
    CTestDraw::Rows rows = Rows(draw);
    rows[kDrawNet].requested = 3;
    ASSERT_EQ(draw.Generate(rows, 0).testsMade, 1);
    ASSERT_TRUE(tests.First());
    // 41 % 3 = 2 takes 12; 18467 % 3 = 2 finds 12 again and walks on to 13; 6334 % 3 = 1
    // takes 11.
    EXPECT_EQ(QuestionIds(*tests.Current()), (std::vector<std::int32_t>{11, 13, 12}));
}

TEST_F(TestDrawTest, TheWalkWrapsFromTheLastQuestionToTheFirst) {
    SetPool({MakeQuestion(QuestionKind::DrawNet, 0, u"a"),
             MakeQuestion(QuestionKind::DrawNet, 1, u"b"),
             MakeQuestion(QuestionKind::DrawNet, 2, u"c")});
    users = test::MakeUsers({{u"ucitel", u"U", u"tajne", true}, {u"jana", u"J", u"j", false}});
    CTestDraw draw = Draw();
    CTestDraw::Rows rows = Rows(draw);
    rows[kDrawNet].requested = 3;
    draw.Generate(rows, 0);
    ASSERT_TRUE(tests.First());
    // 41 % 3 = 2 takes c; 18467 % 3 = 2 finds c, wraps and takes a; 6334 % 3 = 1 takes b.
    EXPECT_EQ(QuestionIds(*tests.Current()), (std::vector<std::int32_t>{1, 0, 2}));
}

TEST_F(TestDrawTest, WithoutTheFilterDrawnQuestionsGetTheRowsPoints) {
    const auto a = MakeQuestion(QuestionKind::ChooseAnswers, 1, u"a", 1);
    const auto b = MakeQuestion(QuestionKind::ChooseAnswers, 2, u"b", 2);
    const auto c = MakeQuestion(QuestionKind::DrawNet, 3, u"c", 3);
    SetPool({a, b, c});
    CTestDraw draw = Draw();
    CTestDraw::Rows rows = Rows(draw);
    rows[kChoose].requested = 2;
    rows[kChoose].points = 7;
    rows[kDrawNet].requested = 1;  // nothing chosen in its combo: 0 points
    ASSERT_EQ(draw.Generate(rows, 0).testsMade, 2);
    // Tests hold the pool's own questions, so the points show in the pool and in every test.
    EXPECT_EQ(a->GetPoints(), 7);
    EXPECT_EQ(b->GetPoints(), 7);
    EXPECT_EQ(c->GetPoints(), 0);
    for (const auto& made : Tests()) {
        ASSERT_TRUE(made->SelectQuestion(1));
        EXPECT_EQ(made->CurrentQuestion(), a);
        EXPECT_EQ(made->GetQuestionCount(), 3);
    }
}

TEST_F(TestDrawTest, WithTheFilterOnlyQuestionsWithThosePointsAreDrawnAndKeepThem) {
    SetPool({MakeQuestion(QuestionKind::DrawNet, 1, u"a", 5),
             MakeQuestion(QuestionKind::DrawNet, 2, u"b", 3),
             MakeQuestion(QuestionKind::DrawNet, 3, u"c", 5),
             MakeQuestion(QuestionKind::DrawNet, 4, u"d", 4)});
    CTestDraw draw = Draw();
    CTestDraw::Rows rows = Rows(draw);
    rows[kDrawNet] = {draw.CountWithPoints(kDrawNet, 5), 2, 5, true};
    ASSERT_EQ(rows[kDrawNet].available, 2);
    ASSERT_EQ(draw.Generate(rows, 0).testsMade, 2);
    for (const auto& made : Tests()) {
        const auto ids = QuestionIds(*made);
        EXPECT_EQ(std::set<std::int32_t>(ids.begin(), ids.end()), (std::set<std::int32_t>{1, 3}));
        made->FirstQuestion();
        do {
            EXPECT_EQ(made->CurrentQuestion()->GetPoints(), 5);
        } while (made->NextQuestion());
    }
}

TEST_F(TestDrawTest, ATestNeverHoldsTwoQuestionsWithTheSameId) {
    SetPool({MakeQuestion(QuestionKind::ChooseAnswers, 1, u"a"),
             MakeQuestion(QuestionKind::ChooseAnswers, 1, u"a2"),
             MakeQuestion(QuestionKind::ChooseAnswers, 2, u"b"),
             MakeQuestion(QuestionKind::ChooseAnswers, 3, u"c")});
    users = test::MakeUsers({{u"ucitel", u"U", u"tajne", true},
                             {u"s1", u"", u"", false},
                             {u"s2", u"", u"", false},
                             {u"s3", u"", u"", false},
                             {u"s4", u"", u"", false},
                             {u"s5", u"", u"", false}});
    CTestDraw draw = Draw();
    CTestDraw::Rows rows = Rows(draw);
    rows[kChoose].requested = 3;
    ASSERT_EQ(draw.Generate(rows, 0).testsMade, 5);
    for (const auto& made : Tests()) {
        const auto ids = QuestionIds(*made);
        EXPECT_EQ(std::set<std::int32_t>(ids.begin(), ids.end()),
                  (std::set<std::int32_t>{1, 2, 3}));
    }
}

TEST_F(TestDrawTest, APoolWithTooFewDistinctQuestionsStopsWithoutAddingTheTest) {
    tests.AddTest(MakeTest(0, u"peter", false));
    SetPool({MakeQuestion(QuestionKind::ChooseAnswers, 1, u"a"),
             MakeQuestion(QuestionKind::ChooseAnswers, 1, u"b"),
             MakeQuestion(QuestionKind::DrawNet, 2, u"c")});
    CTestDraw draw = Draw();
    CTestDraw::Rows rows = Rows(draw);
    rows[kChoose].requested = 2;  // counted as two, but both carry the id 1
    const CTestDraw::Result result = draw.Generate(rows, 0);
    EXPECT_EQ(result.outcome, CTestDraw::Outcome::PoolTooSmall);
    EXPECT_EQ(result.testsMade, 0);
    ASSERT_EQ(Tests().size(), 1u) << "the test being built is not added; earlier ones stay";
    EXPECT_EQ(CTestDraw::PoolTooSmallMessage(),
              u"Otázky v zásobníku nestačia na zostavenie testu.");
}

TEST_F(TestDrawTest, AnEmptyPoolWithNothingRequestedStillGivesEmptyTests) {
    CTestDraw draw = Draw();
    for (int row = 0; row < CTestDraw::kRowCount; ++row) {
        EXPECT_EQ(draw.CountAll(row), 0);
    }
    EXPECT_EQ(draw.Generate(Rows(draw), 1).testsMade, 2);
}

}  // namespace
}  // namespace orvane
