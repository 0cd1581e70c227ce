// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The analysis of one net: its state space within the limits, and what follows from it and
// from its structure. Every property is yes, no or unknown; "unknown" is what a search cut by
// a limit, or a question the coverability graph cannot settle, gives.
#include <cstdint>
#include <vector>

#include "analysis/Invariants.h"
#include "analysis/NetStructure.h"
#include "analysis/StateSpace.h"

namespace orvane {

enum class Verdict { Yes, No, Unknown };

struct SNetAnalysis {
    CNetStructure net;
    std::uint32_t stateLimit = 0;
    ExploreEnd end = ExploreEnd::Complete;
    bool coverability = false;  // some place got ω: the graph covers, it does not list
    std::uint32_t states = 0;
    std::uint64_t edges = 0;
    std::size_t memory = 0;  // bytes the stored states took

    Verdict bounded = Verdict::Unknown;
    // Per place the most tokens seen (CMarkingLayout::kOmega: unbounded); only a lower bound
    // when the search was cut.
    std::vector<std::uint32_t> bounds;
    Verdict safe = Verdict::Unknown;
    Verdict deadlock = Verdict::Unknown;
    std::vector<std::uint32_t> deadlockPath;  // the shortest firing sequence to a dead marking
    std::vector<Verdict> dead;                // per transition: never enabled
    std::vector<Verdict> live;                // per transition
    Verdict reversible = Verdict::Unknown;
    std::vector<CInvariants::Invariant> placeInvariants;
    std::vector<CInvariants::Invariant> transitionInvariants;
    bool placeInvariantsComplete = false;
    bool transitionInvariantsComplete = false;

    bool IsExact() const { return end == ExploreEnd::Complete; }
};

// The known bound of each place from its capacity and the P-invariants
// (CMarkingLayout::kUnknownBound where neither gives one).
std::vector<std::uint64_t> StructuralBounds(const CNetStructure& net,
                                            const std::vector<CInvariants::Invariant>& invariants);

SNetAnalysis AnalyseNet(const CNetStructure& net, const SExploreLimits& limits = {});

}  // namespace orvane
