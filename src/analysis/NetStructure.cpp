// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/NetStructure.h"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "analysis/ConnectionPath.h"
#include "common/TextCodec.h"
#include "petrinet/PNLabel.h"

namespace orvane {

// Reads one drawing: indexes its places and transitions, then follows every arc of each of
// them through its chain of nodes.
class CNetStructure::CReader {
public:
    CReader(const CPNPetriNet& net, CNetStructure& target) : structure(target) {
        for (const auto& element : net.Elements()) {
            members.insert(element.get());
        }
        // Oldest first, as the file holds them, so P1 comes before P2 in a net drawn so.
        const auto& list = net.Elements();
        for (auto element = list.rbegin(); element != list.rend(); ++element) {
            AddNode(**element);
        }
        for (auto element = list.rbegin(); element != list.rend(); ++element) {
            if (index.contains(element->get())) {
                for (const auto& arc : (*element)->Arcs()) {
                    Follow(**element, arc);
                }
            }
        }
    }

private:
    struct SIndex {
        bool place;
        std::uint32_t at;
    };

    void Fault(DrawingFault kind, std::int32_t id, std::int32_t other = 0, std::int32_t value = 0) {
        structure.faults.push_back({kind, id, other, value});
    }

    // The label's text is the name; the label the net itself made counts as no name of its
    // own, so renumbering a net does not rename it.
    static void Name(const CPNObject& element, std::u16string_view made, std::u16string& name,
                     bool& named) {
        const std::u16string number = FromUtf8(std::to_string(element.GetId()));
        const auto label = element.GetLabel();
        const std::u16string text = label != nullptr ? label->GetText() : std::u16string();
        named = !text.empty() && text != std::u16string(made) + u"." + number;
        name = !text.empty() ? text : std::u16string(made.substr(0, 1)) + number;
    }

    void AddNode(const CPNObject& element) {
        const bool place = element.GetType() == kPlaceType;
        if (!place && element.GetType() != kTransitionType) {
            return;
        }
        if (!ids.insert({element.GetId(), place}).second) {
            Fault(DrawingFault::DuplicateId, element.GetId());
        }
        if (place) {
            AddPlace(element);
        } else {
            STransition transition{element.GetId(), {}, false};
            Name(element, u"Transition", transition.name, transition.named);
            index[&element] = {false, structure.AddTransition({})};
            structure.transitions.back() = std::move(transition);
        }
    }

    void AddPlace(const CPNObject& element) {
        SPlace place{element.GetId(), {}, false, element.GetTokens(), element.GetCapacity()};
        Name(element, u"Place", place.name, place.named);
        if (place.tokens < 0) {
            Fault(DrawingFault::NegativeTokens, place.id, 0, place.tokens);
            place.tokens = 0;
        }
        if (place.capacity < 0) {
            Fault(DrawingFault::NegativeCapacity, place.id, 0, place.capacity);
            place.capacity = kNoCapacity;
        }
        if (place.HasCapacity() && place.tokens > place.capacity) {
            Fault(DrawingFault::TokensAboveCapacity, place.id, 0, place.tokens);
        }
        index[&element] = {true, structure.AddPlace({}, 0)};
        structure.places.back() = std::move(place);
    }

    // Walks from the arc's target through nodes to a place or a transition.
    void Follow(const CPNObject& source, const CPNObject::Arc& arc) {
        const SConnectionPath path = SConnectionPath::Follow(arc, members);
        for (const CPNObject* node : path.branching) {
            if (branching.insert(node).second) {
                Fault(DrawingFault::NodeBranches, node->GetId(), 0,
                      static_cast<std::int32_t>(node->Arcs().size()));
            }
        }
        if (path.fault) {
            const CPNObject* at =
                *path.fault == DrawingFault::ArcOutsideNet ? path.end : path.nodes.back();
            return Fault(*path.fault, source.GetId(), at != nullptr ? at->GetId() : 0);
        }
        const auto found = index.find(path.end);
        if (found == index.end()) {
            return Fault(DrawingFault::ArcOutsideNet, source.GetId(), path.end->GetId());
        }
        Connect(source, *path.end, found->second, arc.weight, path.weightsDisagree);
    }

    void Connect(const CPNObject& source, const CPNObject& target, SIndex to, std::int32_t weight,
                 bool disagree) {
        const SIndex from = index.at(&source);
        if (from.place == to.place) {
            return Fault(
                from.place ? DrawingFault::PlaceToPlace : DrawingFault::TransitionToTransition,
                source.GetId(), target.GetId());
        }
        if (disagree) {
            Fault(DrawingFault::WeightsDisagree, source.GetId(), target.GetId(), weight);
        }
        if (weight <= 0) {
            return Fault(DrawingFault::WeightNotPositive, source.GetId(), target.GetId(), weight);
        }
        if (from.place) {
            structure.AddInput(to.at, from.at, weight);
        } else {
            structure.AddOutput(from.at, to.at, weight);
        }
    }

    CNetStructure& structure;
    std::unordered_set<const CPNObject*> members;
    std::unordered_map<const CPNObject*, SIndex> index;
    std::unordered_set<const CPNObject*> branching;
    std::unordered_map<std::int32_t, bool> ids;
};

CNetStructure CNetStructure::FromDrawing(const CPNPetriNet& net) {
    CNetStructure structure;
    CReader reader(net, structure);
    return structure;
}

std::uint32_t CNetStructure::AddPlace(std::u16string name, std::int32_t tokens,
                                      std::int32_t capacity) {
    const auto id = static_cast<std::int32_t>(places.size() + 1);
    places.push_back({id, std::move(name), true, tokens, capacity});
    return static_cast<std::uint32_t>(places.size() - 1);
}

std::uint32_t CNetStructure::AddTransition(std::u16string name) {
    const auto id = static_cast<std::int32_t>(transitions.size() + 1);
    transitions.push_back({id, std::move(name), true});
    inputs.emplace_back();
    outputs.emplace_back();
    return static_cast<std::uint32_t>(transitions.size() - 1);
}

void CNetStructure::Add(std::vector<SFlow>& flows, std::uint32_t p, std::int32_t weight) {
    const auto found = std::find_if(flows.begin(), flows.end(),
                                    [p](const SFlow& flow) { return flow.place == p; });
    if (found == flows.end()) {
        flows.push_back({p, weight});
    } else {
        // Two connections between one place and one transition count together.
        found->weight = static_cast<std::int32_t>(std::min<std::int64_t>(
            std::int64_t{found->weight} + weight, std::numeric_limits<std::int32_t>::max()));
    }
}

void CNetStructure::AddInput(std::uint32_t t, std::uint32_t p, std::int32_t weight) {
    Add(inputs[t], p, weight);
}

void CNetStructure::AddOutput(std::uint32_t t, std::uint32_t p, std::int32_t weight) {
    Add(outputs[t], p, weight);
}

std::size_t CNetStructure::ConnectionCount() const {
    std::size_t count = 0;
    for (std::size_t t = 0; t < transitions.size(); ++t) {
        count += inputs[t].size() + outputs[t].size();
    }
    return count;
}

}  // namespace orvane
