// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CPNNode: a small point of a Petri net through which an arc is led; an arc between two
// elements may run through a chain of nodes. A node may carry a label with an empty text.
#include "petrinet/PNObject.h"

namespace orvane {

class CPNNode : public CPNObject {
    ORVANE_DECLARE_SERIAL(CPNNode)

public:
    CPNNode() = default;
    CPNNode(std::int32_t id, std::int32_t x, std::int32_t y);
    // With a label: empty text at (0, -5) and the given flag.
    CPNNode(std::int32_t id, std::int32_t x, std::int32_t y, bool flag);

    std::int32_t GetType() const override { return kNodeType; }

    // Stored as: id, x, y, then 1 and the label reference, or 0 and 0 without a label.
    void Serialize(CArchive& archive) override;
};

}  // namespace orvane
