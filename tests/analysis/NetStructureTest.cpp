// SPDX-License-Identifier: GPL-3.0-or-later
// What a drawn net means: connections through nodes, weights, names, and every drawing fault
// reported while the rest of the net is still read.
#include <gtest/gtest.h>

#include <functional>

#include "analysis/NetAnalysis.h"
#include "petrinet/PNLabel.h"
#include "petrinet/PNPlace.h"
#include "support/DrawnNet.h"

namespace orvane::test {
namespace {

// p1 (1), p2 (2), t1 (3): p1 -> t1 -> p2.
constexpr std::string_view kBase = "p1=1 p2; t1: p1 -> p2";

void Arc(CPNPetriNet& net, std::int32_t from, const std::shared_ptr<CPNObject>& to,
         std::int32_t weight = 1) {
    const auto source = ElementOf(net, from);
    source->AddArc(to);
    source->FirstArc();
    source->SetArcWeight(weight);
}

void Arc(CPNPetriNet& net, std::int32_t from, std::int32_t to, std::int32_t weight = 1) {
    Arc(net, from, ElementOf(net, to), weight);
}

struct SFaultCase {
    const char* name;
    std::function<void(CPNPetriNet&)> draw;
    SDrawingFaultEntry fault;
    std::size_t connections;  // still read
};

class DrawingFaultTest : public testing::TestWithParam<SFaultCase> {};

TEST_P(DrawingFaultTest, IsReportedAndTheRestIsStillRead) {
    const auto net = DrawnNet(kBase);
    net->AddNode(10, 0, 0, false);
    net->AddNode(11, 0, 0, false);
    GetParam().draw(*net);
    const auto structure = CNetStructure::FromDrawing(*net);
    ASSERT_EQ(structure.Faults().size(), 1u);
    const auto& fault = structure.Faults()[0];
    const auto& expected = GetParam().fault;
    EXPECT_EQ(fault.kind, expected.kind);
    EXPECT_EQ(std::vector({fault.elementId, fault.otherId, fault.value}),
              std::vector({expected.elementId, expected.otherId, expected.value}));
    EXPECT_EQ(structure.ConnectionCount(), GetParam().connections);
    EXPECT_GT(AnalyseNet(structure).states, 0u);
}

using F = DrawingFault;
INSTANTIATE_TEST_SUITE_P(
    Drawing, DrawingFaultTest,
    testing::Values(
        SFaultCase{
            "PlaceToPlace", [](auto& net) { Arc(net, 1, 2); }, {F::PlaceToPlace, 1, 2, 0}, 2},
        SFaultCase{"TransitionToTransition",
                   [](auto& net) {
                       net.AddTransition(4, 0, 0);
                       Arc(net, 3, 4);
                   },
                   {F::TransitionToTransition, 3, 4, 0},
                   2},
        SFaultCase{"ChainLeadsNowhere",
                   [](auto& net) { Arc(net, 2, 10); },
                   {F::ChainLeadsNowhere, 2, 10, 0},
                   2},
        SFaultCase{"ChainLoops",
                   [](auto& net) {
                       Arc(net, 3, 10);
                       Arc(net, 10, 11);
                       Arc(net, 11, 10);
                   },
                   {F::ChainLoops, 3, 10, 0},
                   2},
        SFaultCase{"NodeBranchesAndTheNewestArcCounts",
                   [](auto& net) {
                       Arc(net, 3, 10);
                       Arc(net, 10, 2);
                       Arc(net, 10, 1);
                   },
                   {F::NodeBranches, 10, 0, 2},
                   3},
        SFaultCase{"ArcOutsideNet",
                   [](auto& net) { Arc(net, 3, std::make_shared<CPNPlace>(9, 0, 0)); },
                   {F::ArcOutsideNet, 3, 9, 0},
                   2},
        SFaultCase{"NegativeWeightLeavesTheArcOut",
                   [](auto& net) { Arc(net, 3, 1, -2); },
                   {F::WeightNotPositive, 3, 1, -2},
                   2},
        SFaultCase{"WeightOfTheFirstSegmentCounts",
                   [](auto& net) {
                       Arc(net, 3, 10, 2);
                       Arc(net, 10, 1, 3);
                   },
                   {F::WeightsDisagree, 3, 1, 2},
                   3},
        SFaultCase{"NegativeTokens",
                   [](auto& net) { ElementOf(net, 2)->SetTokens(-1); },
                   {F::NegativeTokens, 2, 0, -1},
                   2},
        SFaultCase{"NegativeCapacity",
                   [](auto& net) { ElementOf(net, 2)->SetCapacity(-1); },
                   {F::NegativeCapacity, 2, 0, -1},
                   2},
        SFaultCase{"TokensAboveCapacity",
                   [](auto& net) { ElementOf(net, 1)->SetCapacity(0); },
                   {F::TokensAboveCapacity, 1, 0, 1},
                   2},
        SFaultCase{
            "DuplicateId", [](auto& net) { net.AddPlace(1, 0, 0); }, {F::DuplicateId, 1, 0, 0}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NetStructure, ReadsWeightsCapacitiesAndNamesAsDrawn) {
    const auto net = DrawnNet("p1=2 p2/5; t1: 2*p1 -> 3*p2");
    ElementOf(*net, 1)->SetLabel(nullptr);
    ElementOf(*net, 2)->GetLabel()->SetText(u"Place.2");
    ElementOf(*net, 3)->GetLabel()->SetText(u"");
    const auto structure = CNetStructure::FromDrawing(*net);
    EXPECT_TRUE(structure.Faults().empty());
    const auto& places = structure.Places();
    EXPECT_EQ(places[0].name, u"P1");
    EXPECT_EQ(places[1].name, u"Place.2");
    EXPECT_FALSE(places[1].named);
    EXPECT_EQ(structure.Transitions()[0].name, u"T3");
    EXPECT_EQ(places[0].tokens, 2);
    EXPECT_EQ(places[1].capacity, 5);
    EXPECT_EQ(structure.Inputs(0)[0].weight, 2);
    EXPECT_EQ(structure.Outputs(0)[0].weight, 3);
}

}  // namespace
}  // namespace orvane::test
