// SPDX-License-Identifier: GPL-3.0-or-later
#include "petrinet/PNObject.h"

#include <cmath>
#include <limits>

#include "archive/Archive.h"
#include "common/TextCodec.h"
#include "petrinet/PNLabel.h"

namespace orvane {

ORVANE_IMPLEMENT_SERIAL(CPNObject)

namespace {

// A computed coordinate as an integer, truncated toward zero; a value that is not a number
// gives `fallback` and one beyond the 32-bit range the nearest end of the range.
std::int32_t Truncated(double value, std::int64_t fallback) {
    constexpr auto kLowest = std::numeric_limits<std::int32_t>::min();
    constexpr auto kHighest = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(value)) {
        value = static_cast<double>(fallback);
    }
    if (value <= kLowest) {
        return kLowest;
    }
    if (value >= kHighest) {
        return kHighest;
    }
    return static_cast<std::int32_t>(value);
}

std::uint64_t Magnitude(std::int64_t value) {
    return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

}  // namespace

CPNObject::CPNObject(std::int32_t elementId, std::int32_t elementX, std::int32_t elementY)
    : id(elementId), x(elementX), y(elementY) {}

std::int32_t CPNObject::BorderX(std::int32_t px, std::int32_t py, std::int32_t along,
                                std::int32_t across) const {
    return Border(px, py, along, across).first;
}

std::int32_t CPNObject::BorderY(std::int32_t px, std::int32_t py, std::int32_t along,
                                std::int32_t across) const {
    return Border(px, py, along, across).second;
}

std::pair<std::int32_t, std::int32_t> CPNObject::Border(std::int32_t, std::int32_t, std::int32_t,
                                                        std::int32_t) const {
    return {0, 0};
}

void CPNObject::SetPosition(std::int32_t newX, std::int32_t newY) {
    x = newX;
    y = newY;
}

bool CPNObject::AddArc(std::shared_ptr<CPNObject> target) {
    if (target == nullptr) {
        return false;
    }
    arcs.push_front(Arc{std::move(target), 1});
    return true;
}

bool CPNObject::FindArc(const CPNObject* target) {
    for (auto arc = arcs.begin(); arc != arcs.end(); ++arc) {
        if (arc->target.get() == target) {
            arcCursor = arc;
            return true;
        }
    }
    return false;
}

bool CPNObject::RemoveArc(const CPNObject* target) {
    for (auto arc = arcs.begin(); arc != arcs.end(); ++arc) {
        if (arc->target.get() == target) {
            if (arc == arcCursor) {
                arcCursor = arcs.end();
            }
            arcs.erase(arc);
            return true;
        }
    }
    return false;
}

bool CPNObject::FirstArc() {
    arcCursor = arcs.begin();
    return arcCursor != arcs.end();
}

bool CPNObject::NextArc() {
    if (arcCursor == arcs.end()) {
        return false;
    }
    ++arcCursor;
    return arcCursor != arcs.end();
}

std::shared_ptr<CPNObject> CPNObject::GetArcTarget() const {
    return arcCursor == arcs.end() ? nullptr : arcCursor->target;
}

std::int32_t CPNObject::GetArcWeight() const {
    return arcCursor == arcs.end() ? 0 : arcCursor->weight;
}

void CPNObject::SetArcWeight(std::int32_t weight) {
    if (arcCursor != arcs.end()) {
        arcCursor->weight = weight;
    }
}

void CPNObject::ReleaseArcs() {
    arcs.clear();
    arcCursor = arcs.end();
    if (label != nullptr) {
        label->ReleaseArcs();
    }
}

void CPNObject::Serialize(CArchive&) {}

double CPNObject::Distance(std::int64_t dx, std::int64_t dy) {
    const std::uint64_t ax = Magnitude(dx);
    const std::uint64_t ay = Magnitude(dy);
    return std::sqrt(static_cast<double>(ax * ax) + static_cast<double>(ay * ay));
}

std::int32_t CPNObject::LabelId(std::int32_t elementId) {
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(elementId));
}

void CPNObject::SetNamedLabel(std::u16string_view kind, std::int32_t labelX, std::int32_t labelY) {
    label = std::make_shared<CPNLabel>(LabelId(id), labelX, labelY,
                                       std::u16string(kind) + u"." + FromUtf8(std::to_string(id)),
                                       true);
}

void CPNObject::ExchangePosition(CArchive& archive) {
    archive.Exchange(id);
    archive.Exchange(x);
    archive.Exchange(y);
}

void CPNObject::ExchangeLabelReference(CArchive& archive) {
    if (archive.IsStoring()) {
        archive.WriteObject(label);
    } else {
        label = archive.ReadObjectOf<CPNLabel>();
    }
}

std::pair<std::int32_t, std::int32_t> CPNObject::BorderPoint(std::int64_t cx, std::int64_t cy,
                                                             std::int32_t px, std::int32_t py,
                                                             std::int32_t along,
                                                             std::int32_t across, double reach) {
    const std::int64_t dx = cx - px;
    const std::int64_t dy = cy - py;
    const double d = Distance(dx, dy);
    if (d == 0) {
        return {Truncated(static_cast<double>(cx), cx), Truncated(static_cast<double>(cy), cy)};
    }
    const double k = (along + reach) / d;
    const double borderX = cx - dx * k + across * static_cast<double>(dy) / d;
    const double borderY = cy - dy * k - across * static_cast<double>(dx) / d;
    return {Truncated(borderX, cx), Truncated(borderY, cy)};
}

}  // namespace orvane
