// SPDX-License-Identifier: GPL-3.0-or-later
#include "petrinet/PNLabel.h"

#include "archive/Archive.h"

namespace orvane {

ORVANE_IMPLEMENT_SERIAL(CPNLabel)

CPNLabel::CPNLabel(std::int32_t id, std::int32_t x, std::int32_t y, std::u16string labelText,
                   bool labelFlag)
    : CPNObject(id, x, y), text(std::move(labelText)), flag(labelFlag ? 1 : 0) {}

void CPNLabel::Serialize(CArchive& archive) {
    ExchangePosition(archive);
    archive.Exchange(text);
    archive.Exchange(flag);
}

}  // namespace orvane
