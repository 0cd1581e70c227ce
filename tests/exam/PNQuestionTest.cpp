// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "exam/PNQuestion.h"
#include "support/ByteBuilder.h"
#include "support/Serialized.h"

namespace orvane::test {
namespace {

using Ints = std::vector<std::int32_t>;
using Texts = std::vector<std::u16string>;
using Cause = ArchiveError::Cause;

// Items 1 to 8 of a stored question: kind to keyNumber.
Bytes Head(QuestionKind kind, std::int32_t itemCount, std::uint32_t asked = 0) {
    Bytes head = Bytes().I32s({static_cast<std::int32_t>(kind), 1}).Str(u"Otázka");
    return head.Str(u"Zadanie").I16(0).I32(itemCount).U32(asked).I16(0);
}

// The stored items after the head of a question without items: four empty arrays, the key
// word and the points.
Bytes NoItems(std::uint32_t keyRequirements = 0) {
    return std::move(Bytes().I32s({0, 0, 0, 0}).U32(keyRequirements).I16(0));
}

CPNQuestion Connect(const Ints& key) {
    const auto count = static_cast<std::int32_t>(key.size());
    return CPNQuestion(1, u"Otázka", u"Zadanie", count, Texts(key.size(), u"L"),
                       Texts(key.size(), u"R"), key, nullptr);
}

TEST(Question, ChooseAnswersStoresItsArraysWithTheirCounts) {
    CPNQuestion question(1, u"Otázka", u"Zadanie", 3, {u"a", u"b", u"c"}, {true, false, true},
                         nullptr);
    question.SetPoints(4);
    question.SetAnswerNumber(-3);
    question.SetKeyNumber(12);
    Bytes expected = Bytes().I32s({2002, 1}).Str(u"Otázka").Str(u"Zadanie").I16(-3).I32(3);
    expected.U32(0).I16(12).I32s({3, 0, 0, 0, 3, 1, 0, 1, 3});
    expected.Str(u"a").Str(u"b").Str(u"c").I32(0).U32(0).I16(4).I32s({0, 0});
    EXPECT_EQ(Hex(StoredItems(question)), Hex(expected));
    EXPECT_EQ(Hex(StoredItems(*LoadedItems<CPNQuestion>(expected))), Hex(expected));
}

TEST(Question, NetKindsStoreNoArraysAndTheirNets) {
    auto work = std::make_shared<CPNPetriNet>();
    auto key = std::make_shared<CPNPetriNet>();
    const Bytes emptyNet = Bytes().I32(1).Class("CPNPetriNet").I32s({0, -1, -1, -1});
    CPNQuestion complete(1, u"Otázka", u"Zadanie", work, key);
    Bytes expected = Head(QuestionKind::CompleteNet, 0).Raw(NoItems()).Raw(emptyNet);
    expected.I32(1).U16(0x8001).I32s({0, -1, -1, -1});
    EXPECT_EQ(Hex(StoredItems(complete)), Hex(expected));
    // Two nets come back as two nets.
    EXPECT_EQ(Hex(StoredItems(*LoadedItems<CPNQuestion>(expected))), Hex(expected));

    // One net in both slots is written once and comes back as one net.
    CPNQuestion same(1, u"Otázka", u"Zadanie", work, work);
    const auto twice = LoadedItems<CPNQuestion>(StoredItems(same));
    EXPECT_EQ(twice->GetWorkNet(), twice->GetKeyNet());

    CPNQuestion free(1, u"Otázka", u"Zadanie");
    const Bytes freeBytes =
        Head(QuestionKind::DrawNetNoCorrection, 0).Raw(NoItems()).Raw(emptyNet).I32(0);
    EXPECT_EQ(Hex(StoredItems(free)), Hex(freeBytes));
    // A net to draw starts empty.
    EXPECT_TRUE(CPNQuestion(1, u"Otázka", u"Zadanie", key).GetWorkNet()->IsEmpty());
}

TEST(Question, RequirementWordsFromTheSevenPairs) {
    const CPNQuestion::Requirements pairs{
        {{true, 4}, {false, 1}, {true, 0}, {true, 1}, {false, 0}, {false, 0}, {true, 1}}};
    CPNQuestion complete(1, u"Otázka", u"Zadanie", nullptr, pairs);
    EXPECT_EQ(complete.GetAskedRequirements(), 0x001u | 0x020u | 0x040u | 0x200u);
    EXPECT_EQ(complete.GetKeyRequirementR0(), 4);
    CPNQuestion draw(1, u"t", u"x", CPNQuestion::Requirements{{{false, 5}}});
    EXPECT_EQ(draw.GetKind(), QuestionKind::DrawNetByRequirements);
    EXPECT_EQ(draw.GetKeyRequirements(), 0u);
    EXPECT_TRUE(draw.GetWorkNet()->IsEmpty());

    // R0 set alone, in the key word and in the answer word, takes only 0 and 1 and leaves
    // the other slots.
    complete.SetAnswerRequirement(6, true);
    for (const std::int32_t r0 : {1, 0, 2, 4, -1, 1}) {
        for (const std::int32_t value : {1, r0}) {
            complete.SetKeyRequirementR0(value);
            complete.SetAnswerRequirementR0(value);
        }
        const std::int32_t set = r0 == 1 ? 1 : 0;
        EXPECT_EQ(complete.GetKeyRequirements(), set | 0x010u | 0x040u | 0x200u) << r0;
        EXPECT_EQ(complete.GetAnswerRequirements(), set | 0x200u) << r0;
        EXPECT_TRUE(complete.GetKeyRequirementR0() == set &&
                    complete.GetAnswerRequirementR0() == set);
    }
    complete.SetKeyRequirement(0, true);  // slot 0 is a number, not a flag
    complete.SetKeyRequirement(7, true);
    complete.SetAskedRequirement(0, false);
    complete.SetAskedRequirement(4, true);
    EXPECT_TRUE(complete.GetKeyRequirement(6) && !complete.GetKeyRequirement(2) &&
                !complete.GetKeyRequirement(0) && complete.GetAnswerRequirement(6));
    EXPECT_TRUE(complete.GetAskedRequirement(4) && !complete.GetAskedRequirement(0));
    // Neither the answer word nor the tag is stored.
    complete.SetTag(8);
    const Bytes expected = Head(QuestionKind::CompleteNetByRequirements, 0, 0x2E0)
                               .Raw(NoItems(1 | 0x010 | 0x040 | 0x200))
                               .I32s({0, 0});
    EXPECT_EQ(Hex(StoredItems(complete)), Hex(expected));
    const auto loaded = LoadedItems<CPNQuestion>(expected);
    EXPECT_EQ(loaded->GetAnswerRequirements() + loaded->GetTag(), 0u);
    EXPECT_EQ(Hex(StoredItems(*loaded)), Hex(expected));
}

TEST(Question, AddAndRemoveItems) {
    CPNQuestion connect = Connect({1, 0});
    ASSERT_TRUE(connect.AddItem());
    EXPECT_EQ(connect.GetItemCount(), 3);
    EXPECT_EQ(connect.GetItem(2), u"<zadaj položku ľavej strany>");
    EXPECT_EQ(connect.GetRightItem(2), u"<zadaj položku pravej strany>");
    EXPECT_EQ(connect.GetAnswer(), (Ints{-1, -1, -1}));
    EXPECT_EQ(connect.GetKey(), (Ints{1, 0, -1}));

    CPNQuestion choose(1, u"t", u"x", 0, {}, {}, nullptr);
    ASSERT_TRUE(choose.AddItem());
    EXPECT_EQ(choose.GetItems(), Texts{u"<zadaj položku>"});
    EXPECT_TRUE(choose.GetAnswer() == Ints{0} && choose.GetKey() == Ints{0});
    EXPECT_TRUE(choose.GetRightItems().empty());

    // The pairings with the removed item are cleared, on both sides; the others stay.
    CPNQuestion removing = Connect({1, 0, 2});
    ASSERT_TRUE(removing.SetAnswerPair(1, 0) && removing.SetAnswerPair(2, 2));
    ASSERT_TRUE(removing.RemoveItem(0));
    EXPECT_TRUE(removing.GetKey() == (Ints{-1, 2}) && removing.GetAnswer() == (Ints{-1, 2}));
    EXPECT_EQ(removing.GetRightItems().size(), 2u);
    ASSERT_TRUE(removing.RemoveItem(9));  // beyond the end: the last item
    EXPECT_EQ(removing.GetKey(), Ints{-1});

    // Without items there is nothing to remove and no first item.
    CPNQuestion none(1, u"t", u"x");
    EXPECT_FALSE(none.RemoveItem(0));
    none.SetFirstItemText(u"x");
    EXPECT_EQ(none.GetFirstItemText(), u"");
}

TEST(Question, PairsAndFlagsCheckTheirIndex) {
    CPNQuestion question = Connect({-1, 2, 0});
    ASSERT_TRUE(question.SetKeyPair(0, 2));
    EXPECT_EQ(question.GetKey(), (Ints{2, -1, 0}));
    EXPECT_FALSE(question.SetKeyPair(0, 3) || question.SetKeyPair(3, 0) ||
                 question.SetKeyPair(-1, 0));
    ASSERT_TRUE(question.SetKeyPair(0, -1));
    EXPECT_EQ(question.GetKey(), (Ints{-1, -1, 0}));
    EXPECT_TRUE(question.GetKeyPair(3) == 0 && question.GetAnswerPair(3) == -2);
    ASSERT_TRUE(question.SetAnswerPair(1, 0));
    EXPECT_EQ(question.GetAnswerPair(1), 0);

    EXPECT_TRUE(question.SetAnswerFlag(2, true) && question.GetAnswerFlag(2));
    EXPECT_FALSE(question.SetKeyFlag(3, true) || question.GetKeyFlag(-1));
    EXPECT_FALSE(question.SetItem(3, u"x"));
    EXPECT_TRUE(question.SetRightItem(2, u"pravá"));
    EXPECT_EQ(question.GetRightItem(2) + question.GetRightItem(3), u"pravá");
}

TEST(Question, ArraysWhoseCountDiffersFromItemCountLoadAndStoreUnchanged) {
    // itemCount 3, answer with 5 entries, no key, items with 1 entry, no right items.
    Bytes stored = Head(QuestionKind::ConnectRelated, 3).I32s({5, 4, 3, 2, 1, 0, 0, 1});
    stored.Str(u"jediná").I32(0).U32(0).I16(0).I32s({0, 0});
    const auto question = LoadedItems<CPNQuestion>(stored);
    EXPECT_EQ(question->GetItem(0) + question->GetItem(1), u"jediná");
    EXPECT_EQ(question->GetAnswerPair(2), 2);
    EXPECT_EQ(question->GetAnswerPair(4), -2);  // in the array, beyond itemCount
    EXPECT_EQ(question->GetKeyPair(1), 0);
    EXPECT_FALSE(question->SetKeyPair(1, 0) || question->SetItem(2, u"x") ||
                 question->SetKeyFlag(0, true) || question->AddItem() || question->RemoveItem(0));
    EXPECT_EQ(Hex(StoredItems(*question)), Hex(stored));
}

TEST(Question, MalformedQuestionsAreReadErrors) {
    CPNQuestion question(1, u"Otázka", u"Zadanie", 2, {u"a", u"b"}, {true, false},
                         std::make_shared<CPNPetriNet>());
    ASSERT_TRUE(question.GetWorkNet()->AddPlace(1, 0, 0));
    ExpectEveryCutEndsTheData<CPNQuestion>(StoredItems(question));
    const Bytes head = Head(QuestionKind::ChooseAnswers, 1);
    EXPECT_EQ(LoadFailure<CPNQuestion>(Bytes(head).I32(-1)), Cause::EndOfData);
    EXPECT_EQ(LoadFailure<CPNQuestion>(Bytes(head).I32s({0x7FFFFFFF, 0})), Cause::EndOfData);
    const Bytes manyTexts = Bytes(head).I32s({0, 0, 0x7FFFFFFF}).Raw(std::vector<std::uint8_t>(64));
    EXPECT_EQ(LoadFailure<CPNQuestion>(manyTexts), Cause::EndOfData);
    const Bytes netSlot = Bytes(head).Raw(NoItems()).I32(1);
    EXPECT_EQ(LoadFailure<CPNQuestion>(Bytes(netSlot).Class("CPNTest")), Cause::BadClass);
    EXPECT_EQ(LoadedItems<CPNQuestion>(Bytes(netSlot).U16(0).I32(0))->GetWorkNet(), nullptr);
}

}  // namespace
}  // namespace orvane::test
