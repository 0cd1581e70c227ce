// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CInvariants: the minimal semi-positive invariants of a net. A P-invariant is a weighting of
// the places (y ≥ 0, not all 0) that no firing changes: y·C = 0 for the incidence matrix C
// (tokens put in minus tokens taken, place by transition). A T-invariant is a count of firings
// per transition (x ≥ 0) after which the marking is as before: C·x = 0. Minimal means that
// no other invariant has fewer places or transitions in it; every semi-positive invariant is a
// sum of minimal ones with non-negative rational factors. Found with Farkas's algorithm, which
// can grow without measure on big nets: it stops at a number of rows and says so.
#include <cstdint>
#include <utility>
#include <vector>

#include "analysis/NetStructure.h"

namespace orvane {

class CInvariants {
public:
    // (index of a place or transition, its factor), in the order of the indexes.
    using Term = std::pair<std::uint32_t, std::int64_t>;
    using Invariant = std::vector<Term>;

    // Rows of the algorithm kept at most, and so invariants found at most.
    static constexpr std::size_t kRowLimit = 4000;

    // False when the search stopped at its limit; `found` then holds nothing.
    [[nodiscard]] static bool OfPlaces(const CNetStructure& net, std::vector<Invariant>& found);
    [[nodiscard]] static bool OfTransitions(const CNetStructure& net,
                                            std::vector<Invariant>& found);

    // Places by transitions: what each transition changes in each place.
    static std::vector<std::vector<std::int64_t>> Incidence(const CNetStructure& net);

private:
    // The minimal semi-positive y with y·A = 0 for the rows of A.
    static bool Farkas(const std::vector<std::vector<std::int64_t>>& rows,
                       std::vector<Invariant>& found);
};

}  // namespace orvane
