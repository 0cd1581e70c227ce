#include <gtest/gtest.h>

#include "archive/Archive.h"
#include "common/TextCodec.h"
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

// Type, id, position, the five sizes (0 where the class has none), state and the label.
std::string Describe(const CPNObject& e) {
    std::string out;
    for (const int value :
         {e.GetType(), e.GetId(), e.GetX(), e.GetY(), e.GetRadius(), e.GetCapacity(), e.GetTokens(),
          e.GetWidth(), e.GetHeight(), e.GetState()}) {
        out += std::to_string(value) + " ";
    }
    out += "'" + ToUtf8(e.GetText()) + "'" + (e.GetFlag() ? " on" : "");
    return e.GetLabel() == nullptr ? out : out + " [" + Describe(*e.GetLabel()) + "]";
}

TEST(NetElements, ConstructorsGiveTheDefaultsAndLabels) {
    EXPECT_EQ(
        Describe(CPNPlace(7, 100, 50)),
        "1001 7 100 50 20 32767 0 0 0 1100 ' ' [1004 -7 -20 -25 0 0 0 0 0 1100 'Place.7' on]");
    EXPECT_EQ(Describe(CPNTransition(3, 1, 2)),
              "1002 3 1 2 0 0 0 10 40 1100 ' ' [1004 -3 0 -5 0 0 0 0 0 1100 'Transition.3' on]");
    EXPECT_EQ(Describe(CPNNode(4, 1, 2, false)),
              "1003 4 1 2 0 0 0 0 0 1100 ' ' [1004 -4 0 -5 0 0 0 0 0 1100 '']");
    EXPECT_EQ(Describe(CPNNode(4, 1, 2)), "1003 4 1 2 0 0 0 0 0 1100 ' '");
    EXPECT_EQ(Describe(CPNObject()), "1000 0 0 0 0 0 0 0 0 1100 ' '");
    EXPECT_EQ(CPNPlace(-2147483647 - 1, 0, 0).GetLabel()->GetText(), u"Place.-2147483648");

    // Setters of fields a class does not have change nothing.
    CPNTransition transition(3, 1, 2);
    transition.SetTokens(5);
    transition.SetRadius(5);
    transition.SetText(u"x");
    transition.SetSize(12, 30);
    EXPECT_EQ(Describe(transition).substr(0, 40), "1002 3 1 2 0 0 0 12 30 1100 ' ' [1004 -3");
}

TEST(NetElements, ArcsAreNewestFirstAndWalkedWithACursor) {
    auto a = std::make_shared<CPNPlace>(1, 0, 0);
    auto b = std::make_shared<CPNTransition>(2, 0, 0);
    CPNNode node(3, 0, 0);
    EXPECT_FALSE(node.FirstArc());
    EXPECT_FALSE(node.RemoveArc(a.get()));
    EXPECT_FALSE(node.AddArc(nullptr));
    ASSERT_TRUE(node.AddArc(a) && node.AddArc(b) && node.AddArc(a));
    ASSERT_TRUE(node.FindArc(a.get()));
    node.SetArcWeight(7);  // the newest arc to a
    std::string walk;
    for (bool more = node.FirstArc(); more; more = node.NextArc()) {
        walk += std::to_string(node.GetArcTarget()->GetId()) + ":" +
                std::to_string(node.GetArcWeight()) + " ";
    }
    EXPECT_EQ(walk, "1:7 2:1 1:1 ");
    EXPECT_EQ(node.GetArcCount(), 3);
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
    EXPECT_NEAR(CPNPlace(1, -2147483647 - 1, 0).BorderX(2147483647, 0, 0, 0), -2147483628.0, 1);

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
    Bytes place = Bytes().Class("CPNPlace").I32s({1, 100, 50});
    place.Class("CPNLabel").I32s({-1, -20, -25}).Str(u"Place.1").Byte(1).I32s({20, 32767, 0});
    EXPECT_EQ(Hex(Referenced(CPNPlace(1, 100, 50))), Hex(place));
    EXPECT_EQ(Describe(*ReadBack<CPNPlace>(place)), Describe(CPNPlace(1, 100, 50)));

    CPNTransition bare(2, 3, 4);
    bare.SetLabel(nullptr);
    const Bytes transition = Bytes().Class("CPNTransition").I32s({2, 3, 4}).U16(0).I32s({10, 40});
    EXPECT_EQ(Hex(Referenced(bare)), Hex(transition));
    EXPECT_EQ(ReadBack<CPNTransition>(transition)->GetLabel(), nullptr);

    EXPECT_EQ(Hex(Referenced(CPNNode(5, 6, 7))),
              Hex(Bytes().Class("CPNNode").I32s({5, 6, 7, 0, 0})));
    Bytes labelled = Bytes().Class("CPNNode").I32s({5, 6, 7, 1});
    labelled.Class("CPNLabel").I32s({-5, 0, -5}).Str(u"").Byte(0);
    EXPECT_EQ(Hex(Referenced(CPNNode(5, 6, 7, false))), Hex(labelled));
    EXPECT_EQ(Describe(*ReadBack<CPNNode>(labelled)), Describe(CPNNode(5, 6, 7, false)));
    // A zero says no label; the word after it carries nothing.
    const Bytes plain = Bytes().Class("CPNNode").I32s({5, 6, 7, 0, 9});
    EXPECT_EQ(ReadBack<CPNNode>(plain)->GetLabel(), nullptr);

    // A label's flag byte comes back as it was read.
    const Bytes label = Bytes().Class("CPNLabel").I32s({0, 0, 0}).Str(u"č").Byte(2);
    EXPECT_EQ(Hex(Referenced(*ReadBack<CPNLabel>(label))), Hex(label));

    const Bytes wrong = Bytes().Class("CPNPlace").I32s({1, 0, 0}).Class("CPNNode");
    CArchive archive(wrong.Get());
    try {
        archive.ReadObjectOf<CPNPlace>();
        ADD_FAILURE() << "no read error";
    } catch (const ArchiveError& error) {
        EXPECT_EQ(error.GetCause(), ArchiveError::Cause::BadClass);
    }
}

}  // namespace
}  // namespace orvane
