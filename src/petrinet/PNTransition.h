// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CPNTransition: a transition of a Petri net, a rectangle whose top-left corner is (x, y). A
// transition made by the net gets a label "Transition.<id>" just above it.
#include "petrinet/PNObject.h"

namespace orvane {

class CPNTransition : public CPNObject {
    ORVANE_DECLARE_SERIAL(CPNTransition)

public:
    static constexpr std::int32_t kDefaultWidth = 10;
    static constexpr std::int32_t kDefaultHeight = 40;

    CPNTransition() = default;
    CPNTransition(std::int32_t id, std::int32_t x, std::int32_t y);

    std::int32_t GetType() const override { return kTransitionType; }
    void SetWidth(std::int32_t value) override { width = value; }
    std::int32_t GetWidth() const override { return width; }
    void SetHeight(std::int32_t value) override { height = value; }
    std::int32_t GetHeight() const override { return height; }
    void SetSize(std::int32_t newWidth, std::int32_t newHeight) override;

    // Stored as: id, x, y, label reference, width, height.
    void Serialize(CArchive& archive) override;

protected:
    // The rectangle's outline.
    std::pair<std::int32_t, std::int32_t> Border(std::int32_t px, std::int32_t py,
                                                 std::int32_t along,
                                                 std::int32_t across) const override;

private:
    std::int32_t width = 0;
    std::int32_t height = 0;
};

}  // namespace orvane
