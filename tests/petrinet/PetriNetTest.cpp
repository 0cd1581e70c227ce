// Net elements and Petri nets: stored bytes, arc and element order, cursors, numbering,
// geometry and the faults of damaged files.
#include <gtest/gtest.h>

#include "petrinet/PNLabel.h"
#include "petrinet/PNNode.h"
#include "petrinet/PNPetriNet.h"
#include "petrinet/PNPlace.h"
#include "petrinet/PNTransition.h"
#include "support/ByteBuilder.h"
#include "support/Serialized.h"

namespace orvane::test {
namespace {

using Cause = ArchiveError::Cause;

// One element as a file refers to it: its class record and its items.
std::vector<std::uint8_t> Referenced(const CPNObject& element) {
    CArchive archive;
    archive.WriteObject(&element);
    return archive.TakeData();
}

// The bytes read as one element of class T, and that element referred to again.
template <class T>
std::string Reread(const std::vector<std::uint8_t>& bytes) {
    CArchive archive(bytes);
    const auto element = archive.ReadObjectOf<T>();
    EXPECT_EQ(archive.Remaining(), 0u);
    return Hex(Referenced(*element));
}

std::shared_ptr<CPNObject> Element(CPNPetriNet& net, std::int32_t id) {
    return net.FindById(id) ? net.Current() : nullptr;
}

void Connect(CPNPetriNet& net, std::int32_t from, std::int32_t to, std::int32_t weight = 1) {
    const auto source = Element(net, from);
    ASSERT_TRUE(source != nullptr && source->AddArc(Element(net, to)));
    source->FirstArc();
    source->SetArcWeight(weight);
}

// The elements front to back, each as its id and its arcs ">target:weight", newest first.
std::string Shape(CPNPetriNet& net) {
    std::string shape;
    for (bool more = net.First(); more; more = net.Next()) {
        shape += (shape.empty() ? "" : " ") + std::to_string(net.Current()->GetId());
        for (const auto& arc : net.Current()->Arcs()) {
            shape += ">" + std::to_string(arc.target->GetId()) + ":" + std::to_string(arc.weight);
        }
    }
    return shape;
}

TEST(NetElements, EachClassStoresItsItemsAndLoadsBack) {
    Bytes place = Bytes().Class("CPNPlace").I32s({1, 100, 50});
    place.Class("CPNLabel").I32s({-1, -20, -25}).Str(u"Place.1").Byte(1).I32s({20, 32767, 0});
    EXPECT_EQ(Hex(Referenced(CPNPlace(1, 100, 50))), Hex(place));
    EXPECT_EQ(Reread<CPNPlace>(place), Hex(place));

    // Setters of fields a class does not have change nothing.
    CPNTransition bare(2, 3, 4);
    bare.SetLabel(nullptr);
    bare.SetTokens(5);
    bare.SetRadius(5);
    bare.SetText(u"x");
    bare.SetSize(12, 30);
    EXPECT_TRUE(bare.GetTokens() == 0 && bare.GetRadius() == 0 && bare.GetText() == u" ");
    const Bytes transition = Bytes().Class("CPNTransition").I32s({2, 3, 4}).U16(0).I32s({12, 30});
    EXPECT_EQ(Hex(Referenced(bare)), Hex(transition));
    EXPECT_EQ(Reread<CPNTransition>(transition), Hex(transition));

    const Bytes node = Bytes().Class("CPNNode").I32s({5, 6, 7, 0, 0});
    EXPECT_EQ(Hex(Referenced(CPNNode(5, 6, 7))), Hex(node));
    Bytes labelled = Bytes().Class("CPNNode").I32s({5, 6, 7, 1});
    labelled.Class("CPNLabel").I32s({-5, 0, -5}).Str(u"").Byte(0);
    EXPECT_EQ(Hex(Referenced(CPNNode(5, 6, 7, false))), Hex(labelled));
    EXPECT_EQ(Reread<CPNNode>(labelled), Hex(labelled));
    // A zero says no label; the word after it carries nothing.
    EXPECT_EQ(Reread<CPNNode>(Bytes().Class("CPNNode").I32s({5, 6, 7, 0, 9})), Hex(node));
    // A label's flag byte comes back as it was read.
    const Bytes label = Bytes().Class("CPNLabel").I32s({0, 0, 0}).Str(u"č").Byte(2);
    EXPECT_EQ(Reread<CPNLabel>(label), Hex(label));
    EXPECT_EQ(CPNPlace(-2147483647 - 1, 0, 0).GetLabel()->GetText(), u"Place.-2147483648");
}

TEST(NetElements, ArcsAreNewestFirstAndWalkedWithACursor) {
    auto a = std::make_shared<CPNPlace>(1, 0, 0);
    auto b = std::make_shared<CPNTransition>(2, 0, 0);
    CPNNode node(3, 0, 0);
    EXPECT_FALSE(node.FirstArc() || node.RemoveArc(a.get()) || node.AddArc(nullptr));
    ASSERT_TRUE(node.AddArc(a) && node.AddArc(a) && node.AddArc(b));
    ASSERT_TRUE(node.FindArc(a.get()));
    node.SetArcWeight(7);  // the newest arc to a
    std::string walk;
    for (bool more = node.FirstArc(); more; more = node.NextArc()) {
        walk += std::to_string(node.GetArcTarget()->GetId()) + ":" +
                std::to_string(node.GetArcWeight()) + " ";
    }
    EXPECT_EQ(walk, "2:1 1:7 1:1 ");
    // Past the last arc the cursor is on no arc.
    EXPECT_TRUE(node.GetArcTarget() == nullptr && node.GetArcWeight() == 0);
    node.SetArcWeight(9);
    EXPECT_FALSE(node.NextArc());

    ASSERT_TRUE(node.FindArc(a.get()));
    ASSERT_TRUE(node.RemoveArc(a.get()));  // the newer one, which was under the cursor
    EXPECT_EQ(node.GetArcTarget(), nullptr);
    ASSERT_TRUE(node.FindArc(a.get()));
    EXPECT_EQ(node.GetArcWeight(), 1);
}

TEST(NetElements, BorderPointsOfPlacesAndTransitions) {
    const CPNPlace place(1, 0, 0);
    const CPNPlace farPlace(1, -2147483647 - 1, 0);
    const CPNTransition transition(2, 0, 0);  // centre (5, 20)
    CPNTransition flat(4, 10, 10);
    flat.SetSize(0, 0);
    const CPNNode node(3, 0, 0);
    const auto border = [](const CPNObject& element, std::int32_t px, std::int32_t py,
                           std::int32_t along, std::int32_t across) {
        return std::to_string(element.BorderX(px, py, along, across)) + "," +
               std::to_string(element.BorderY(px, py, along, across)) + " ";
    };
    EXPECT_EQ(border(place, 100, 0, 5, 0) + border(place, 100, 0, 5, 10) +
                  border(node, 100, 0, 0, 0) + border(transition, 105, 20, 0, 0) +
                  border(transition, 5, 120, 0, 0),
              "25,0 25,10 0,0 15,20 5,60 ");
    // Far points, whose squares do not fit 32 bits.
    EXPECT_EQ(border(place, 100000, 0, 0, 0) + border(transition, 5, 100020, 0, 0) +
                  border(farPlace, 2147483647, 0, 0, 0),
              "20,0 5,60 -2147483628,0 ");
    // The centre itself gives the centre; so do shapes that give no number.
    EXPECT_EQ(
        border(place, 0, 0, 5, 5) + border(transition, 5, 20, 5, 5) + border(flat, 50, 10, 0, 0),
        "0,0 5,20 10,10 ");
}

TEST(PetriNet, TwoElementNetIsStoredOldestFirstWithItsArcAndLoadsBack) {
    CPNPetriNet net;
    ASSERT_TRUE(net.AddPlace(1, 100, 50));
    ASSERT_TRUE(net.AddTransition(2, 200, 30));
    Connect(net, 1, 2);
    Bytes expected = Bytes().I32s({2, 1001}).Class("CPNPlace").I32s({1, 100, 50});
    expected.Class("CPNLabel").I32s({-1, -20, -25}).Str(u"Place.1").Byte(1);
    expected.I32s({20, 32767, 0, 1002}).Class("CPNTransition").I32s({2, 200, 30});
    expected.U16(0x8003).I32s({-2, 0, -5}).Str(u"Transition.2").Byte(1).I32s({10, 40});
    expected.I32s({1, 2, 1, -1, -1, -1});
    EXPECT_EQ(Hex(StoredItems(net)), Hex(expected));

    const auto loaded = LoadedItems<CPNPetriNet>(expected);
    EXPECT_EQ(loaded->GetCount(), 2);
    EXPECT_EQ(Hex(StoredItems(*loaded)), Hex(expected));
}

TEST(PetriNet, LoadingReversesEachElementsArcsAndSkipsWhatItCannotPlace) {
    CPNPetriNet net;
    net.AddNode(1, 0, 0, false);
    net.AddNode(2, 0, 0, false);
    net.AddNode(3, 0, 0, true);
    Connect(net, 3, 1, 4);
    Connect(net, 3, 2, 5);
    EXPECT_EQ(Shape(net), "3>2:5>1:4 2 1");
    EXPECT_EQ(Shape(*LoadedItems<CPNPetriNet>(StoredItems(net))), "3>1:4>2:5 2 1");

    // An unknown type code and an arc from an unknown number are passed over; a -1 in a
    // triple ends the arcs, and nothing after it is read.
    Bytes damaged = Bytes().I32s({2, 1009, 1003}).Class("CPNNode").I32s({8, 0, 0, 0, 0});
    damaged.I32s({7, 8, 1, 8, 8, 3, 8, 8, -1, 8, 8, 6});
    std::size_t left = 0;
    const auto loaded = LoadedItems<CPNPetriNet>(damaged, &left);
    EXPECT_EQ(left, 12u);
    EXPECT_EQ(loaded->GetCount(), 1);
    EXPECT_EQ(Shape(*loaded), "8>8:3");
    EXPECT_EQ(LoadedItems<CPNPetriNet>(StoredItems(*loaded))->GetCount(), 1);
}

TEST(PetriNet, LoadedArcsJoinTheFrontmostElementOfTheirNumbers) {
    CPNPetriNet net;
    net.AddNode(5, 10, 0, false);
    net.AddNode(5, 20, 0, false);
    net.AddNode(7, 30, 0, false);
    net.First();
    const auto seven = net.Current();
    net.Next();
    net.Next();
    const auto olderFive = net.Current();
    olderFive->AddArc(seven);
    seven->AddArc(olderFive);
    EXPECT_EQ(Shape(net), "7>5:1 5 5>7:1");

    // Both arcs now meet the five in front; the cursor stays where the last lookup left it:
    // on the target, or on the source when the target's number is unknown.
    Bytes stored = Bytes().Raw(StoredItems(net));
    const auto loaded = LoadedItems<CPNPetriNet>(stored);
    EXPECT_EQ(loaded->Current()->GetId(), 7);
    EXPECT_EQ(Shape(*loaded), "7>5:1 5>7:1 5");
    loaded->First();
    EXPECT_EQ(loaded->Current()->Arcs().front().target->GetX(), 20);

    std::vector<std::uint8_t> bytes = stored;
    bytes.resize(bytes.size() - 12);
    const auto unknownTarget =
        LoadedItems<CPNPetriNet>(Bytes().Raw(bytes).I32s({5, 99, 1, -1, -1, -1}));
    EXPECT_EQ(unknownTarget->Current()->GetX(), 20);
}

TEST(PetriNet, AnElementReadBeforeIsNoFurtherEntryOfThisNetOrAnother) {
    // The node (object 2) is listed twice in the first net and once more in the second. Were
    // each listing an entry, its arcs would be stored once per entry and double every time.
    Bytes bytes = Bytes().I32s({2, 1003}).Class("CPNNode").I32s({8, 0, 0, 0, 0});
    bytes.I32(1003).U16(2).I32s({8, 8, 1, -1, -1, -1});
    bytes.I32s({1, 1003}).U16(2).I32s({8, 8, 2, -1, -1, -1});
    CArchive archive(bytes.Get());
    CPNPetriNet first;
    CPNPetriNet second;
    first.Serialize(archive);
    second.Serialize(archive);
    EXPECT_EQ(archive.Remaining(), 0u);
    EXPECT_EQ(first.GetCount(), 1);
    EXPECT_EQ(Shape(first), "8>8:1");
    EXPECT_TRUE(second.IsEmpty());
    const auto stored = StoredItems(first);
    EXPECT_EQ(Hex(StoredItems(*LoadedItems<CPNPetriNet>(stored))), Hex(stored));
}

TEST(PetriNet, NewIdCountsOnFromTheNewestNumber) {
    CPNPetriNet net;
    EXPECT_EQ(net.NewId(), 1);
    for (const std::int32_t id : {3, 2, 1}) {
        net.AddPlace(id, 0, 0);
    }
    EXPECT_EQ(net.NewId(), 4);
    net.AddPlace(32767, 0, 0);
    EXPECT_EQ(net.NewId(), 4);  // 32767, then round to 1, 2, 3
    net.AddNode(40000, 0, 0, false);
    EXPECT_EQ(net.NewId(), 40001);
    net.AddNode(2147483647, 0, 0, false);
    EXPECT_EQ(net.NewId(), 4);

    CPNPetriNet full;
    for (std::int32_t id = 1; id <= 32767; ++id) {
        full.AddNode(id, 0, 0, false);
    }
    EXPECT_EQ(full.NewId(), -1);
    full.RemoveElement(Element(full, 100).get());
    EXPECT_EQ(full.NewId(), 100);
}

TEST(PetriNet, HitTestPrefersPlacesAndTransitionsNewestFirst) {
    CPNPetriNet net;
    net.AddNode(1, 100, 100, false);
    net.AddPlace(2, 100, 100);
    net.AddTransition(3, 0, 0);
    net.AddNode(4, 300, 300, false);
    net.AddTransition(5, 5, 5);
    const auto hit = [&](std::int32_t x, std::int32_t y) {
        const auto element = net.HitTest(x, y);
        return std::to_string(element == nullptr ? 0 : element->GetId()) + " ";
    };
    // (100, 120) is exactly the radius away; labels, as at (-100, -25), are never hit.
    EXPECT_EQ(hit(100, 100) + hit(100, 119) + hit(100, 120) + hit(0, 0) + hit(10, 0) + hit(0, 40) +
                  hit(6, 6) + hit(309, 291) + hit(310, 300) + hit(-100, -25) +
                  hit(2147483647, -2147483647 - 1),
              "2 2 0 3 3 3 5 4 0 0 0 ");
}

TEST(PetriNet, LookupsAndRemovalsMoveTheCursorAsDocumented) {
    CPNPetriNet net;
    EXPECT_FALSE(net.Next() || net.RemoveElement(nullptr));
    net.AddPlace(1, 0, 0);
    net.AddPlace(1, 5, 5);
    net.AddTransition(2, 0, 0);
    EXPECT_EQ(net.Current(), nullptr);
    ASSERT_TRUE(net.FindById(1));
    EXPECT_EQ(net.Current()->GetX(), 5);  // the newer of the two
    EXPECT_FALSE(net.FindById(9));
    EXPECT_EQ(net.Current()->GetX(), 5);
    EXPECT_TRUE(net.Next());
    EXPECT_FALSE(net.Next());
    EXPECT_EQ(net.Current()->GetX(), 0);

    const CPNPlace stranger(1, 0, 0);
    EXPECT_FALSE(net.FindElement(&stranger) || net.RemoveElement(&stranger) ||
                 net.AddElement(nullptr) ||
                 net.AddElement(std::make_shared<CPNLabel>(1, 0, 0, u"", true)));
    EXPECT_TRUE(net.AddElement(std::make_shared<CPNNode>(7, 0, 0)));
    EXPECT_EQ(net.GetCount(), 3);  // AddElement does not count

    ASSERT_TRUE(net.FindById(2));
    ASSERT_TRUE(net.RemoveElement(net.Current().get()));
    EXPECT_EQ(net.Current(), nullptr);
    EXPECT_FALSE(net.Next());
    EXPECT_EQ(net.GetCount(), 2);
    EXPECT_EQ(Shape(net), "7 1 1");
}

TEST(PetriNet, DeleteElementTakesItsNodeChainsAlong) {
    // place 1 -> node 11 -> node 12 -> place 2; place 3 -> node 21 -> node 22 -> place 1
    CPNPetriNet net;
    for (const std::int32_t id : {11, 12, 21, 22, 1, 2, 3}) {
        id < 10 ? net.AddPlace(id, id * 100, 0) : net.AddNode(id, id, id, false);
    }
    for (const auto& [from, to] :
         {std::pair{1, 11}, {11, 12}, {12, 2}, {3, 21}, {21, 22}, {22, 1}, {2, 3}}) {
        Connect(net, from, to);
    }
    const std::weak_ptr<CPNObject> deleted = Element(net, 1);
    ASSERT_TRUE(net.DeleteElement(Element(net, 1).get()));
    // Of the chain into place 1 only its first node goes. (Nodes are elements of the walk
    // too: had node 21 come before place 3, its own chain would have taken node 22.)
    EXPECT_EQ(Shape(net), "3>21:1 2>3:1 22>1:1");
    EXPECT_EQ(net.GetCount(), 3);
    EXPECT_FALSE(deleted.expired());  // node 22 still leads to it
    // The arcs to elements no longer in the net are dropped on loading.
    EXPECT_EQ(Shape(*LoadedItems<CPNPetriNet>(StoredItems(net))), "3 2>3:1 22");

    // A ring of nodes ends after a bounded walk.
    CPNPetriNet ring;
    ring.AddNode(1, 0, 0, false);
    ring.AddNode(2, 0, 0, false);
    Connect(ring, 1, 2);
    Connect(ring, 2, 1);
    EXPECT_TRUE(ring.DeleteElement(Element(ring, 1).get()));
    EXPECT_TRUE(ring.IsEmpty());
}

TEST(PetriNet, MalformedNetsAreReadErrors) {
    CPNPetriNet net;
    net.AddPlace(1, 0, 0);
    net.AddNode(2, 0, 0, true);
    Connect(net, 1, 2);
    ExpectEveryCutEndsTheData<CPNPetriNet>(StoredItems(net));
    EXPECT_EQ(LoadFailure<CPNPetriNet>(Bytes().I32s({2147483647, 1009})), Cause::EndOfData);
    // An element of another class than its type code says, and a label of another class.
    const Bytes place = Bytes().I32s({1, 1001}).Class("CPNPlace").I32s({1, 0, 0});
    EXPECT_EQ(LoadFailure<CPNPetriNet>(Bytes().I32s({1, 1001}).Class("CPNNode")), Cause::BadClass);
    EXPECT_EQ(LoadFailure<CPNPetriNet>(Bytes(place).Class("CPNNode")), Cause::BadClass);
}

}  // namespace
}  // namespace orvane::test
