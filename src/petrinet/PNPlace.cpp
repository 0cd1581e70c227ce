// SPDX-License-Identifier: GPL-3.0-or-later
#include "petrinet/PNPlace.h"

#include "archive/Archive.h"

namespace orvane {

ORVANE_IMPLEMENT_SERIAL(CPNPlace)

CPNPlace::CPNPlace(std::int32_t id, std::int32_t x, std::int32_t y)
    : CPNObject(id, x, y), radius(kDefaultRadius), capacity(kDefaultCapacity) {
    SetNamedLabel(u"Place", -radius, -(radius + 5));
}

std::pair<std::int32_t, std::int32_t> CPNPlace::Border(std::int32_t px, std::int32_t py,
                                                       std::int32_t along,
                                                       std::int32_t across) const {
    return BorderPoint(GetX(), GetY(), px, py, along, across, radius);
}

void CPNPlace::Serialize(CArchive& archive) {
    ExchangePosition(archive);
    ExchangeLabelReference(archive);
    archive.Exchange(radius);
    archive.Exchange(capacity);
    archive.Exchange(tokens);
}

}  // namespace orvane
