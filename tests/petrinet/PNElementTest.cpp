#include <gtest/gtest.h>

#include "archive/Archive.h"
#include "petrinet/PNLabel.h"
#include "petrinet/PNNode.h"
#include "petrinet/PNPlace.h"
#include "petrinet/PNTransition.h"
#include "support/ByteBuilder.h"

namespace orvane {
namespace {

using test::Bytes;
using test::Hex;

std::vector<std::uint8_t> Referenced(const CPNObject& element) {
    CArchive archive;
    archive.WriteObject(&element);
    return archive.TakeData();
}

template <class T>
std::shared_ptr<T> ReadBack(const std::vector<std::uint8_t>& bytes) {
    CArchive archive(bytes);
    auto element = archive.ReadObjectOf<T>();
    EXPECT_EQ(archive.Remaining(), 0u);
    return element;
}

void ExpectLabel(const CPNObject& element, std::int32_t id, std::int32_t x, std::int32_t y,
                 std::u16string_view text, bool flag) {
    const auto label = element.GetLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetType(), kLabelType);
    EXPECT_EQ(label->GetId(), id);
    EXPECT_EQ(label->GetX(), x);
    EXPECT_EQ(label->GetY(), y);
    EXPECT_EQ(label->GetText(), text);
    EXPECT_EQ(label->GetFlag(), flag);
}

TEST(NetElements, ConstructorsGiveTheDefaultsAndLabels) {
    const CPNPlace place(7, 100, 50);
    EXPECT_EQ(place.GetType(), kPlaceType);
    EXPECT_EQ(place.GetRadius(), 20);
    EXPECT_EQ(place.GetCapacity(), 32767);
    EXPECT_EQ(place.GetTokens(), 0);
    EXPECT_EQ(place.GetState(), 1100);
    EXPECT_EQ(place.GetArcCount(), 0);
    ExpectLabel(place, -7, -20, -25, u"Place.7", true);
    EXPECT_EQ(place.GetText(), u" ");  // the place's own text, not its label's

    CPNTransition transition(3, 0, 0);
    EXPECT_EQ(transition.GetWidth(), 10);
    EXPECT_EQ(transition.GetHeight(), 40);
    ExpectLabel(transition, -3, 0, -5, u"Transition.3", true);
    EXPECT_EQ(transition.GetRadius(), 0);
    transition.SetTokens(5);
    EXPECT_EQ(transition.GetTokens(), 0);
    transition.SetSize(12, 30);
    EXPECT_EQ(transition.GetWidth() * 100 + transition.GetHeight(), 1230);

    ExpectLabel(CPNNode(4, 1, 2, false), -4, 0, -5, u"", false);
    EXPECT_EQ(CPNNode(4, 1, 2).GetLabel(), nullptr);
    EXPECT_EQ(CPNNode().GetType(), kNodeType);
    EXPECT_EQ(CPNObject().GetType(), kObjectType);
    ExpectLabel(CPNPlace(-2147483647 - 1, 0, 0), -2147483647 - 1, -20, -25, u"Place.-2147483648",
                true);
}

TEST(NetElements, ArcsAreNewestFirstAndWalkedWithACursor) {
    auto a = std::make_shared<CPNPlace>(1, 0, 0);
    auto b = std::make_shared<CPNTransition>(2, 0, 0);
    CPNNode node(3, 0, 0);
    EXPECT_FALSE(node.FirstArc());
    EXPECT_FALSE(node.RemoveArc(a.get()));
    EXPECT_FALSE(node.AddArc(nullptr));
    ASSERT_TRUE(node.AddArc(a));
    ASSERT_TRUE(node.AddArc(b));
    ASSERT_TRUE(node.AddArc(a));
    EXPECT_EQ(node.GetArcCount(), 3);
    ASSERT_TRUE(node.FindArc(a.get()));
    node.SetArcWeight(7);  // the newest arc to a
    ASSERT_TRUE(node.FirstArc());
    std::vector<std::pair<CPNObject*, std::int32_t>> walk;
    do {
        walk.emplace_back(node.GetArcTarget().get(), node.GetArcWeight());
    } while (node.NextArc());
    EXPECT_EQ(walk, (std::vector<std::pair<CPNObject*, std::int32_t>>{
                        {a.get(), 7}, {b.get(), 1}, {a.get(), 1}}));
    // Past the last arc the cursor is on no arc.
    EXPECT_EQ(node.GetArcTarget(), nullptr);
    EXPECT_EQ(node.GetArcWeight(), 0);
    node.SetArcWeight(9);
    EXPECT_FALSE(node.NextArc());

    ASSERT_TRUE(node.FindArc(a.get()));
    ASSERT_TRUE(node.RemoveArc(a.get()));  // the newer one, which was under the cursor
    EXPECT_EQ(node.GetArcTarget(), nullptr);
    ASSERT_TRUE(node.FindArc(a.get()));
    EXPECT_EQ(node.GetArcWeight(), 1);
    EXPECT_EQ(node.GetArcCount(), 2);
}

TEST(NetElements, BorderPointsOfPlacesAndTransitions) {
    const CPNPlace place(1, 0, 0);
    EXPECT_EQ(place.BorderX(100, 0, 5, 0), 25);
    EXPECT_EQ(place.BorderY(100, 0, 5, 10), 10);
    const CPNTransition transition(2, 0, 0);  // centre (5, 20)
    EXPECT_EQ(transition.BorderX(105, 20, 0, 0), 15);
    EXPECT_EQ(transition.BorderY(105, 20, 0, 0), 20);
    EXPECT_EQ(transition.BorderY(5, 120, 0, 0), 60);
    EXPECT_EQ(transition.BorderX(5, 120, 0, 0), 5);
    EXPECT_EQ(CPNNode(3, 0, 0).BorderX(100, 0, 0, 0), 0);

    // Far points, whose squares do not fit 32 bits.
    EXPECT_EQ(place.BorderX(100000, 0, 0, 0), 20);
    EXPECT_EQ(transition.BorderY(5, 100020, 0, 0), 60);
    const CPNPlace corner(1, -2147483647 - 1, 0);
    EXPECT_NEAR(corner.BorderX(2147483647, 0, 0, 0), -2147483648.0 + 20, 1);

    // The centre itself gives the centre; so do shapes that give no number.
    EXPECT_EQ(place.BorderX(0, 0, 5, 5), 0);
    EXPECT_EQ(transition.BorderX(5, 20, 5, 5), 5);
    EXPECT_EQ(transition.BorderY(5, 20, 5, 5), 20);
    CPNTransition flat(4, 10, 10);
    flat.SetSize(0, 0);
    EXPECT_EQ(flat.BorderX(50, 10, 0, 0), 10);
    EXPECT_EQ(flat.BorderY(50, 10, 0, 0), 10);
}

TEST(NetElements, StoredItemsOfEachClass) {
    const CPNPlace place(1, 100, 50);
    const Bytes placeBytes = std::move(Bytes()
                                           .Class("CPNPlace")
                                           .I32(1)
                                           .I32(100)
                                           .I32(50)
                                           .Class("CPNLabel")
                                           .I32(-1)
                                           .I32(-20)
                                           .I32(-25)
                                           .Str(u"Place.1")
                                           .Byte(1)
                                           .I32(20)
                                           .I32(32767)
                                           .I32(0));
    EXPECT_EQ(Hex(Referenced(place)), Hex(placeBytes));
    const auto loaded = ReadBack<CPNPlace>(placeBytes);
    ExpectLabel(*loaded, -1, -20, -25, u"Place.1", true);
    EXPECT_EQ(loaded->GetState(), 1100);

    CPNTransition bare(2, 3, 4);
    bare.SetLabel(nullptr);
    const Bytes bareBytes =
        std::move(Bytes().Class("CPNTransition").I32(2).I32(3).I32(4).U16(0).I32(10).I32(40));
    EXPECT_EQ(Hex(Referenced(bare)), Hex(bareBytes));
    EXPECT_EQ(ReadBack<CPNTransition>(bareBytes)->GetLabel(), nullptr);

    const Bytes nodeBytes = std::move(Bytes().Class("CPNNode").I32(5).I32(6).I32(7).I32(0).I32(0));
    EXPECT_EQ(Hex(Referenced(CPNNode(5, 6, 7))), Hex(nodeBytes));
    const Bytes labelled = std::move(Bytes()
                                         .Class("CPNNode")
                                         .I32(5)
                                         .I32(6)
                                         .I32(7)
                                         .I32(1)
                                         .Class("CPNLabel")
                                         .I32(-5)
                                         .I32(0)
                                         .I32(-5)
                                         .Str(u"")
                                         .Byte(0));
    EXPECT_EQ(Hex(Referenced(CPNNode(5, 6, 7, false))), Hex(labelled));
    ExpectLabel(*ReadBack<CPNNode>(labelled), -5, 0, -5, u"", false);
    // A zero says no label; the word after it carries nothing.
    const auto plain =
        ReadBack<CPNNode>(Bytes().Class("CPNNode").I32(5).I32(6).I32(7).I32(0).I32(9));
    EXPECT_EQ(plain->GetLabel(), nullptr);

    // A label's flag byte comes back as it was read.
    const Bytes oddFlag =
        std::move(Bytes().Class("CPNLabel").I32(0).I32(0).I32(0).Str(u"č").Byte(2));
    EXPECT_EQ(Hex(Referenced(*ReadBack<CPNLabel>(oddFlag))), Hex(oddFlag));
}

TEST(NetElements, LabelOfAnotherClassIsAReadError) {
    const Bytes bytes = std::move(Bytes().Class("CPNPlace").I32(1).I32(0).I32(0).Class("CPNNode"));
    CArchive archive(bytes.Get());
    try {
        archive.ReadObjectOf<CPNPlace>();
        ADD_FAILURE() << "no read error";
    } catch (const ArchiveError& error) {
        EXPECT_EQ(error.GetCause(), ArchiveError::Cause::BadClass);
    }
}

}  // namespace
}  // namespace orvane
