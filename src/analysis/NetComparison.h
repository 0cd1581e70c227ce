// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The comparison of two nets, a student's and the solution: structurally equal (the same
// weighted net with the same initial marking, up to numbering and positions) and
// behaviourally equal (their reachability graphs are bisimilar when transitions are matched by
// name), and where they behave differently, what differs first.
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/NetAnalysis.h"
#include "analysis/StructuralMatch.h"

namespace orvane {

struct SNetComparison {
    StructuralDifference structure = StructuralDifference::None;
    std::int64_t firstCount = 0;  // the counts that differ, for the count differences
    std::int64_t secondCount = 0;
    // Unknown when a graph was cut by a limit, is unbounded, or took too long to compare.
    Verdict behaviour = Verdict::Unknown;
    // The names of the transitions both nets fire in turn, then of the one that only one of
    // them allows after that; empty when the behaviour is equal or unknown.
    std::vector<std::u16string> difference;
    bool firstAllows = false;  // the first net allows the last step of `difference`

    bool StructurallyEqual() const { return structure == StructuralDifference::None; }
};

SNetComparison CompareNets(const CNetStructure& first, const CNetStructure& second,
                           const SExploreLimits& limits = {});

}  // namespace orvane
