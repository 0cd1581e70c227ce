// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CPNPetriNet: one Petri net, its places, transitions and nodes in a list, newest first, with
// one cursor that the walk and the lookups move. The net makes elements with fresh numbers,
// finds them by number, identity or position, removes an element together with the node
// chains its arcs run through, and stores itself with its arcs.
//
// Stored form: the number of elements; the elements oldest first, each as its type code and
// an object reference; then every arc as (source id, target id, weight), elements front to
// back and each element's arcs newest first; then -1, -1, -1. Loading keeps the element order
// and reverses each element's arc list.
//
// Elements taken out of the net stay alive while an arc still leads to them. When the net
// goes, it drops the arcs of every element it holds or took out, which breaks the cycles
// that arcs between elements always make.
#include <cstdint>
#include <memory>
#include <vector>

#include "archive/Object.h"
#include "common/CursorList.h"
#include "petrinet/PNObject.h"

namespace orvane {

class CPNPetriNet : public CObject {
    ORVANE_DECLARE_SERIAL(CPNPetriNet)

public:
    // Numbers that NewId hands out run from 1 to this, then round again.
    static constexpr std::int32_t kHighestId = 32767;

    CPNPetriNet() = default;
    ~CPNPetriNet() override;
    CPNPetriNet(const CPNPetriNet&) = delete;
    CPNPetriNet& operator=(const CPNPetriNet&) = delete;

    bool IsEmpty() const { return elements.IsEmpty(); }
    std::int32_t GetCount() const { return count; }

    bool AddPlace(std::int32_t id, std::int32_t x, std::int32_t y);
    bool AddTransition(std::int32_t id, std::int32_t x, std::int32_t y);
    bool AddNode(std::int32_t id, std::int32_t x, std::int32_t y, bool withLabel);
    // Puts an existing place, transition or node at the front without counting it (loading
    // counts afterwards); false for none or any other kind of element.
    bool AddElement(std::shared_ptr<CPNObject> element);
    bool RemoveElement(const CPNObject* element);
    bool DeleteElement(const CPNObject* element);

    std::int32_t NewId() const;
    std::shared_ptr<CPNObject> HitTest(std::int32_t x, std::int32_t y) const;

    bool FindById(std::int32_t id);
    bool FindElement(const CPNObject* element);
    bool First() { return elements.First(); }
    bool Next() { return elements.Next(); }
    std::shared_ptr<CPNObject> Current() const { return elements.Current(); }
    // The elements, newest first, for readers that must not move the cursor.
    const CCursorList<CPNObject>& Elements() const { return elements; }

    void Serialize(CArchive& archive) override;

private:
    using ElementList = CCursorList<CPNObject>;

    bool Insert(std::shared_ptr<CPNObject> element);
    void RemoveChainsFrom(const CPNObject& element);
    void RemoveChainsInto(const CPNObject* element);
    void Store(CArchive& archive);
    void Load(CArchive& archive);
    void LoadArcs(CArchive& archive);

    ElementList elements;
    std::int32_t count = 0;
    // Elements taken out of the net, whose arcs the net drops when it goes.
    std::vector<std::weak_ptr<CPNObject>> removed;
};

}  // namespace orvane
