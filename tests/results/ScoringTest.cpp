// SPDX-License-Identifier: GPL-3.0-or-later
// The automatic points of each kind of question, against the key of the question as kept.
#include <gtest/gtest.h>

#include "ResultsFiles.h"
#include "common/TextCodec.h"
#include "results/Submission.h"
#include "support/DrawnNet.h"
#include "support/TempFolder.h"

namespace orvane::test {
namespace {

struct SScoreCase {
    const char* name;
    std::int32_t question;
    Answers answers;
    const char16_t* points;
    bool pending;
};

class ScoreTest : public testing::TestWithParam<SScoreCase> {};

TEST_P(ScoreTest, ScoresAgainstTheKeptKey) {
    TempFolder folder;
    const std::string kept = KeepTest(ExamTest(7, u"jano", true), At(0));
    SSubmission submission;
    submission.path = Submit(kept, At(5), GetParam().answers);
    submission.time = At(5);
    CFileResult loaded;
    ScoreSubmission(*LoadOneTest(kept, loaded), At(0), submission);
    ASSERT_TRUE(submission.matches) << ToUtf8(submission.mismatch);
    const auto& score = submission.scores.at(GetParam().question - 1);
    EXPECT_EQ(score.questionId, GetParam().question);
    EXPECT_EQ(PointsText(score.points), GetParam().points);
    EXPECT_EQ(score.pending, GetParam().pending);
}

Answers With(std::vector<std::int32_t> ticks, std::vector<std::int32_t> pairs = {1, 0, 3, 2},
             std::string net = std::string(kSolutionNet)) {
    return {std::move(ticks), std::move(pairs), std::move(net)};
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ScoreTest,
    testing::Values(
        SScoreCase{"AllTicksRight", 1, With({1, 0, 1}), u"6,0", false},
        SScoreCase{"OneOfTwoTicks", 1, With({1, 0, 0}), u"3,0", false},
        SScoreCase{"WrongTickTakesAsMuch", 1, With({1, 1, 1}), u"3,0", false},
        SScoreCase{"NeverBelowZero", 1, With({0, 1, 0}), u"0,0", false},
        SScoreCase{"AllPairsRight", 2, With({1, 0, 1}), u"4,0", false},
        SScoreCase{"HalfThePairs", 2, With({1, 0, 1}, {1, 0, 2, 3}), u"2,0", false},
        SScoreCase{"NoPairs", 2, With({1, 0, 1}, {-1, -1, -1, -1}), u"0,0", false},
        SScoreCase{"RenumberedMovedNet", 3,
                   With({1, 0, 1}, {1, 0, 3, 2}, "busy free=1; stop: busy -> free; "
                                                 "start: free -> busy"),
                   u"5,0", false},
        SScoreCase{"OtherMarking", 3,
                   With({1, 0, 1}, {1, 0, 3, 2}, "free=2 busy; start: free -> busy; "
                                                 "stop: busy -> free"),
                   u"0,0", true},
        SScoreCase{"NoKeyLeftToTeacher", 4, With({1, 0, 1}), u"0,0", true}),
    [](const auto& info) { return std::string(info.param.name); });

struct SFractionCase {
    std::vector<bool> key;
    std::vector<std::int32_t> ticks;
    std::int16_t points;
    const char16_t* expected;
};

// Points per tick are the question's points over the number of correct options, so they are
// often fractions; a question without correct options is all or nothing.
TEST(ScoreTest, FractionsAndQuestionsWithoutCorrectOptions) {
    const std::vector<SFractionCase> cases = {
        {{true, true, true}, {1, 0, 0}, 5, u"1,7"},
        {{true, true, true}, {1, 1, 0}, 5, u"3,3"},
        {{false, false}, {0, 0}, 4, u"4,0"},
        {{false, false}, {0, 1}, 4, u"0,0"},
    };
    for (const SFractionCase& row : cases) {
        std::vector<std::u16string> options(row.key.size(), u"x");
        CPNQuestion kept(1, u"t", u"t", static_cast<std::int32_t>(row.key.size()), options,
                         row.key, nullptr);
        kept.SetPoints(row.points);
        CPNQuestion answered(1, u"t", u"t", static_cast<std::int32_t>(row.key.size()), options,
                             row.key, nullptr);
        for (std::size_t i = 0; i < row.ticks.size(); ++i) {
            answered.SetAnswerFlag(static_cast<std::int32_t>(i), row.ticks[i] != 0);
        }
        EXPECT_EQ(PointsText(ScoreQuestion(kept, answered).points), row.expected);
    }
}

}  // namespace
}  // namespace orvane::test
