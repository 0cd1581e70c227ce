// SPDX-License-Identifier: GPL-3.0-or-later
// Net elements and Petri nets: stored bytes, arc and element order, cursors, numbering,
// geometry and the faults of damaged files. Arcs that lead round in a circle must not keep a
// net's elements alive: the leak checker of the test build finds any that do.
#include <gtest/gtest.h>

#include <array>

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
std::vector<std::uint8_t> Referenced(const CObject& element) {
    CArchive archive;
    archive.WriteObject(&element);
    return archive.TakeData();
}

// The bytes read as one element, and that element referred to again.
std::string Reread(const std::vector<std::uint8_t>& bytes) {
    CArchive archive(bytes);
    const auto element = archive.ReadObject(nullptr);
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

// Places and their labels are stored in the net's worked example below.
TEST(NetElements, EachClassStoresItsItemsAndLoadsBack) {
    CPNTransition transition(2, 3, 4);
    transition.SetLabel(nullptr);
    transition.SetSize(12, 30);
    // Setters of fields a class does not have change nothing.
    transition.SetTokens(5);
    transition.SetRadius(5);
    transition.SetText(u"x");
    EXPECT_TRUE(transition.GetTokens() == 0 && transition.GetRadius() == 0 &&
                transition.GetText() == u" ");
    const CPNNode bare(5, 6, 7), unflagged(5, 6, 7, false);
    CPNPetriNet net;  // a node that a net adds with a label has the label's flag set
    net.AddNode(5, 6, 7, true);
    net.First();
    const Bytes node = Bytes().Class("CPNNode").I32s({5, 6, 7});
    const Bytes labelled = Bytes(node).I32(1).Class("CPNLabel").I32s({-5, 0, -5}).Str(u"");
    const std::pair<const CObject*, Bytes> cases[] = {
        {&transition, Bytes().Class("CPNTransition").I32s({2, 3, 4}).U16(0).I32s({12, 30})},
        {&bare, Bytes(node).I32s({0, 0})},
        {&unflagged, Bytes(labelled).Byte(0)},
        {net.Current().get(), Bytes(labelled).Byte(1)}};
    for (const auto& [element, bytes] : cases) {
        EXPECT_EQ(Hex(Referenced(*element)), Hex(bytes));
        EXPECT_EQ(Reread(bytes), Hex(bytes));
    }
    // A zero says no label; the word after it carries nothing. A label's flag byte comes back
    // as it was read.
    EXPECT_EQ(Reread(Bytes(node).I32s({0, 9})), Hex(Bytes(node).I32s({0, 0})));
    const Bytes label = Bytes().Class("CPNLabel").I32s({0, 0, 0}).Str(u"č").Byte(2);
    EXPECT_EQ(Reread(label), Hex(label));
    EXPECT_EQ(CPNPlace(-2147483647 - 1, 0, 0).GetLabel()->GetText(), u"Place.-2147483648");
}

TEST(NetElements, ArcsAreNewestFirstAndWalkedWithACursor) {
    auto a = std::make_shared<CPNPlace>(1, 0, 0);
    CPNNode node(3, 0, 0);
    EXPECT_FALSE(node.FirstArc() || node.RemoveArc(a.get()) || node.AddArc(nullptr));
    ASSERT_TRUE(node.AddArc(a) && node.AddArc(a) &&
                node.AddArc(std::make_shared<CPNNode>(2, 0, 0)));
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
    ASSERT_TRUE(node.FindArc(a.get()) &&
                node.RemoveArc(a.get()));  // the newer one, under the cursor
    EXPECT_EQ(node.GetArcTarget(), nullptr);
    ASSERT_TRUE(node.FindArc(a.get()));
    EXPECT_EQ(node.GetArcWeight(), 1);
}

TEST(NetElements, BorderPointsOfPlacesAndTransitions) {
    const CPNPlace place(1, 0, 0), farPlace(1, -2147483647 - 1, 0);
    const CPNTransition transition(2, 0, 0);  // centre (5, 20)
    CPNTransition flat(4, 10, 10);
    flat.SetSize(0, 0);
    const CPNNode node(3, 0, 0);
    const struct {
        const CPNObject& element;
        std::int32_t px, py, along, across, x, y;
    } cases[] = {{place, 100, 0, 5, 0, 25, 0},
                 {place, 100, 0, 5, 10, 25, 10},
                 {node, 100, 0, 0, 0, 0, 0},
                 {transition, 105, 20, 0, 0, 15, 20},
                 {transition, 5, 120, 0, 0, 5, 60},
                 // Far points, whose squares do not fit 32 bits.
                 {place, 100000, 0, 0, 0, 20, 0},
                 {transition, 5, 100020, 0, 0, 5, 60},
                 {farPlace, 2147483647, 0, 0, 0, -2147483628, 0},
                 // The centre itself gives the centre; so do shapes that give no number.
                 {place, 0, 0, 5, 5, 0, 0},
                 {transition, 5, 20, 5, 5, 5, 20},
                 {flat, 50, 10, 0, 0, 10, 10}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.element.BorderX(c.px, c.py, c.along, c.across), c.x) << c.px << "," << c.py;
        EXPECT_EQ(c.element.BorderY(c.px, c.py, c.along, c.across), c.y) << c.px << "," << c.py;
    }
}

TEST(PetriNet, TwoElementNetIsStoredOldestFirstWithItsArcAndLoadsBack) {
    CPNPetriNet net;
    ASSERT_TRUE(net.AddPlace(1, 100, 50) && net.AddTransition(2, 200, 30));
    Connect(net, 1, 2);
    Bytes expected = Bytes().I32s({2, 1001}).Class("CPNPlace").I32s({1, 100, 50});
    expected.Class("CPNLabel").I32s({-1, -20, -25}).Str(u"Place.1").Byte(1);
    expected.I32s({20, 32767, 0, 1002}).Class("CPNTransition").I32s({2, 200, 30});
    expected.U16(0x8003).I32s({-2, 0, -5}).Str(u"Transition.2").Byte(1).I32s({10, 40});
    expected.I32s({1, 2, 1, -1, -1, -1});
    EXPECT_EQ(Hex(StoredItems(net)), Hex(expected));
    EXPECT_EQ(Hex(StoredItems(*LoadedItems<CPNPetriNet>(expected))), Hex(expected));
}

// Each element's arcs come back in reverse order, and arcs join the frontmost element of their
// numbers. The cursor stays where the last lookup of the loading left it: on an arc's target,
// or on its source when the target's number is unknown.
TEST(PetriNet, LoadingReversesArcsAndJoinsThemToTheFrontmostElementOfTheirNumbers) {
    CPNPetriNet net;
    for (const auto& [id, x] : {std::pair{5, 10}, {5, 20}, {7, 30}}) {
        net.AddNode(id, x, 0, false);
    }
    const auto seven = Element(net, 7);
    net.Next();
    net.Next();
    const auto olderFive = net.Current();
    olderFive->AddArc(seven);
    seven->AddArc(olderFive);
    Connect(net, 7, 7, 5);
    const std::vector<std::uint8_t> stored = StoredItems(net);
    const auto loaded = LoadedItems<CPNPetriNet>(stored);
    EXPECT_EQ(loaded->Current()->GetId(), 7);
    EXPECT_EQ(Shape(*loaded), "7>5:1>7:5 5>7:1 5");
    EXPECT_EQ(Element(*loaded, 7)->Arcs().front().target->GetX(), 20);

    const std::vector<std::uint8_t> elements(stored.begin(), stored.end() - 12);
    const auto unknown =
        LoadedItems<CPNPetriNet>(Bytes().Raw(elements).I32s({5, 99, 1, -1, -1, -1}));
    EXPECT_EQ(unknown->Current()->GetX(), 20);
}

TEST(PetriNet, LoadingPassesOverWhatItCannotPlace) {
    // An unknown type code and an arc from an unknown number are passed over; a -1 in a
    // triple ends the arcs, and nothing after it is read.
    Bytes damaged = Bytes().I32s({2, 1009, 1003}).Class("CPNNode").I32s({8, 0, 0, 0, 0});
    damaged.I32s({7, 8, 1, 8, 8, 3, 8, 8, -1, 8, 8, 6});
    std::size_t left = 0;
    const auto loaded = LoadedItems<CPNPetriNet>(damaged, &left);
    EXPECT_EQ(left, 12u);
    EXPECT_EQ(loaded->GetCount(), 1);
    EXPECT_EQ(Shape(*loaded), "8>8:3");
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
    // Added one after another; after 32767, and after numbers beyond it, counting wraps to 1.
    for (const auto& [id, next] :
         {std::pair{3, 4}, {2, 4}, {1, 4}, {32767, 4}, {40000, 40001}, {2147483647, 4}}) {
        net.AddNode(id, 0, 0, false);
        EXPECT_EQ(net.NewId(), next) << id;
    }
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
    // A point exactly the radius away misses a place; a transition's edges are in it; a
    // node's square ends short of 10 from its centre, on every side. Labels are never hit.
    const std::array<std::int32_t, 3> hits[] = {
        {100, 100, 2}, {100, 119, 2},  {100, 120, 0},
        {0, 0, 3},     {10, 0, 3},     {0, 40, 3},
        {6, 6, 5},     {309, 291, 4},  {291, 309, 4},
        {290, 300, 0}, {310, 300, 0},  {300, 290, 0},
        {300, 310, 0}, {-100, -25, 0}, {2147483647, -2147483647 - 1, 0}};
    for (const auto& [x, y, id] : hits) {
        const auto element = net.HitTest(x, y);
        EXPECT_EQ(element == nullptr ? 0 : element->GetId(), id) << x << "," << y;
    }
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
    EXPECT_TRUE(net.Current()->GetX() == 5 && net.Next() && !net.Next());
    EXPECT_EQ(net.Current()->GetX(), 0);

    const CPNPlace stranger(1, 0, 0);
    EXPECT_FALSE(net.FindElement(&stranger) || net.RemoveElement(&stranger) ||
                 net.AddElement(nullptr) ||
                 net.AddElement(std::make_shared<CPNLabel>(1, 0, 0, u"", true)));
    EXPECT_TRUE(net.AddElement(std::make_shared<CPNNode>(7, 0, 0)));
    EXPECT_EQ(net.GetCount(), 3);  // AddElement does not count

    ASSERT_TRUE(net.FindById(2) && net.RemoveElement(net.Current().get()));
    EXPECT_TRUE(net.Current() == nullptr && !net.Next());
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
    ASSERT_TRUE(net.DeleteElement(Element(net, 1).get()));
    // Of the chain into place 1 only its first node goes. (Nodes are elements of the walk
    // too: had node 21 come before place 3, its own chain would have taken node 22.)
    EXPECT_EQ(Shape(net), "3>21:1 2>3:1 22>1:1");
    EXPECT_EQ(net.GetCount(), 3);
    // The arcs to elements no longer in the net are dropped on loading.
    EXPECT_EQ(Shape(*LoadedItems<CPNPetriNet>(StoredItems(net))), "3 2>3:1 22");

    // A ring of nodes ends after a bounded walk.
    CPNPetriNet ring;
    ring.AddNode(1, 0, 0, false);
    ring.AddNode(2, 0, 0, false);
    Connect(ring, 1, 2);
    Connect(ring, 2, 1);
    EXPECT_TRUE(ring.DeleteElement(Element(ring, 1).get()) && ring.IsEmpty());
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
