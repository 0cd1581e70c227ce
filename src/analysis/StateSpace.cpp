// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/StateSpace.h"

#include <algorithm>
#include <cstring>

namespace orvane {
namespace {

constexpr std::uint32_t kOmega = CMarkingLayout::kOmega;
// How often the memory and the request to stop are looked at, in states.
constexpr std::uint32_t kCheckEvery = 1024;

// The layout for the bounds, each widened to the place's initial tokens; a place without a
// bound gets room for the largest initial count among such places.
CMarkingLayout MakeLayout(const CNetStructure& net, std::vector<std::uint64_t> bounds) {
    std::uint32_t largestStart = 0;
    for (std::size_t p = 0; p < bounds.size(); ++p) {
        const auto tokens = static_cast<std::uint32_t>(net.Places()[p].tokens);
        if (bounds[p] == CMarkingLayout::kUnknownBound) {
            largestStart = std::max(largestStart, tokens);
        } else {
            bounds[p] = std::max<std::uint64_t>(bounds[p], tokens);
        }
    }
    return CMarkingLayout(bounds, largestStart);
}

}  // namespace

CStateSpace::CStateSpace(const CNetStructure& structure, const std::vector<std::uint64_t>& bounds,
                         const SExploreLimits& exploreLimits)
    : net(structure),
      limits(exploreLimits),
      layout(MakeLayout(structure, bounds)),
      store(layout.Bytes()),
      checkCover(std::find(bounds.begin(), bounds.end(), CMarkingLayout::kUnknownBound) !=
                 bounds.end()),
      maxTokens(structure.Places().size(), 0),
      everEnabled(structure.Transitions().size(), false),
      current(structure.Places().size()),
      next(structure.Places().size()),
      scratch(layout.Bytes() + CMarkingLayout::kPadding) {
    const auto& places = structure.Places();
    for (std::uint32_t t = 0; t < structure.Transitions().size(); ++t) {
        needs.push_back(structure.Inputs(t));
        std::vector<std::int64_t> delta(places.size(), 0);
        for (const auto& flow : structure.Inputs(t)) {
            delta[flow.place] -= flow.weight;
        }
        for (const auto& flow : structure.Outputs(t)) {
            delta[flow.place] += flow.weight;
        }
        auto& list = changes.emplace_back();
        bool fills = false;
        for (std::uint32_t p = 0; p < places.size(); ++p) {
            if (delta[p] != 0) {
                list.push_back({p, delta[p], places[p].HasCapacity()});
                fills = fills || (delta[p] > 0 && places[p].HasCapacity());
            }
        }
        fillsCapped.push_back(fills);
    }
}

std::uint32_t CStateSpace::EffectiveLimit() const {
    // What one more state costs at least: its marking, its links, its share of the table.
    const std::size_t perState = layout.Bytes() + 2 * sizeof(std::uint32_t) + 6;
    const std::size_t byMemory = limits.memory / std::max<std::size_t>(perState, 1);
    return static_cast<std::uint32_t>(
        std::min<std::size_t>({limits.states, byMemory, CMarkingStore::kNone - 1}));
}

bool CStateSpace::Enabled(const std::uint32_t* marking, std::uint32_t t) const {
    for (const auto& need : needs[t]) {
        if (marking[need.place] != kOmega &&
            marking[need.place] < static_cast<std::uint32_t>(need.weight)) {
            return false;
        }
    }
    if (!fillsCapped[t]) {
        return true;
    }
    for (const auto& change : changes[t]) {
        if (change.capped && change.delta > 0 &&
            marking[change.place] + change.delta > net.Places()[change.place].capacity) {
            return false;
        }
    }
    return true;
}

bool CStateSpace::Fire(const std::uint32_t* from, const std::uint8_t* packedFrom, std::uint32_t t,
                       std::uint32_t* to, std::uint8_t* packed) const {
    std::memcpy(packed, packedFrom, layout.Bytes());
    for (const auto& change : changes[t]) {
        std::uint32_t value = from[change.place];
        if (value != kOmega) {
            const std::int64_t sum = std::int64_t{value} + change.delta;
            if (sum > layout.Largest(change.place)) {
                return false;
            }
            value = static_cast<std::uint32_t>(sum);
        }
        to[change.place] = value;
        layout.Set(packed, change.place, value);
    }
    return true;
}

bool CStateSpace::Covers(const std::uint32_t* larger, const std::uint32_t* smaller) const {
    bool more = false;
    for (std::uint32_t p = 0; p < layout.Places(); ++p) {
        // A place with a capacity would need its complement to grow too: only equal counts.
        if (larger[p] < smaller[p] || (larger[p] != smaller[p] && !layout.MayBeOmega(p))) {
            return false;
        }
        more = more || larger[p] != smaller[p];
    }
    return more;
}

bool CStateSpace::Accelerate(std::uint32_t state, std::uint32_t* marking) const {
    std::vector<std::uint32_t> earlier(layout.Places());
    bool any = false;
    for (std::uint32_t at = state; at != kNone; at = parent[at]) {
        layout.Unpack(store.At(at), earlier.data());
        if (Covers(marking, earlier.data())) {
            for (std::uint32_t p = 0; p < layout.Places(); ++p) {
                if (marking[p] != earlier[p]) {
                    marking[p] = kOmega;
                }
            }
            any = true;
        }
    }
    return any;
}

void CStateSpace::Note(std::uint32_t state, std::uint32_t t, const std::uint32_t* marking) {
    parent.push_back(state);
    via.push_back(t);
    if (t == kNone || checkCover) {
        for (std::uint32_t p = 0; p < layout.Places(); ++p) {
            maxTokens[p] = std::max(maxTokens[p], marking[p]);
        }
        return;
    }
    // Only the places the transition changes can hold more than before.
    for (const auto& change : changes[t]) {
        maxTokens[change.place] = std::max(maxTokens[change.place], marking[change.place]);
    }
}

bool CStateSpace::Expand(std::uint32_t state) {
    const std::uint8_t* packed = store.At(state);
    layout.Unpack(packed, current.data());
    const std::uint32_t limit = EffectiveLimit();
    bool dead = true;
    for (std::uint32_t t = 0; t < needs.size(); ++t) {
        if (!Enabled(current.data(), t)) {
            continue;
        }
        dead = false;
        everEnabled[t] = true;
        ++edges;
        if (checkCover) {
            std::copy(current.begin(), current.end(), next.begin());
        }
        if (!Fire(current.data(), packed, t, next.data(), scratch.data())) {
            end = ExploreEnd::TokenLimit;
            return false;
        }
        if (checkCover && Accelerate(state, next.data())) {
            omega = true;
            for (std::uint32_t p = 0; p < layout.Places(); ++p) {
                layout.Set(scratch.data(), p, next[p]);
            }
        }
        const auto found = store.Insert(scratch.data(), store.Size() < limit);
        if (found.index == kNone) {
            end = limit < limits.states ? ExploreEnd::MemoryLimit : ExploreEnd::StateLimit;
            return false;
        }
        if (found.added) {
            Note(state, t, next.data());
        }
        if (limits.recordEdges) {
            edgeList.push_back({t, found.index});
        }
    }
    if (dead) {
        firstDeadlock = deadlocks++ == 0 ? state : firstDeadlock;
    }
    return true;
}

void CStateSpace::Explore() {
    const auto& places = net.Places();
    for (std::uint32_t p = 0; p < places.size(); ++p) {
        current[p] = static_cast<std::uint32_t>(places[p].tokens);
        layout.Set(scratch.data(), p, current[p]);
    }
    store.Insert(scratch.data(), true);
    Note(kNone, kNone, current.data());
    for (std::uint32_t state = 0; state < store.Size(); ++state) {
        if (state % kCheckEvery == 0 && limits.cancel != nullptr && limits.cancel->load()) {
            end = ExploreEnd::Cancelled;
            return;
        }
        if (state % kCheckEvery == 0 && MemoryBytes() > limits.memory) {
            end = ExploreEnd::MemoryLimit;
            return;
        }
        if (limits.recordEdges) {
            edgeStart.push_back(edgeList.size());
        }
        if (!Expand(state)) {
            return;
        }
    }
    if (limits.recordEdges) {
        edgeStart.push_back(edgeList.size());
    }
}

std::size_t CStateSpace::MemoryBytes() const {
    return store.MemoryBytes() + (parent.capacity() + via.capacity()) * sizeof(std::uint32_t) +
           edgeList.capacity() * sizeof(SEdge) + edgeStart.capacity() * sizeof(std::uint64_t);
}

std::vector<std::uint32_t> CStateSpace::Marking(std::uint32_t state) const {
    std::vector<std::uint32_t> values(layout.Places());
    layout.Unpack(store.At(state), values.data());
    return values;
}

std::vector<std::uint32_t> CStateSpace::PathTo(std::uint32_t state) const {
    std::vector<std::uint32_t> path;
    for (std::uint32_t at = state; at != kNone && parent[at] != kNone; at = parent[at]) {
        path.push_back(via[at]);
    }
    std::reverse(path.begin(), path.end());
    return path;
}

std::pair<const CStateSpace::SEdge*, const CStateSpace::SEdge*> CStateSpace::Edges(
    std::uint32_t state) const {
    if (state + 1 >= edgeStart.size()) {
        return {nullptr, nullptr};
    }
    return {edgeList.data() + edgeStart[state], edgeList.data() + edgeStart[state + 1]};
}

}  // namespace orvane
