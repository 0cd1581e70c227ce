// SPDX-License-Identifier: GPL-3.0-or-later
#include "petrinet/PNTransition.h"

#include <cmath>

#include "archive/Archive.h"

namespace orvane {

ORVANE_IMPLEMENT_SERIAL(CPNTransition)

CPNTransition::CPNTransition(std::int32_t id, std::int32_t x, std::int32_t y)
    : CPNObject(id, x, y), width(kDefaultWidth), height(kDefaultHeight) {
    SetNamedLabel(u"Transition", 0, -5);
}

void CPNTransition::SetSize(std::int32_t newWidth, std::int32_t newHeight) {
    width = newWidth;
    height = newHeight;
}

std::pair<std::int32_t, std::int32_t> CPNTransition::Border(std::int32_t px, std::int32_t py,
                                                            std::int32_t along,
                                                            std::int32_t across) const {
    const std::int64_t cx = std::int64_t{GetX()} + width / 2;
    const std::int64_t cy = std::int64_t{GetY()} + height / 2;
    const double offsetX = static_cast<double>(px - cx);
    const double offsetY = static_cast<double>(py - cy);
    const double steepness = std::fabs(offsetX / offsetY);
    const double shape = std::fabs(static_cast<double>(width) / height);
    // The reach is measured with the full width or height, not with their halves.
    double reach = 0;
    if (shape < steepness) {
        const double m = std::fabs(offsetY / (offsetX / width));
        reach = std::sqrt(static_cast<double>(width) * width + m * m);
    } else {
        const double m = std::fabs(offsetX / (offsetY / height));
        reach = std::sqrt(static_cast<double>(height) * height + m * m);
    }
    return BorderPoint(cx, cy, px, py, along, across, reach);
}

void CPNTransition::Serialize(CArchive& archive) {
    ExchangePosition(archive);
    ExchangeLabelReference(archive);
    archive.Exchange(width);
    archive.Exchange(height);
}

}  // namespace orvane
