// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CStructuralMatch: whether two nets are the same weighted net with the same initial marking
// and capacities, whatever their numbers and positions: a one-to-one matching of places to
// places and transitions to transitions that keeps every connection and its weight. Names
// count only where both sides gave one of their own. The search refines classes of alike
// elements first and then tries matchings within them, up to a number of steps.
#include <cstdint>
#include <vector>

#include "analysis/NetStructure.h"

namespace orvane {

enum class StructuralDifference {
    None,
    PlaceCount,
    TransitionCount,
    ConnectionCount,
    Wiring,     // the same counts, but the connections, weights or markings do not match
    Names,      // the nets match only if names are set aside
    Undecided,  // the search took too many steps
};

class CStructuralMatch {
public:
    static constexpr std::uint64_t kStepLimit = 1'000'000;
    // Places and transitions at most: the search goes one step deeper for each.
    static constexpr std::size_t kLargestNet = 10'000;

    CStructuralMatch(const CNetStructure& first, const CNetStructure& second);

    StructuralDifference Difference() const { return difference; }
    // For the counts: the first net's and the second's.
    std::int64_t FirstCount() const { return firstCount; }
    std::int64_t SecondCount() const { return secondCount; }

private:
    // Places first, then transitions; a node's neighbours with the weight of each direction.
    struct SGraph {
        std::size_t places = 0;
        std::vector<std::uint64_t> colour;
        std::vector<std::vector<std::pair<std::uint32_t, std::int64_t>>> neighbours;
        const CNetStructure* net = nullptr;
    };

    static SGraph Graph(const CNetStructure& net);
    static void Refine(SGraph& graph);
    bool SameColours(const SGraph& a, const SGraph& b) const;
    bool Search(bool withNames);
    bool Extend(std::size_t depth, bool withNames);
    bool Fits(std::uint32_t u, std::uint32_t v, bool withNames) const;
    std::int64_t Weight(const SGraph& graph, std::uint32_t u, std::uint32_t w) const;

    SGraph a;
    SGraph b;
    std::vector<std::uint32_t> order;
    std::vector<std::uint32_t> map;  // a's node to b's, or kNone
    std::vector<bool> taken;         // b's node matched
    std::uint64_t steps = 0;
    bool exhausted = false;
    StructuralDifference difference = StructuralDifference::None;
    std::int64_t firstCount = 0;
    std::int64_t secondCount = 0;
};

}  // namespace orvane
