#include "petrinet/PNPlace.h"

#include <string>

#include "archive/Archive.h"
#include "petrinet/PNLabel.h"

namespace orvane {

ORVANE_IMPLEMENT_SERIAL(CPNPlace)

CPNPlace::CPNPlace(std::int32_t id, std::int32_t x, std::int32_t y)
    : CPNObject(id, x, y), radius(kDefaultRadius), capacity(kDefaultCapacity) {
    const std::string number = std::to_string(id);
    SetLabel(std::make_shared<CPNLabel>(LabelId(id), -radius, -(radius + 5),
                                        u"Place." + std::u16string(number.begin(), number.end()),
                                        true));
}

std::pair<std::int32_t, std::int32_t> CPNPlace::Border(std::int32_t px, std::int32_t py,
                                                       std::int32_t along,
                                                       std::int32_t across) const {
    return BorderPoint(GetX(), GetY(), px, py, along, across, radius);
}

std::int32_t CPNPlace::BorderX(std::int32_t px, std::int32_t py, std::int32_t along,
                               std::int32_t across) const {
    return Border(px, py, along, across).first;
}

std::int32_t CPNPlace::BorderY(std::int32_t px, std::int32_t py, std::int32_t along,
                               std::int32_t across) const {
    return Border(px, py, along, across).second;
}

void CPNPlace::Serialize(CArchive& archive) {
    ExchangePosition(archive);
    ExchangeLabelReference(archive);
    archive.Exchange(radius);
    archive.Exchange(capacity);
    archive.Exchange(tokens);
}

}  // namespace orvane
