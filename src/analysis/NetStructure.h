// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CNetStructure: the place/transition net that a drawn net means. The drawing holds places,
// transitions and nodes (bend points); a connection runs from a place or a transition through
// zero or more nodes to a transition or a place and carries the weight of its first segment.
// Everything in the drawing that has no such meaning is kept as a drawing fault, and the rest
// of the net is still read, so that a faulty net can be drawn and analysed as far as it goes.
// The rules are written down for teachers in docs/net-semantics.md.
#include <cstdint>
#include <string>
#include <vector>

#include "petrinet/PNPetriNet.h"

namespace orvane {

// A place's capacity at or above this is no capacity at all.
constexpr std::int32_t kNoCapacity = 32767;

enum class DrawingFault {
    PlaceToPlace,  // a connection from a place to a place
    TransitionToTransition,
    ChainLeadsNowhere,    // the last node of a chain has no arc going on
    ChainLoops,           // a chain of nodes comes back to one of its nodes
    NodeBranches,         // a node with several arcs going on; only its newest one is followed
    ArcOutsideNet,        // an arc leads to an element that is not in the net
    WeightNotPositive,    // a connection of weight 0 or below; it is left out
    WeightsDisagree,      // the segments of a connection carry different weights
    NegativeTokens,       // counted as no tokens
    NegativeCapacity,     // counted as no capacity
    TokensAboveCapacity,  // the initial marking already passes the capacity
    DuplicateId,          // two places or transitions with one number
};

struct SDrawingFaultEntry {
    DrawingFault kind;
    std::int32_t elementId;  // the element (or the connection's source) the fault is at
    std::int32_t otherId;    // the connection's target, the node, or 0
    std::int32_t value;      // the weight, token count or capacity concerned, or 0
};

class CNetStructure {
public:
    struct SPlace {
        std::int32_t id = 0;
        std::u16string name;
        bool named = false;  // a label of its own, not the one the net made ("Place.<id>")
        std::int32_t tokens = 0;
        std::int32_t capacity = kNoCapacity;  // kNoCapacity: none
        bool HasCapacity() const { return capacity < kNoCapacity; }
    };
    struct STransition {
        std::int32_t id = 0;
        std::u16string name;
        bool named = false;
    };
    // The tokens one transition takes from or puts into one place.
    struct SFlow {
        std::uint32_t place;
        std::int32_t weight;
    };

    CNetStructure() = default;
    // Reads the drawing; the net's cursor does not move.
    static CNetStructure FromDrawing(const CPNPetriNet& net);

    // Building by hand (the benchmarks, the tests): answers the index of what it made.
    std::uint32_t AddPlace(std::u16string name, std::int32_t tokens,
                           std::int32_t capacity = kNoCapacity);
    std::uint32_t AddTransition(std::u16string name);
    // Adds `weight` to the tokens that transition `t` takes from place `p`, or puts into it.
    void AddInput(std::uint32_t t, std::uint32_t p, std::int32_t weight);
    void AddOutput(std::uint32_t t, std::uint32_t p, std::int32_t weight);

    const std::vector<SPlace>& Places() const { return places; }
    const std::vector<STransition>& Transitions() const { return transitions; }
    // Per transition, its input and output places, each place at most once.
    const std::vector<SFlow>& Inputs(std::uint32_t t) const { return inputs[t]; }
    const std::vector<SFlow>& Outputs(std::uint32_t t) const { return outputs[t]; }
    const std::vector<SDrawingFaultEntry>& Faults() const { return faults; }
    std::size_t ConnectionCount() const;

private:
    class CReader;

    static void Add(std::vector<SFlow>& flows, std::uint32_t p, std::int32_t weight);

    std::vector<SPlace> places;
    std::vector<STransition> transitions;
    std::vector<std::vector<SFlow>> inputs;
    std::vector<std::vector<SFlow>> outputs;
    std::vector<SDrawingFaultEntry> faults;
};

}  // namespace orvane
