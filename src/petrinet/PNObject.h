// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CPNObject: the base of the elements of a Petri net (places, transitions, nodes and labels).
// Every element has a number, an integer position, an optional label of its own and a list of
// outgoing arcs, newest first, walked with one arc cursor. The size, token and text operations
// are answered by the subclasses that have such fields; the base ignores the setters and gives
// neutral answers. Arcs hold their target with shared ownership, so an element taken out of a
// net stays alive while an arc still leads to it; the net breaks the cycles when it goes.
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "archive/Object.h"

namespace orvane {

class CPNLabel;

// The type codes that tell the element classes apart, also in stored nets.
constexpr std::int32_t kObjectType = 1000;
constexpr std::int32_t kPlaceType = 1001;
constexpr std::int32_t kTransitionType = 1002;
constexpr std::int32_t kNodeType = 1003;
constexpr std::int32_t kLabelType = 1004;

// What an element constructor puts into `state`; loading and default construction give it too.
constexpr std::int32_t kCreatedState = 1100;

class CPNObject : public CObject {
    ORVANE_DECLARE_SERIAL(CPNObject)

public:
    struct Arc {
        std::shared_ptr<CPNObject> target;
        std::int32_t weight = 1;
    };

    CPNObject() = default;
    CPNObject(std::int32_t id, std::int32_t x, std::int32_t y);
    CPNObject(const CPNObject&) = delete;
    CPNObject& operator=(const CPNObject&) = delete;

    virtual std::int32_t GetType() const { return kObjectType; }
    virtual void SetRadius(std::int32_t) {}
    virtual std::int32_t GetRadius() const { return 0; }
    virtual void SetWidth(std::int32_t) {}
    virtual std::int32_t GetWidth() const { return 0; }
    virtual void SetHeight(std::int32_t) {}
    virtual std::int32_t GetHeight() const { return 0; }
    virtual void SetSize(std::int32_t, std::int32_t) {}
    virtual void SetCapacity(std::int32_t) {}
    virtual std::int32_t GetCapacity() const { return 0; }
    virtual void SetTokens(std::int32_t) {}
    virtual std::int32_t GetTokens() const { return 0; }
    virtual void SetText(std::u16string) {}
    virtual std::u16string GetText() const { return u" "; }
    virtual void SetFlag(bool) {}
    virtual bool GetFlag() const { return false; }
    // Where an arc running toward (px, py) meets the element's outline, moved `along` further
    // out on that line and `across` sideways (the two coordinates of Border); 0 for elements
    // without an outline.
    virtual std::int32_t BorderX(std::int32_t px, std::int32_t py, std::int32_t along,
                                 std::int32_t across) const;
    virtual std::int32_t BorderY(std::int32_t px, std::int32_t py, std::int32_t along,
                                 std::int32_t across) const;

    std::int32_t GetId() const { return id; }
    void SetId(std::int32_t value) { id = value; }
    std::int32_t GetX() const { return x; }
    void SetX(std::int32_t value) { x = value; }
    std::int32_t GetY() const { return y; }
    void SetY(std::int32_t value) { y = value; }
    void SetPosition(std::int32_t newX, std::int32_t newY);
    std::int32_t GetState() const { return state; }
    void SetState(std::int32_t value) { state = value; }
    std::shared_ptr<CPNLabel> GetLabel() const { return label; }
    void SetLabel(std::shared_ptr<CPNLabel> value) { label = std::move(value); }

    // Adds an arc of weight 1 at the front, also beside an existing arc to the same target;
    // false only for no target.
    bool AddArc(std::shared_ptr<CPNObject> target);
    bool FindArc(const CPNObject* target);
    bool RemoveArc(const CPNObject* target);
    bool FirstArc();
    bool NextArc();
    std::shared_ptr<CPNObject> GetArcTarget() const;
    std::int32_t GetArcWeight() const;
    void SetArcWeight(std::int32_t weight);
    std::int32_t GetArcCount() const { return static_cast<std::int32_t>(arcs.size()); }
    // The arcs, newest first, for walks that must not move the arc cursor.
    const std::list<Arc>& Arcs() const { return arcs; }
    // Drops every arc of the element and of its label; the net does this when it goes, so
    // that arcs leading round in a circle do not keep each other alive.
    void ReleaseArcs();

    // Stores nothing: each element class stores all of its items itself.
    void Serialize(CArchive& archive) override;

    // The distance between two points; the squares are taken in 64 bits.
    static double Distance(std::int64_t dx, std::int64_t dy);

protected:
    // The number, minus that of the element, under which an element's label goes.
    static std::int32_t LabelId(std::int32_t elementId);
    // Gives the element its label "<kind>.<id>" at the offset (labelX, labelY), as the net's
    // own places and transitions get one.
    void SetNamedLabel(std::u16string_view kind, std::int32_t labelX, std::int32_t labelY);
    // The point that BorderX and BorderY answer; (0, 0) for elements without an outline.
    virtual std::pair<std::int32_t, std::int32_t> Border(std::int32_t px, std::int32_t py,
                                                         std::int32_t along,
                                                         std::int32_t across) const;
    // The items every element class stores first: id, x, y.
    void ExchangePosition(CArchive& archive);
    // A reference to the label; a null reference when there is none.
    void ExchangeLabelReference(CArchive& archive);
    // The end point of an arc toward (px, py) on an outline around (cx, cy) that the line
    // leaves at `reach` from the centre; the centre itself when (px, py) is the centre.
    static std::pair<std::int32_t, std::int32_t> BorderPoint(std::int64_t cx, std::int64_t cy,
                                                             std::int32_t px, std::int32_t py,
                                                             std::int32_t along,
                                                             std::int32_t across, double reach);

private:
    std::list<Arc> arcs;
    std::list<Arc>::iterator arcCursor = arcs.end();  // end(): on no arc
    std::int32_t id = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t state = kCreatedState;
    std::shared_ptr<CPNLabel> label;
};

}  // namespace orvane
