// SPDX-License-Identifier: GPL-3.0-or-later
#include "petrinet/PNNode.h"

#include "archive/Archive.h"
#include "petrinet/PNLabel.h"

namespace orvane {

ORVANE_IMPLEMENT_SERIAL(CPNNode)

CPNNode::CPNNode(std::int32_t id, std::int32_t x, std::int32_t y) : CPNObject(id, x, y) {}

CPNNode::CPNNode(std::int32_t id, std::int32_t x, std::int32_t y, bool flag) : CPNObject(id, x, y) {
    SetLabel(std::make_shared<CPNLabel>(LabelId(id), 0, -5, u"", flag));
}

void CPNNode::Serialize(CArchive& archive) {
    ExchangePosition(archive);
    if (archive.IsStoring()) {
        const bool labelled = GetLabel() != nullptr;
        archive.WriteInt32(labelled ? 1 : 0);
        if (labelled) {
            ExchangeLabelReference(archive);
        } else {
            archive.WriteInt32(0);
        }
        return;
    }
    if (archive.ReadInt32() != 0) {
        ExchangeLabelReference(archive);
    } else {
        archive.ReadInt32();  // a second word that carries nothing
        SetLabel(nullptr);
    }
}

}  // namespace orvane
