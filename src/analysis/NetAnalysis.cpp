// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/NetAnalysis.h"

#include <algorithm>

#include "analysis/StrongComponents.h"

namespace orvane {
namespace {

Verdict From(bool value) {
    return value ? Verdict::Yes : Verdict::No;
}

void Boundedness(const CStateSpace& space, const std::vector<std::uint64_t>& known,
                 SNetAnalysis& result) {
    result.bounds = space.MaxTokens();
    const bool exact = space.IsComplete() && !space.HasOmega();
    const bool structural =
        std::find(known.begin(), known.end(), CMarkingLayout::kUnknownBound) == known.end();
    const bool overOne = std::any_of(result.bounds.begin(), result.bounds.end(),
                                     [](std::uint32_t bound) { return bound > 1; });
    if (space.HasOmega()) {
        result.bounded = Verdict::No;
        result.safe = Verdict::No;
    } else if (exact || structural) {
        result.bounded = Verdict::Yes;
        const bool safeByStructure =
            structural &&
            std::all_of(known.begin(), known.end(), [](std::uint64_t bound) { return bound <= 1; });
        result.safe =
            overOne ? Verdict::No : (exact || safeByStructure ? Verdict::Yes : Verdict::Unknown);
    } else {
        result.safe = overOne ? Verdict::No : Verdict::Unknown;
    }
}

void Deadlocks(const CStateSpace& space, SNetAnalysis& result) {
    if (space.FirstDeadlock() != CStateSpace::kNone) {
        result.deadlock = Verdict::Yes;
        result.deadlockPath = space.PathTo(space.FirstDeadlock());
    } else if (space.IsComplete() && !space.HasOmega()) {
        result.deadlock = Verdict::No;
    }
}

// Dead transitions: never enabled in the whole graph; a coverability graph settles this too.
// Live ones need the components of a complete reachability graph.
void Transitions(const CStateSpace& space, SNetAnalysis& result) {
    const std::size_t count = result.net.Transitions().size();
    const bool exact = space.IsComplete() && !space.HasOmega();
    result.dead.assign(count, Verdict::Unknown);
    result.live.assign(count, Verdict::Unknown);
    for (std::size_t t = 0; t < count; ++t) {
        result.dead[t] = space.EverEnabled()[t]
                             ? Verdict::No
                             : (space.IsComplete() ? Verdict::Yes : Verdict::Unknown);
        // A dead transition, or any after a dead marking, can never fire again.
        if (result.dead[t] == Verdict::Yes || result.deadlock == Verdict::Yes) {
            result.live[t] = Verdict::No;
        }
    }
    if (result.deadlock == Verdict::Yes && result.states > 1) {
        result.reversible = Verdict::No;
    }
    if (!exact) {
        return;
    }
    const CStrongComponents components(space);
    for (std::size_t t = 0; t < count; ++t) {
        result.live[t] = From(components.InEveryBottom()[t]);
    }
    result.reversible = From(components.Count() == 1);
}

}  // namespace

std::vector<std::uint64_t> StructuralBounds(const CNetStructure& net,
                                            const std::vector<CInvariants::Invariant>& invariants) {
    const auto& places = net.Places();
    std::vector<std::uint64_t> bounds(places.size(), CMarkingLayout::kUnknownBound);
    for (std::size_t p = 0; p < places.size(); ++p) {
        if (places[p].HasCapacity()) {
            bounds[p] = static_cast<std::uint64_t>(places[p].capacity);
        }
    }
    for (const auto& invariant : invariants) {
        // y·M stays y·M0 in every reachable marking, so no place passes y·M0 / y(p).
        unsigned __int128 total = 0;
        for (const auto& [p, factor] : invariant) {
            total += static_cast<unsigned __int128>(factor) *
                     static_cast<std::uint64_t>(std::max(places[p].tokens, 0));
        }
        for (const auto& [p, factor] : invariant) {
            const unsigned __int128 bound = total / static_cast<std::uint64_t>(factor);
            if (bound < bounds[p]) {
                bounds[p] = static_cast<std::uint64_t>(bound);
            }
        }
    }
    return bounds;
}

SNetAnalysis AnalyseNet(const CNetStructure& net, const SExploreLimits& limits) {
    SNetAnalysis result;
    result.net = net;
    result.stateLimit = limits.states;
    result.placeInvariantsComplete = CInvariants::OfPlaces(net, result.placeInvariants);
    result.transitionInvariantsComplete =
        CInvariants::OfTransitions(net, result.transitionInvariants);
    const auto known = StructuralBounds(net, result.placeInvariants);
    SExploreLimits fast = limits;
    fast.recordEdges = false;
    CStateSpace space(net, known, fast);
    space.Explore();
    result.end = space.End();
    result.coverability = space.HasOmega();
    result.states = space.StateCount();
    result.edges = space.EdgeCount();
    result.memory = space.MemoryBytes();
    Boundedness(space, known, result);
    Deadlocks(space, result);
    Transitions(space, result);
    return result;
}

}  // namespace orvane
