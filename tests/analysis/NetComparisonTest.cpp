// SPDX-License-Identifier: GPL-3.0-or-later
// The comparison of a student's net with the solution: structure up to numbering and
// positions, behaviour with transitions matched by name, and what differs first.
#include <gtest/gtest.h>

#include "analysis/NetComparison.h"
#include "analysis/PropertyText.h"
#include "support/DrawnNet.h"

namespace orvane::test {
namespace {

constexpr std::string_view kSolution =
    "free=1 busy; start: free -> busy; stop: busy -> free; "
    "done: busy -> busy";

struct SComparisonCase {
    const char* name;
    std::string student;
    std::int32_t firstId;  // another numbering, another position
    std::vector<const char16_t*> lines;
};

class NetComparisonTest : public testing::TestWithParam<SComparisonCase> {};

TEST_P(NetComparisonTest, SaysWhatDiffersFirst) {
    const auto& test = GetParam();
    const auto student = CNetStructure::FromDrawing(*DrawnNet(test.student, test.firstId, 37));
    const auto solution = CNetStructure::FromDrawing(*DrawnNet(kSolution));
    EXPECT_EQ(ComparisonLines(CompareNets(student, solution)),
              std::vector<std::u16string>(test.lines.begin(), test.lines.end()));
}

INSTANTIATE_TEST_SUITE_P(
    Comparison, NetComparisonTest,
    testing::Values(
        // Listed in another order, numbered from 40 and drawn elsewhere.
        SComparisonCase{"RenumberedMovedCopy",
                        "busy free=1; done: busy -> busy; stop: busy -> free; "
                        "start: free -> busy",
                        40,
                        {u"štruktúrne zhodná s riešením", u"správaním zhodná s riešením"}},
        SComparisonCase{"ChangedWeight",
                        "free=1 busy; start: free -> busy; stop: busy -> free; "
                        "done: 2*busy -> busy",
                        1,
                        {u"štruktúrne odlišná od riešenia: iné spojenia, váhy alebo značky",
                         u"správaním odlišná od riešenia: po start riešenie povolí done, sieť "
                         u"nie"}},
        SComparisonCase{"AlikeBehaviourOtherBuild",
                        "free=1 busy lock=1; start: free -> busy; stop: busy -> free; "
                        "done: busy lock -> busy lock",
                        1,
                        {u"štruktúrne odlišná od riešenia: miest 3, v riešení 2",
                         u"správaním zhodná s riešením"}},
        SComparisonCase{"TwoTransitionsOfOneName",
                        "free=1 busy; start: free -> busy; stop: busy -> free; "
                        "done: busy -> busy; done: busy -> busy",
                        1,
                        {u"štruktúrne odlišná od riešenia: prechodov 4, v riešení 3",
                         u"správaním zhodná s riešením"}},
        SComparisonCase{"OtherNames",
                        "free=1 busy; begin: free -> busy; stop: busy -> free; "
                        "done: busy -> busy",
                        1,
                        {u"štruktúrne zhodná s riešením až na mená",
                         u"správaním odlišná od riešenia: hneď na začiatku sieť povolí begin, "
                         u"riešenie nie"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvane::test
