#include <gtest/gtest.h>

#include <limits>

#include "exam/PNTest.h"
#include "support/ByteBuilder.h"
#include "support/Serialized.h"

namespace orvane {
namespace {

using test::Bytes;
using test::Hex;
using test::LoadedItems;
using test::StoredItems;
using Ids = std::vector<std::int32_t>;

// The items of a question made with the id-only constructor.
Bytes UnsetItems(std::int32_t id) {
    Bytes items = Bytes().I32s({2000, id}).Str(u"").Str(u"").I16(0).I32(0).U32(0).I16(0);
    return items.I32s({0, 0, 0, 0}).U32(0).I16(0).I32s({0, 0});
}

// A test whose questions, front to end, have the given ids.
std::shared_ptr<CPNTest> TestOf(const Ids& ids) {
    auto test = std::make_shared<CPNTest>();
    for (auto id = ids.rbegin(); id != ids.rend(); ++id) {
        test->AddQuestion(std::make_shared<CPNQuestion>(*id));
    }
    return test;
}

Ids Order(CPNTest& test) {
    Ids ids;
    for (bool more = test.FirstQuestion(); more; more = test.NextQuestion()) {
        ids.push_back(test.CurrentQuestion()->GetId());
    }
    return ids;
}

TEST(Test, EveryStoreAndLoadReversesTheQuestions) {
    const auto test = TestOf({3, 2, 1});  // added 1, 2, 3
    test->SetLogin(u"jožko");
    test->SetTimeLimit(45 * 60);
    const auto first = StoredItems(*test);
    EXPECT_EQ(test->CurrentQuestion()->GetId(), 1);  // storing walked to the last question
    Bytes expected = Bytes().Str(u"jožko").I32(0).Byte(1).I64(2700).I32(3);
    expected.Class("CPNQuestion").Raw(UnsetItems(3)).U16(0x8001).Raw(UnsetItems(2));
    EXPECT_EQ(Hex(first), Hex(expected.U16(0x8001).Raw(UnsetItems(1))));
    const auto loaded = LoadedItems<CPNTest>(first);
    EXPECT_EQ(Order(*loaded), (Ids{1, 2, 3}));
    EXPECT_EQ(loaded->GetQuestionCount(), 3);
    EXPECT_EQ(loaded->GetTimeLimit(), 2700);
    const auto second = StoredItems(*loaded);
    const auto mirrored = TestOf({1, 2, 3});
    mirrored->SetLogin(u"jožko");
    mirrored->SetTimeLimit(2700);
    EXPECT_EQ(Hex(second), Hex(StoredItems(*mirrored)));
    EXPECT_EQ(Hex(StoredItems(*LoadedItems<CPNTest>(second))), Hex(first));
}

TEST(Test, MoveQuestionPutsItAtThePosition) {
    const struct {
        std::int32_t id, position;
        bool result;
        Ids order;
    } cases[] = {
        {4, 2, true, {1, 4, 2, 3}},  {1, 3, true, {2, 3, 1, 4}},  {3, 1, false, {1, 2, 3, 4}},
        {1, 1, true, {1, 2, 3, 4}},  {2, 5, false, {1, 2, 3, 4}}, {1, 4, true, {2, 3, 4, 1}},
        {4, 1, false, {1, 2, 3, 4}}, {9, 2, false, {1, 2, 3, 4}}, {3, 0, false, {1, 2, 3, 4}},
    };
    for (const auto& move : cases) {
        const auto test = TestOf({1, 2, 3, 4});
        ASSERT_TRUE(test->SelectQuestion(3));
        EXPECT_EQ(test->MoveQuestion(move.id, move.position), move.result)
            << move.id << " to " << move.position;
        EXPECT_EQ(test->CurrentQuestion()->GetId(), 3);
        EXPECT_EQ(test->GetQuestionCount(), 4);
        EXPECT_EQ(Order(*test), move.order) << move.id << " to " << move.position;
    }
}

TEST(Test, SelectionRemovalAndFreeIds) {
    CPNTest empty;
    EXPECT_EQ(empty.NextFreeQuestionId(), 0);
    EXPECT_FALSE(empty.RemoveQuestion(0) || empty.AddQuestion(nullptr) || !empty.IsEmpty());

    const auto test = TestOf({2, 0, 1});
    const auto current = [&] { return test->CurrentQuestion()->GetId(); };
    EXPECT_EQ(test->NextFreeQuestionId(), 3);
    ASSERT_TRUE(test->SelectQuestionAt(1));
    EXPECT_FALSE(test->SelectQuestionAt(0) || test->SelectQuestionAt(4));
    EXPECT_EQ(current(), 2);
    test->SelectQuestionAt(3);
    test->CurrentQuestion()->SetTag(77);
    ASSERT_TRUE(test->SelectQuestionByTag(0));
    EXPECT_EQ(current(), 2);
    ASSERT_TRUE(test->SelectQuestionByTag(77));
    EXPECT_EQ(current(), 1);
    EXPECT_FALSE(test->NextQuestion());
    EXPECT_EQ(current(), 1);

    EXPECT_FALSE(test->RemoveQuestion(5));
    EXPECT_EQ(test->GetQuestionCount(), 3);
    ASSERT_TRUE(test->RemoveQuestion(1));
    EXPECT_EQ(test->CurrentQuestion(), nullptr);
    EXPECT_FALSE(test->NextQuestion());
    EXPECT_EQ(test->NextFreeQuestionId(), 1);
    EXPECT_EQ(test->GetQuestionCount(), 2);

    // A question stands in several tests at once.
    const auto shared = std::make_shared<CPNQuestion>(5);
    test->AddQuestion(shared);
    empty.AddQuestion(shared);
    test->RemoveQuestion(5);
    ASSERT_TRUE(empty.FirstQuestion());
    EXPECT_EQ(empty.CurrentQuestion(), shared);
}

TEST(Test, LoadingTakesWhatTheFileSays) {
    // A flag byte of 2, a null reference that is passed over, then one question.
    const Bytes head = Bytes().Str(u"eva").I32(7).Byte(2).I64(-5);
    const Bytes question = Bytes().Class("CPNQuestion").Raw(UnsetItems(4));
    const auto test = LoadedItems<CPNTest>(Bytes(head).I32(2).U16(0).Raw(question));
    EXPECT_TRUE(test->GetToBeWorkedOut());
    EXPECT_EQ(test->GetQuestionCount(), 1);
    EXPECT_EQ(Hex(StoredItems(*test)), Hex(Bytes(head).I32(1).Raw(question)));
    test->SetToBeWorkedOut(false);
    EXPECT_FALSE(LoadedItems<CPNTest>(StoredItems(*test))->GetToBeWorkedOut());
    const Bytes net = Bytes(head).I32(1).Class("CPNPetriNet");
    EXPECT_EQ(test::LoadFailure<CPNTest>(net), ArchiveError::Cause::BadClass);

    test->SetTimeLimit(std::numeric_limits<std::int64_t>::min() + 1);
    test->ReduceTimeLimit(2);
    EXPECT_EQ(test->GetTimeLimit(), std::numeric_limits<std::int64_t>::min());
    test->SetTimeLimit(100);
    test->ReduceTimeLimit(30);
    EXPECT_EQ(test->GetTimeLimit(), 70);
}

}  // namespace
}  // namespace orvane
