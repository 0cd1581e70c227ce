// SPDX-License-Identifier: GPL-3.0-or-later
// A test as it leaves for a student: every kind keeps its assignment and loses its key.
#include "exam/WithoutKeys.h"

#include <gtest/gtest.h>

#include "petrinet/PNPlace.h"
#include "support/ExamFixtures.h"
#include "support/Serialized.h"

namespace orvane::test {
namespace {

// Every stored field set, the key side too.
CPNQuestion::StoredFields Full(QuestionKind kind, std::int32_t id) {
    auto net = [](int places) {
        auto made = std::make_shared<CPNPetriNet>();
        for (int i = 0; i < places; ++i) {
            made->AddElement(std::make_shared<CPNPlace>(i + 1, 10 * i, 20));
        }
        return made;
    };
    return {.kind = kind,
            .id = id,
            .title = u"Názov",
            .text = u"Zadanie",
            .answerNumber = 3,
            .itemCount = 3,
            .askedRequirements = 0x31,
            .keyNumber = 5,
            .answer = {0, 2, -1},
            .key = {1, 0, 2},
            .items = {u"a", u"b", u"c"},
            .rightItems = {u"x", u"y", u"z"},
            .keyRequirements = 0x24,
            .points = 7,
            .workNet = net(1),
            .keyNet = net(2)};
}

// The key's entries cleared at its length (-1 for pairings), no solution net; nothing else
// changes, a question met twice stays one object, and the original (its cursor too) is kept.
TEST(WithoutKeysTest, ClearsTheKeySideOfEveryKindAndNothingElse) {
    for (const auto& [kind, cleared] :
         {std::pair{QuestionKind::ChooseAnswers, 0}, std::pair{QuestionKind::ConnectRelated, -1},
          std::pair{QuestionKind::FillInAnswer, 0}, std::pair{QuestionKind::CompleteNet, 0},
          std::pair{QuestionKind::DrawNetByRequirements, 0}}) {
        SCOPED_TRACE(static_cast<int>(kind));
        const auto shared = std::make_shared<CPNQuestion>(Full(kind, 1));
        const auto test = MakeTest(4, u"ziak", false,
                                   {shared, std::make_shared<CPNQuestion>(Full(kind, 2)), shared});
        test->SetTimeLimit(2700);
        test->SelectQuestionAt(2);
        const std::vector<std::uint8_t> original = StoredItems(*test);
        test->SelectQuestionAt(2);

        std::vector<std::shared_ptr<CPNQuestion>> expected;
        for (const std::int32_t id : {1, 2}) {
            CPNQuestion::StoredFields fields = Full(kind, id);
            fields.key.assign(3, cleared);
            fields.keyNet = nullptr;
            expected.push_back(std::make_shared<CPNQuestion>(std::move(fields)));
        }
        const auto stripped = WithoutKeys(*test);
        const auto wanted = MakeTest(4, u"ziak", false, {expected[0], expected[1], expected[0]});
        wanted->SetTimeLimit(2700);
        EXPECT_EQ(StoredItems(*stripped), StoredItems(*wanted));
        EXPECT_EQ(test->CurrentQuestion()->GetId(), 2);
        EXPECT_EQ(StoredItems(*test), original);
    }
}

}  // namespace
}  // namespace orvane::test
