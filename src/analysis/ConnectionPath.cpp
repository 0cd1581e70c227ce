// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/ConnectionPath.h"

namespace orvane {

SConnectionPath SConnectionPath::Follow(const CPNObject::Arc& arc,
                                        const std::unordered_set<const CPNObject*>& members) {
    SConnectionPath path;
    const CPNObject* at = arc.target.get();
    std::unordered_set<const CPNObject*> passed;
    while (at != nullptr && at->GetType() == kNodeType && members.contains(at)) {
        path.nodes.push_back(at);
        if (!passed.insert(at).second) {
            path.fault = DrawingFault::ChainLoops;
            return path;
        }
        const auto& onward = at->Arcs();
        if (onward.empty()) {
            path.fault = DrawingFault::ChainLeadsNowhere;
            return path;
        }
        if (onward.size() > 1) {
            path.branching.push_back(at);
        }
        path.weightsDisagree = path.weightsDisagree || onward.front().weight != arc.weight;
        at = onward.front().target.get();
    }
    path.end = at;
    if (at == nullptr || !members.contains(at)) {
        path.fault = DrawingFault::ArcOutsideNet;
    }
    return path;
}

}  // namespace orvane
