// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CPNLabel: the text attached to a place, transition or node. Its position is an offset from
// the element it belongs to, and its number is minus that element's number. A label belongs to
// exactly one element and is never a member of a net itself.
#include "petrinet/PNObject.h"

namespace orvane {

class CPNLabel : public CPNObject {
    ORVANE_DECLARE_SERIAL(CPNLabel)

public:
    CPNLabel() = default;
    CPNLabel(std::int32_t id, std::int32_t x, std::int32_t y, std::u16string text, bool flag);

    std::int32_t GetType() const override { return kLabelType; }
    void SetText(std::u16string value) override { text = std::move(value); }
    std::u16string GetText() const override { return text; }
    void SetFlag(bool value) override { flag = value ? 1 : 0; }
    bool GetFlag() const override { return flag != 0; }

    // Stored as: id, x, y, text, flag.
    void Serialize(CArchive& archive) override;

private:
    std::u16string text;
    // Kept as the byte read, so that a file's flag byte is written back unchanged.
    std::uint8_t flag = 0;
};

}  // namespace orvane
