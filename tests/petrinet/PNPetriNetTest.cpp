#include <gtest/gtest.h>

#include "archive/Archive.h"
#include "archive/ClassRegistry.h"
#include "petrinet/PNLabel.h"
#include "petrinet/PNNode.h"
#include "petrinet/PNPetriNet.h"
#include "petrinet/PNPlace.h"
#include "petrinet/PNTransition.h"
#include "support/ByteBuilder.h"
#include "support/Serialized.h"

namespace orvane {
namespace {

using test::Bytes;
using test::Hex;
using test::LoadedItems;
using test::StoredItems;

std::shared_ptr<CPNObject> Element(CPNPetriNet& net, std::int32_t id) {
    return net.FindById(id) ? net.Current() : nullptr;
}

void Connect(CPNPetriNet& net, std::int32_t from, std::int32_t to, std::int32_t weight = 1) {
    const auto source = Element(net, from);
    ASSERT_NE(source, nullptr);
    ASSERT_TRUE(source->AddArc(Element(net, to)));
    source->FirstArc();
    source->SetArcWeight(weight);
}

// The ids of the net, front to back.
std::vector<std::int32_t> Ids(CPNPetriNet& net) {
    std::vector<std::int32_t> ids;
    if (net.First()) {
        do {
            ids.push_back(net.Current()->GetId());
        } while (net.Next());
    }
    return ids;
}

// The (target id, weight) of an element's arcs, newest first.
std::vector<std::pair<std::int32_t, std::int32_t>> ArcsOf(const CPNObject& element) {
    std::vector<std::pair<std::int32_t, std::int32_t>> arcs;
    for (const auto& arc : element.Arcs()) {
        arcs.emplace_back(arc.target->GetId(), arc.weight);
    }
    return arcs;
}

TEST(PetriNet, AllElementClassesAreRegistered) {
    EXPECT_EQ(FindClass("CPNObject"), &CPNObject::Class());
    EXPECT_EQ(FindClass("CPNPlace"), &CPNPlace::Class());
    EXPECT_EQ(FindClass("CPNTransition"), &CPNTransition::Class());
    EXPECT_EQ(FindClass("CPNNode"), &CPNNode::Class());
    EXPECT_EQ(FindClass("CPNLabel"), &CPNLabel::Class());
    EXPECT_EQ(FindClass("CPNPetriNet"), &CPNPetriNet::Class());
}

TEST(PetriNet, TwoElementNetIsStoredOldestFirstWithItsArcAndLoadsBack) {
    CPNPetriNet net;
    ASSERT_TRUE(net.AddPlace(1, 100, 50));
    ASSERT_TRUE(net.AddTransition(2, 200, 30));
    Connect(net, 1, 2);
    const Bytes expected = std::move(Bytes()
                                         .I32(2)
                                         .I32(1001)
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
                                         .I32(0)
                                         .I32(1002)
                                         .Class("CPNTransition")
                                         .I32(2)
                                         .I32(200)
                                         .I32(30)
                                         .U16(0x8003)
                                         .I32(-2)
                                         .I32(0)
                                         .I32(-5)
                                         .Str(u"Transition.2")
                                         .Byte(1)
                                         .I32(10)
                                         .I32(40)
                                         .I32(1)
                                         .I32(2)
                                         .I32(1)
                                         .I32(-1)
                                         .I32(-1)
                                         .I32(-1));
    EXPECT_EQ(Hex(StoredItems(net)), Hex(expected));

    const auto loaded = LoadedItems<CPNPetriNet>(expected);
    EXPECT_EQ(loaded->GetCount(), 2);
    EXPECT_EQ(Ids(*loaded), (std::vector<std::int32_t>{2, 1}));
    EXPECT_EQ(ArcsOf(*Element(*loaded, 1)), (std::vector<std::pair<int, int>>{{2, 1}}));
    EXPECT_EQ(Element(*loaded, 1)->GetLabel()->GetText(), u"Place.1");
    EXPECT_EQ(Hex(StoredItems(*loaded)), Hex(expected));
}

TEST(PetriNet, EmptyNetIsItsCountAndTheEndMark) {
    CPNPetriNet net;
    const Bytes expected = std::move(Bytes().I32(0).I32(-1).I32(-1).I32(-1));
    EXPECT_EQ(Hex(StoredItems(net)), Hex(expected));
    const auto loaded = LoadedItems<CPNPetriNet>(expected);
    EXPECT_TRUE(loaded->IsEmpty());
    EXPECT_FALSE(loaded->First());
    EXPECT_EQ(loaded->Current(), nullptr);
}

TEST(PetriNet, LoadingReversesEachElementsArcsAndSkipsWhatItCannotPlace) {
    CPNPetriNet net;
    net.AddNode(1, 0, 0, false);
    net.AddNode(2, 0, 0, false);
    net.AddNode(3, 0, 0, true);
    Connect(net, 3, 1, 4);
    Connect(net, 3, 2, 5);
    auto bytes = StoredItems(net);
    EXPECT_EQ(ArcsOf(*Element(*LoadedItems<CPNPetriNet>(bytes), 3)),
              (std::vector<std::pair<int, int>>{{1, 4}, {2, 5}}));

    // An unknown type code and an arc from an unknown number are passed over; a -1 in a
    // triple ends the arcs, and nothing after it is read.
    bytes.resize(bytes.size() - 12);
    const Bytes damaged =
        std::move(Bytes()
                      .I32(2)
                      .I32(1009)
                      .I32(1003)
                      .Raw(Bytes().Class("CPNNode").I32(8).I32(0).I32(0).I32(0).I32(0))
                      .I32(7)
                      .I32(8)
                      .I32(1)
                      .I32(8)
                      .I32(8)
                      .I32(3)
                      .I32(8)
                      .I32(8)
                      .I32(-1)
                      .I32(8)
                      .I32(8)
                      .I32(6));
    std::size_t left = 0;
    const auto loaded = LoadedItems<CPNPetriNet>(damaged, &left);
    EXPECT_EQ(left, 12u);
    EXPECT_EQ(loaded->GetCount(), 1);
    EXPECT_EQ(ArcsOf(*Element(*loaded, 8)), (std::vector<std::pair<int, int>>{{8, 3}}));
    EXPECT_EQ(loaded->Current(), Element(*loaded, 8));  // where the lookups left the cursor
    EXPECT_EQ(LoadedItems<CPNPetriNet>(StoredItems(*loaded))->GetCount(), 1);
}

TEST(PetriNet, NewIdCountsOnFromTheNewestNumber) {
    CPNPetriNet net;
    EXPECT_EQ(net.NewId(), 1);
    net.AddPlace(3, 0, 0);
    net.AddPlace(2, 0, 0);
    net.AddPlace(1, 0, 0);
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
    ASSERT_TRUE(full.FindById(100));
    full.RemoveElement(full.Current().get());
    EXPECT_EQ(full.NewId(), 100);
}

TEST(PetriNet, HitTestPrefersPlacesAndTransitionsNewestFirst) {
    CPNPetriNet net;
    net.AddNode(1, 100, 100, false);
    net.AddPlace(2, 100, 100);
    net.AddTransition(3, 0, 0);
    net.AddNode(4, 300, 300, false);
    EXPECT_EQ(net.HitTest(100, 100)->GetId(), 2);
    EXPECT_EQ(net.HitTest(100, 119)->GetId(), 2);
    EXPECT_EQ(net.HitTest(100, 120), nullptr);  // exactly the radius away
    EXPECT_EQ(net.HitTest(0, 0)->GetId(), 3);
    EXPECT_EQ(net.HitTest(10, 40)->GetId(), 3);
    EXPECT_EQ(net.HitTest(309, 291)->GetId(), 4);
    EXPECT_EQ(net.HitTest(310, 300), nullptr);
    EXPECT_EQ(net.HitTest(-100, -25), nullptr);  // labels are never hit
    net.AddTransition(5, 5, 5);
    EXPECT_EQ(net.HitTest(6, 6)->GetId(), 5);
    EXPECT_EQ(net.HitTest(2147483647, -2147483647 - 1), nullptr);
}

TEST(PetriNet, LookupsAndRemovalsMoveTheCursorAsDocumented) {
    CPNPetriNet net;
    EXPECT_FALSE(net.Next());
    EXPECT_FALSE(net.RemoveElement(nullptr));
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
    EXPECT_FALSE(net.FindElement(&stranger));
    EXPECT_FALSE(net.RemoveElement(&stranger));
    EXPECT_FALSE(net.AddElement(nullptr));
    EXPECT_FALSE(net.AddElement(std::make_shared<CPNLabel>(1, 0, 0, u"", true)));
    EXPECT_TRUE(net.AddElement(std::make_shared<CPNNode>(7, 0, 0)));
    EXPECT_EQ(net.GetCount(), 3);  // AddElement does not count

    ASSERT_TRUE(net.FindById(2));
    ASSERT_TRUE(net.RemoveElement(net.Current().get()));
    EXPECT_EQ(net.Current(), nullptr);
    EXPECT_FALSE(net.Next());
    EXPECT_EQ(net.GetCount(), 2);
    EXPECT_EQ(Ids(net), (std::vector<std::int32_t>{7, 1, 1}));
}

TEST(PetriNet, DeleteElementTakesItsNodeChainsAlong) {
    // place 1 -> node 11 -> node 12 -> place 2; place 3 -> node 21 -> node 22 -> place 1
    CPNPetriNet net;
    for (const std::int32_t id : {11, 12, 21, 22}) {
        net.AddNode(id, id, id, false);
    }
    for (const std::int32_t id : {1, 2, 3}) {
        net.AddPlace(id, id * 100, 0);
    }
    Connect(net, 1, 11);
    Connect(net, 11, 12);
    Connect(net, 12, 2);
    Connect(net, 3, 21);
    Connect(net, 21, 22);
    Connect(net, 22, 1);
    Connect(net, 2, 3);
    const std::weak_ptr<CPNObject> deleted = Element(net, 1);
    ASSERT_TRUE(net.DeleteElement(Element(net, 1).get()));
    // Of the chain into place 1 only its first node goes; the walk passes over node 21,
    // which is gone by its turn, so node 22 stays.
    EXPECT_EQ(Ids(net), (std::vector<std::int32_t>{3, 2, 22}));
    EXPECT_EQ(net.GetCount(), 3);
    EXPECT_EQ(ArcsOf(*Element(net, 2)), (std::vector<std::pair<int, int>>{{3, 1}}));
    // An arc still leads to node 21, which is no longer in the net; it stays alive, and the
    // stored arc to it is dropped on loading.
    EXPECT_EQ(ArcsOf(*Element(net, 3)), (std::vector<std::pair<int, int>>{{21, 1}}));
    const auto loaded = LoadedItems<CPNPetriNet>(StoredItems(net));
    EXPECT_EQ(Ids(*loaded), (std::vector<std::int32_t>{3, 2, 22}));
    EXPECT_EQ(Element(*loaded, 3)->GetArcCount(), 0);
    EXPECT_FALSE(deleted.expired());  // node 22 still leads to it

    // Walked in another order, the nodes of a chain are elements whose own chains lead
    // into the deleted element too.
    CPNPetriNet reversed;
    for (const std::int32_t id : {3, 21, 22, 1}) {
        reversed.AddNode(id, 0, 0, false);
    }
    Connect(reversed, 3, 21);
    Connect(reversed, 21, 22);
    Connect(reversed, 22, 1);
    ASSERT_TRUE(reversed.DeleteElement(Element(reversed, 1).get()));
    EXPECT_EQ(Ids(reversed), (std::vector<std::int32_t>{3}));

    // A ring of nodes ends after a bounded walk.
    CPNPetriNet ring;
    ring.AddNode(1, 0, 0, false);
    ring.AddNode(2, 0, 0, false);
    Connect(ring, 1, 2);
    Connect(ring, 2, 1);
    EXPECT_TRUE(ring.DeleteElement(Element(ring, 1).get()));
    EXPECT_TRUE(ring.IsEmpty());
}

TEST(PetriNet, ElementsOutliveTheirNetOnlyWhileHeldFromOutside) {
    std::weak_ptr<CPNObject> place;
    std::weak_ptr<CPNObject> removed;
    std::shared_ptr<CPNObject> kept;
    {
        CPNPetriNet net;
        net.AddPlace(1, 0, 0);
        net.AddTransition(2, 0, 0);
        net.AddNode(3, 0, 0, true);
        Connect(net, 1, 2);
        Connect(net, 2, 1);
        Connect(net, 3, 2);
        Connect(net, 2, 3);
        place = Element(net, 1);
        removed = Element(net, 3);
        kept = Element(net, 2);
        net.RemoveElement(removed.lock().get());
        EXPECT_FALSE(removed.expired());
    }
    EXPECT_TRUE(place.expired());
    EXPECT_TRUE(removed.expired());
    EXPECT_EQ(kept->GetArcCount(), 0);
}

TEST(PetriNet, MalformedNetsAreReadErrors) {
    using Cause = ArchiveError::Cause;
    CPNPetriNet net;
    net.AddPlace(1, 0, 0);
    net.AddTransition(2, 0, 0);
    Connect(net, 1, 2);
    const auto whole = StoredItems(net);
    for (std::size_t size = 0; size < whole.size(); ++size) {
        EXPECT_EQ(test::LoadFailure<CPNPetriNet>({whole.begin(), whole.begin() + size}),
                  Cause::EndOfData)
            << size;
    }
    EXPECT_EQ(test::LoadFailure<CPNPetriNet>(Bytes().I32(2147483647).I32(1009)), Cause::EndOfData);
    EXPECT_EQ(test::LoadFailure<CPNPetriNet>(Bytes().I32(1).I32(1001).Class("CPNNode")),
              Cause::BadClass);
}

}  // namespace
}  // namespace orvane
