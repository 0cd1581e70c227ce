// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SConnectionPath: where one arc of a place or a transition leads in a drawing: through the
// chain of nodes it passes (each node's newest arc) to the element it ends at, or to where the
// chain goes wrong. The meaning of a net and its PNML form both walk connections this way.
#include <optional>
#include <unordered_set>
#include <vector>

#include "analysis/NetStructure.h"

namespace orvane {

struct SConnectionPath {
    // The element the chain ends at (not a node of the net); null when it loops, leads
    // nowhere or leads to no element.
    const CPNObject* end = nullptr;
    std::vector<const CPNObject*> nodes;      // the nodes passed, in order
    std::vector<const CPNObject*> branching;  // nodes passed with several arcs going on
    bool weightsDisagree = false;
    // ChainLoops or ChainLeadsNowhere (at the last node), ArcOutsideNet (`end` not a member).
    std::optional<DrawingFault> fault;

    // Follows `arc`; `members` are the elements of the net.
    static SConnectionPath Follow(const CPNObject::Arc& arc,
                                  const std::unordered_set<const CPNObject*>& members);
};

}  // namespace orvane
