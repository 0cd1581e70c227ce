// SPDX-License-Identifier: GPL-3.0-or-later
#include "generator/TestDraw.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "common/RandomSource.h"
#include "support/ExamFixtures.h"

namespace orvane {
namespace {

using test::MakeQuestion;
using test::MakeTest;
using Ids = std::vector<std::int32_t>;

constexpr int kChoose = 0;
constexpr int kDrawNet = 5;
constexpr auto kDraw = QuestionKind::DrawNet;
constexpr auto kChooseKind = QuestionKind::ChooseAnswers;

class TestDrawTest : public ::testing::Test {
protected:
    void SetUp() override { SeedRandomSource(1); }

    // A draw from the pool (front first) for the acting login, and rows with the whole counts.
    void Pool(const std::vector<std::shared_ptr<CPNQuestion>>& questions,
              const std::u16string& login = u"ucitel", const std::u16string& password = u"tajne") {
        pool = MakeTest(0, u"", true, questions);
        draw = std::make_unique<CTestDraw>(*users, tests, *pool, login, password);
        for (int row = 0; row < CTestDraw::kRowCount; ++row) {
            rows[row] = {draw->CountAll(row)};
        }
    }

    // The ids of the questions of every test made, each set in ascending order.
    std::vector<std::set<std::int32_t>> IdSets() {
        std::vector<std::set<std::int32_t>> sets;
        for (const auto& made : test::TestsOf(tests)) {
            const Ids ids = test::QuestionIds(*made);
            sets.emplace_back(ids.begin(), ids.end());
        }
        return sets;
    }

    // Walked as: jana, peter, ucitel, eva.
    std::unique_ptr<CPNUserDB> users = test::MakeUsers({{u"eva", u"E", u"e", true},
                                                        {u"ucitel", u"U", u"tajne", true},
                                                        {u"peter", u"P", u"p", false},
                                                        {u"jana", u"J", u"j", false}});
    CPNTestDB tests;
    std::shared_ptr<CPNTest> pool;
    std::unique_ptr<CTestDraw> draw;
    CTestDraw::Rows rows;
};

TEST_F(TestDrawTest, RowsCountTheirKindOnlyAndReadPointsAsOneWholeNumber) {
    Pool({MakeQuestion(kChooseKind, 1, u"a", 10), MakeQuestion(QuestionKind::Unset, 2, u"b", 10),
          MakeQuestion(kChooseKind, 3, u"c", 5), MakeQuestion(2003, 4, u"d", 10),
          MakeQuestion(kChooseKind, 5, u"e", 10)});
    EXPECT_TRUE(draw->CountAll(kChoose) == 3 && draw->CountAll(kDrawNet) == 0);
    EXPECT_EQ(draw->CountWithPoints(kChoose, 10), 2);
    EXPECT_EQ(draw->PointTexts(kChoose), (std::vector<std::u16string>{u"10", u"5"}));
    for (const auto& [text, points] :
         std::vector<std::pair<std::u16string, int>>{{u" 12 ", 12},
                                                     {u"-3", -3},
                                                     {u"", 0},
                                                     {u"5x", 0},
                                                     {u"-", 0},
                                                     {u"40000", 0},
                                                     {u"032767", 32767},
                                                     {u"4294967306", 0}}) {
        EXPECT_EQ(CTestDraw::ParsePoints(text), points);
    }
}

TEST_F(TestDrawTest, EveryStudentGetsOneTestWithTheNextFreeIdsAndTeachersNone) {
    // An acting administrator who is no teacher makes nothing, whatever the rows ask.
    for (const auto& [login, password] : std::vector<std::pair<std::u16string, std::u16string>>{
             {u"jana", u"j"}, {u"ucitel", u"wrong"}, {u"nobody", u""}}) {
        Pool({}, login, password);
        rows[kDrawNet].requested = 5;
        EXPECT_EQ(draw->Generate(rows, 10).outcome, CTestDraw::Outcome::Done);
    }
    EXPECT_TRUE(tests.IsEmpty());

    for (const std::int32_t id : {0, 1, 3}) {
        tests.AddTest(MakeTest(id, u"jana", false));
    }
    Pool({});
    EXPECT_EQ(draw->Generate(rows, 999999999).testsMade, 2);
    const auto all = test::TestsOf(tests);
    ASSERT_EQ(all.size(), 5u);
    // Students in database order, each new test at the front.
    EXPECT_TRUE(all[0]->GetLogin() == u"peter" && all[0]->GetId() == 4);
    EXPECT_TRUE(all[1]->GetLogin() == u"jana" && all[1]->GetId() == 2);
    EXPECT_TRUE(all[1]->GetToBeWorkedOut() && all[1]->IsEmpty());
    EXPECT_EQ(all[1]->GetTimeLimit(), 59999999940LL) << "minutes times 60, without wrapping";
}

// Over many tests (the seed is fixed) every question that fits a row comes equally often:
// half of 20 nets in each test, and 2 of the 3 choice questions that carry 5 points.
TEST_F(TestDrawTest, EveryQuestionThatFitsARowIsDrawnEquallyOften) {
    std::vector<std::shared_ptr<CPNQuestion>> questions;
    for (int id = 0; id < 26; ++id) {
        questions.push_back(id < 20 ? MakeQuestion(kDraw, id, u"n")
                                    : MakeQuestion(kChooseKind, id, u"c", id % 2 ? 5 : 4));
    }
    Pool(questions);
    rows[kDrawNet].requested = 10;
    rows[kChoose] = {3, 2, 5, true};
    std::map<std::int32_t, int> drawn;
    for (int run = 0; run < 2'000; ++run) {  // 4,000 tests, one for each of two students
        CPNTestDB made;
        EXPECT_EQ(CTestDraw(*users, made, *pool, u"ucitel", u"tajne").Generate(rows, 0).testsMade,
                  2);
        for (const auto& one : test::TestsOf(made)) {
            for (const std::int32_t id : test::QuestionIds(*one)) {
                ++drawn[id];
            }
        }
    }
    ASSERT_EQ(drawn.size(), 23u) << "never a choice question of 4 points";
    for (const auto& [id, count] : drawn) {
        const double expected = id < 20 ? 4'000 / 2.0 : 4'000 * 2 / 3.0;
        EXPECT_NEAR(count, expected, expected * 0.06) << id;
    }
}

// The pool keeps its questions and their points: every test holds copies of its own.
TEST_F(TestDrawTest, DrawnQuestionsAreCopiesWithTheRowsPointsUnlessTheFilterKeepsThem) {
    const auto a = MakeQuestion(kChooseKind, 1, u"a", 1);
    const auto b = MakeQuestion(kChooseKind, 2, u"b", 2);
    const auto c = MakeQuestion(kDraw, 3, u"c", 5);
    const auto d = MakeQuestion(kDraw, 4, u"d", 4);
    const auto e = MakeQuestion(kDraw, 5, u"e", 5);
    Pool({a, b, c, d, e});
    rows[kChoose].requested = 2;
    rows[kChoose].points = 7;
    rows[kDrawNet] = {draw->CountWithPoints(kDrawNet, 5), 2, 5, true};
    EXPECT_EQ(draw->Generate(rows, 0).testsMade, 2);
    EXPECT_TRUE(a->GetPoints() == 1 && b->GetPoints() == 2 && c->GetPoints() == 5 &&
                d->GetPoints() == 4);
    EXPECT_EQ(IdSets(), (std::vector<std::set<std::int32_t>>(2, {1, 2, 3, 5})));
    std::set<const CPNQuestion*> held{a.get(), b.get(), c.get(), d.get(), e.get()};
    for (const auto& made : test::TestsOf(tests)) {
        for (bool more = made->FirstQuestion(); more; more = made->NextQuestion()) {
            const auto question = made->CurrentQuestion();
            EXPECT_EQ(question->GetPoints(), question->GetKind() == kChooseKind ? 7 : 5);
            EXPECT_TRUE(held.insert(question.get()).second) << "held by the pool or another test";
        }
    }
}

TEST_F(TestDrawTest, ATestNeverHoldsOneIdTwiceAndAPoolWithTooFewDistinctQuestionsStops) {
    Pool({MakeQuestion(kChooseKind, 1, u"a"), MakeQuestion(kChooseKind, 1, u"b"),
          MakeQuestion(kChooseKind, 2, u"c"), MakeQuestion(kChooseKind, 3, u"d")});
    rows[kChoose].requested = 3;
    ASSERT_EQ(draw->Generate(rows, 0).testsMade, 2);
    EXPECT_EQ(IdSets(), (std::vector<std::set<std::int32_t>>(2, {1, 2, 3})));

    Pool({MakeQuestion(kChooseKind, 1, u"a"), MakeQuestion(kChooseKind, 1, u"b"),
          MakeQuestion(kDraw, 2, u"c")});
    rows[kChoose].requested = 2;
    const auto result = draw->Generate(rows, 0);
    EXPECT_TRUE(result.outcome == CTestDraw::Outcome::PoolTooSmall && result.testsMade == 0);
    EXPECT_EQ(test::TestsOf(tests).size(), 2u) << "the test being built is not added";
}

}  // namespace
}  // namespace orvane
