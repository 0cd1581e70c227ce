// SPDX-License-Identifier: GPL-3.0-or-later
#include "petrinet/PNPetriNet.h"

#include <algorithm>
#include <limits>
#include <new>
#include <unordered_set>
#include <vector>

#include "archive/Archive.h"
#include "petrinet/PNNode.h"
#include "petrinet/PNPlace.h"
#include "petrinet/PNTransition.h"

namespace orvane {

ORVANE_IMPLEMENT_SERIAL(CPNPetriNet)

namespace {

// A chain of nodes is followed for at most this many nodes, so a circle of nodes ends.
constexpr int kMaxChainLength = 101;
// A node is hit by points closer than this in both directions.
constexpr std::int64_t kNodeReach = 10;
// Any of the three numbers of an arc triple equal to this ends the arcs.
constexpr std::int32_t kEndMark = -1;

// Matches the entry of the net that holds this very element.
auto IsElement(const CPNObject* element) {
    return [element](const std::shared_ptr<CPNObject>& held) { return held.get() == element; };
}

bool IsNode(const std::shared_ptr<CPNObject>& element) {
    return element != nullptr && element->GetType() == kNodeType;
}

// The target of an element's newest arc; none without arcs.
std::shared_ptr<CPNObject> FirstTarget(const CPNObject& element) {
    return element.Arcs().empty() ? nullptr : element.Arcs().front().target;
}

bool HitsPlaceOrTransition(const CPNObject& element, std::int64_t px, std::int64_t py) {
    const std::int64_t x = element.GetX();
    const std::int64_t y = element.GetY();
    if (element.GetType() == kTransitionType) {
        return x <= px && px <= x + element.GetWidth() && y <= py && py <= y + element.GetHeight();
    }
    if (element.GetType() == kPlaceType) {
        return CPNObject::Distance(x - px, y - py) < element.GetRadius();
    }
    return false;
}

bool HitsNode(const CPNObject& element, std::int64_t px, std::int64_t py) {
    const std::int64_t x = element.GetX();
    const std::int64_t y = element.GetY();
    return element.GetType() == kNodeType && x - kNodeReach < px && px < x + kNodeReach &&
           y - kNodeReach < py && py < y + kNodeReach;
}

}  // namespace

CPNPetriNet::~CPNPetriNet() {
    // Removed elements are held while the arcs go, so that a long chain of them is not
    // destroyed one inside the other. A destructor must not throw: without memory to hold
    // them (a load that ran out of memory is unwinding), they let go of their arcs in place.
    std::vector<std::shared_ptr<CPNObject>> held;
    try {
        held.reserve(removed.size());
    } catch (const std::bad_alloc&) {
    }
    for (const auto& element : removed) {
        auto alive = element.lock();
        if (alive != nullptr && held.size() < held.capacity()) {
            held.push_back(std::move(alive));
        } else if (alive != nullptr) {
            alive->ReleaseArcs();
        }
    }
    for (const auto& element : elements) {
        element->ReleaseArcs();
    }
    for (const auto& element : held) {
        element->ReleaseArcs();
    }
}

bool CPNPetriNet::Insert(std::shared_ptr<CPNObject> element) {
    elements.PushFront(std::move(element));
    ++count;
    return true;
}

bool CPNPetriNet::AddPlace(std::int32_t id, std::int32_t x, std::int32_t y) {
    return Insert(std::make_shared<CPNPlace>(id, x, y));
}

bool CPNPetriNet::AddTransition(std::int32_t id, std::int32_t x, std::int32_t y) {
    return Insert(std::make_shared<CPNTransition>(id, x, y));
}

bool CPNPetriNet::AddNode(std::int32_t id, std::int32_t x, std::int32_t y, bool withLabel) {
    return Insert(withLabel ? std::make_shared<CPNNode>(id, x, y, true)
                            : std::make_shared<CPNNode>(id, x, y));
}

bool CPNPetriNet::AddElement(std::shared_ptr<CPNObject> element) {
    if (element == nullptr) {
        return false;
    }
    const std::int32_t type = element->GetType();
    if (type != kPlaceType && type != kTransitionType && type != kNodeType) {
        return false;  // it could not be stored
    }
    elements.PushFront(std::move(element));
    return true;
}

bool CPNPetriNet::RemoveElement(const CPNObject* element) {
    const auto found = elements.FindFirst(IsElement(element));
    if (element == nullptr || found == elements.end()) {
        return false;
    }
    if (removed.size() == removed.capacity()) {
        std::erase_if(removed, [](const auto& gone) { return gone.expired(); });
    }
    removed.push_back(*found);
    elements.Erase(found);
    --count;
    return true;
}

void CPNPetriNet::RemoveChainsFrom(const CPNObject& element) {
    for (const auto& arc : element.Arcs()) {
        std::shared_ptr<CPNObject> node = arc.target;
        for (int taken = 0; IsNode(node) && taken < kMaxChainLength; ++taken) {
            std::shared_ptr<CPNObject> following = FirstTarget(*node);
            RemoveElement(node.get());
            node = std::move(following);
        }
    }
}

void CPNPetriNet::RemoveChainsInto(const CPNObject* element) {
    // The walk goes over the net as it shrinks: an element taken out before its turn is
    // passed over. What the walk took out is remembered, so that a large net is not searched
    // once for every element.
    const std::vector<std::shared_ptr<CPNObject>> walk(elements.begin(), elements.end());
    std::unordered_set<const CPNObject*> takenOut;
    for (const auto& from : walk) {
        if (takenOut.contains(from.get())) {
            continue;
        }
        for (const auto& arc : from->Arcs()) {
            std::shared_ptr<CPNObject> step = arc.target;
            for (int taken = 0; IsNode(step) && taken < kMaxChainLength; ++taken) {
                step = FirstTarget(*step);
                if (step != nullptr && step.get() == element) {
                    // only the first node of the chain
                    if (RemoveElement(arc.target.get())) {
                        takenOut.insert(arc.target.get());
                    }
                    break;
                }
            }
        }
    }
}

bool CPNPetriNet::DeleteElement(const CPNObject* element) {
    if (element == nullptr) {
        return true;
    }
    // Taking out the element's own node chains may take out the element itself; it must
    // live until its arcs have been walked.
    std::shared_ptr<CPNObject> keep;
    const auto found = elements.FindFirst(IsElement(element));
    if (found != elements.end()) {
        keep = *found;
    }
    RemoveChainsFrom(*element);
    RemoveChainsInto(element);
    RemoveElement(element);
    return true;
}

std::int32_t CPNPetriNet::NewId() const {
    if (elements.IsEmpty()) {
        return 1;
    }
    // The newest element's number is where counting starts; it is not looked at again, so
    // only the numbers of the other elements block a candidate.
    const std::int32_t start = elements.Front()->GetId();
    std::unordered_set<std::int32_t> used;
    for (auto element = std::next(elements.begin()); element != elements.end(); ++element) {
        used.insert((*element)->GetId());
    }
    std::int32_t candidate = start;
    // Among used.size() + 1 different candidates one is free; more steps mean a full round.
    for (std::size_t step = 0; step <= used.size(); ++step) {
        const bool wraps =
            candidate == kHighestId || candidate == std::numeric_limits<std::int32_t>::max();
        candidate = wraps ? 1 : candidate + 1;
        if (candidate == start) {
            return -1;
        }
        if (!used.contains(candidate)) {
            return candidate;
        }
    }
    return -1;
}

std::shared_ptr<CPNObject> CPNPetriNet::HitTest(std::int32_t x, std::int32_t y) const {
    for (const auto& element : elements) {
        if (HitsPlaceOrTransition(*element, x, y)) {
            return element;
        }
    }
    for (const auto& element : elements) {
        if (HitsNode(*element, x, y)) {
            return element;
        }
    }
    return nullptr;
}

bool CPNPetriNet::FindById(std::int32_t id) {
    return elements.SelectFirst([&](const auto& held) { return held->GetId() == id; });
}

bool CPNPetriNet::FindElement(const CPNObject* element) {
    return element != nullptr && elements.SelectFirst(IsElement(element));
}

void CPNPetriNet::Serialize(CArchive& archive) {
    if (archive.IsStoring()) {
        Store(archive);
    } else {
        Load(archive);
    }
}

void CPNPetriNet::Store(CArchive& archive) {
    // The number written is that of the elements that follow, so the file is always whole.
    archive.WriteInt32(static_cast<std::int32_t>(elements.Size()));
    // Oldest first: loading puts each at the front, which gives back the same order.
    for (auto element = elements.rbegin(); element != elements.rend(); ++element) {
        archive.WriteInt32((*element)->GetType());
        archive.WriteObject(*element);
    }
    for (const auto& element : elements) {
        for (const auto& arc : element->Arcs()) {
            archive.WriteInt32(element->GetId());
            archive.WriteInt32(arc.target->GetId());
            archive.WriteInt32(arc.weight);
        }
    }
    for (int i = 0; i < 3; ++i) {
        archive.WriteInt32(kEndMark);
    }
}

void CPNPetriNet::Load(CArchive& archive) {
    const std::int32_t stored = archive.ReadInt32();
    for (std::int32_t i = 0; i < stored; ++i) {
        std::shared_ptr<CPNObject> element;
        const std::size_t loadedBefore = archive.LoadedCount();
        switch (archive.ReadInt32()) {
            case kPlaceType:
                element = archive.ReadObjectOf<CPNPlace>();
                break;
            case kTransitionType:
                element = archive.ReadObjectOf<CPNTransition>();
                break;
            case kNodeType:
                element = archive.ReadObjectOf<CPNNode>();
                break;
            default:
                continue;  // an unknown entry carries nothing more
        }
        // Only an element read here is an entry of this net. A reference back to an element
        // read before, in this net or another, is skipped: its arcs would be stored once per
        // entry, and every save and load would double them.
        if (archive.LoadedCount() > loadedBefore) {
            AddElement(std::move(element));
        }
    }
    // The count is what the net really holds, also when entries were skipped.
    count = static_cast<std::int32_t>(elements.Size());
    LoadArcs(archive);
}

void CPNPetriNet::LoadArcs(CArchive& archive) {
    // The first element from the front with each number, as FindById finds it; the cursor
    // ends where FindById would leave it. The numbers are sorted with their place in the
    // list, so the first of equal numbers comes first.
    struct Entry {
        std::int32_t id;
        std::size_t place;
        ElementList::iterator element;
    };
    std::vector<Entry> byId;
    byId.reserve(elements.Size());
    for (auto element = elements.begin(); element != elements.end(); ++element) {
        byId.push_back({(*element)->GetId(), byId.size(), element});
    }
    std::sort(byId.begin(), byId.end(), [](const Entry& a, const Entry& b) {
        return a.id != b.id ? a.id < b.id : a.place < b.place;
    });
    const auto find = [&](std::int32_t id) {
        const auto found = std::lower_bound(
            byId.begin(), byId.end(), id, [](const Entry& a, std::int32_t b) { return a.id < b; });
        return found != byId.end() && found->id == id ? found : byId.end();
    };
    for (;;) {
        const std::int32_t source = archive.ReadInt32();
        const std::int32_t target = archive.ReadInt32();
        const std::int32_t weight = archive.ReadInt32();
        if (source == kEndMark || target == kEndMark || weight == kEndMark) {
            return;
        }
        const auto from = find(source);
        if (from == byId.end()) {
            continue;
        }
        elements.Select(from->element);
        const auto to = find(target);
        if (to == byId.end()) {
            continue;
        }
        elements.Select(to->element);
        // Each arc goes to the front of its element's arcs: the stored order is reversed.
        CPNObject& element = **from->element;
        element.AddArc(*to->element);
        element.FindArc(to->element->get());
        element.SetArcWeight(weight);
    }
}

}  // namespace orvane
