// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CStateSpace: the markings a net reaches, found breadth first from the initial marking. Each
// marking is stored once, packed (CMarkingLayout, CMarkingStore), with a link to the marking
// it was first reached from and the transition that led there, so the path to any marking is
// a shortest firing sequence. When some place has no known bound, each new marking is compared
// with those on its path: one that covers an earlier one and has more tokens somewhere shows
// the net unbounded, and those places get ω (Karp and Miller's coverability graph). The search
// stops at a limit of states or of memory, or when asked to; that is part of the result.
#include <atomic>
#include <cstdint>
#include <vector>

#include "analysis/MarkingLayout.h"
#include "analysis/MarkingStore.h"
#include "analysis/NetStructure.h"

namespace orvane {

struct SExploreLimits {
    static constexpr std::uint32_t kDefaultStates = 1'000'000;
    static constexpr std::size_t kDefaultMemory = std::size_t{512} << 20;

    std::uint32_t states = kDefaultStates;
    std::size_t memory = kDefaultMemory;  // bytes for the markings, their table and links
    const std::atomic<bool>* cancel = nullptr;
    bool recordEdges = false;  // keeps every edge, for comparing two nets
};

enum class ExploreEnd { Complete, StateLimit, MemoryLimit, TokenLimit, Cancelled };

class CStateSpace {
public:
    static constexpr std::uint32_t kNone = CMarkingStore::kNone;

    // `bounds`: one per place, CMarkingLayout::kUnknownBound where none is known.
    CStateSpace(const CNetStructure& net, const std::vector<std::uint64_t>& bounds,
                const SExploreLimits& limits);
    CStateSpace(const CStateSpace&) = delete;
    CStateSpace& operator=(const CStateSpace&) = delete;

    void Explore();

    ExploreEnd End() const { return end; }
    bool IsComplete() const { return end == ExploreEnd::Complete; }
    bool HasOmega() const { return omega; }
    std::uint32_t StateCount() const { return store.Size(); }
    std::uint64_t EdgeCount() const { return edges; }
    std::size_t MemoryBytes() const;
    // The first dead marking found (the one with the shortest path), or kNone.
    std::uint32_t FirstDeadlock() const { return firstDeadlock; }
    std::uint64_t DeadlockCount() const { return deadlocks; }
    // The largest count seen in each place; kOmega for a place that got ω.
    const std::vector<std::uint32_t>& MaxTokens() const { return maxTokens; }
    const std::vector<bool>& EverEnabled() const { return everEnabled; }

    std::vector<std::uint32_t> Marking(std::uint32_t state) const;
    // The state's marking as stored, PackedBytes() long.
    const std::uint8_t* Packed(std::uint32_t state) const { return store.At(state); }
    std::size_t PackedBytes() const { return layout.Bytes(); }
    // The transitions fired from the initial marking to the state, first first.
    std::vector<std::uint32_t> PathTo(std::uint32_t state) const;

    // Every transition enabled in the state with the marking it leads to (kNone when that
    // marking was not stored). Without ω only; with recorded edges, use Edges instead.
    template <class Visit>
    void ForEachSuccessor(std::uint32_t state, Visit visit) const;
    struct SEdge {
        std::uint32_t transition;
        std::uint32_t target;
    };
    // The recorded edges leaving the state (when asked for in the limits).
    std::pair<const SEdge*, const SEdge*> Edges(std::uint32_t state) const;

private:
    struct SChange {
        std::uint32_t place;
        std::int64_t delta;
        bool capped;  // the place has a capacity
    };

    bool Enabled(const std::uint32_t* marking, std::uint32_t t) const;
    // The marking after firing `t` in `marking` (unpacked `from`, packed `packedFrom`), packed
    // into `scratch` and unpacked into `next`; false when a count does not fit its field.
    bool Fire(const std::uint32_t* from, const std::uint8_t* packedFrom, std::uint32_t t,
              std::uint32_t* next, std::uint8_t* scratch) const;
    // Gives ω to the places where `next` has more than a marking on the path to `state`
    // that it covers; answers whether it did.
    bool Accelerate(std::uint32_t state, std::uint32_t* next) const;
    bool Covers(const std::uint32_t* larger, const std::uint32_t* smaller) const;
    bool Expand(std::uint32_t state);
    // Links a new marking to the state and transition it came from (kNone for the first).
    void Note(std::uint32_t state, std::uint32_t t, const std::uint32_t* marking);
    std::uint32_t EffectiveLimit() const;

    const CNetStructure& net;
    SExploreLimits limits;
    CMarkingLayout layout;
    CMarkingStore store;
    bool checkCover;
    std::vector<std::vector<CNetStructure::SFlow>> needs;
    std::vector<std::vector<SChange>> changes;
    std::vector<std::uint8_t> fillsCapped;  // per transition: it adds to a place with a capacity
    std::vector<std::uint32_t> parent;
    std::vector<std::uint32_t> via;
    std::vector<std::uint64_t> edgeStart;
    std::vector<SEdge> edgeList;
    std::vector<std::uint32_t> maxTokens;
    std::vector<bool> everEnabled;
    std::uint64_t edges = 0;
    std::uint64_t deadlocks = 0;
    std::uint32_t firstDeadlock = kNone;
    bool omega = false;
    ExploreEnd end = ExploreEnd::Complete;
    // Buffers of one expansion.
    std::vector<std::uint32_t> current, next;
    std::vector<std::uint8_t> scratch;
};

template <class Visit>
void CStateSpace::ForEachSuccessor(std::uint32_t state, Visit visit) const {
    std::vector<std::uint32_t> from(layout.Places()), to(layout.Places());
    std::vector<std::uint8_t> packed(layout.Bytes() + CMarkingLayout::kPadding);
    const std::uint8_t* source = store.At(state);
    layout.Unpack(source, from.data());
    for (std::uint32_t t = 0; t < needs.size(); ++t) {
        if (Enabled(from.data(), t)) {
            const bool fits = Fire(from.data(), source, t, to.data(), packed.data());
            visit(t, fits ? store.Find(packed.data()) : kNone);
        }
    }
}

}  // namespace orvane
