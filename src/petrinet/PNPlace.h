// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CPNPlace: a place of a Petri net, a circle around (x, y) with a capacity and tokens. A place
// made by the net gets a label "Place.<id>" above its top-left.
#include "petrinet/PNObject.h"

namespace orvane {

class CPNPlace : public CPNObject {
    ORVANE_DECLARE_SERIAL(CPNPlace)

public:
    static constexpr std::int32_t kDefaultRadius = 20;
    static constexpr std::int32_t kDefaultCapacity = 32767;

    CPNPlace() = default;
    CPNPlace(std::int32_t id, std::int32_t x, std::int32_t y);

    std::int32_t GetType() const override { return kPlaceType; }
    void SetRadius(std::int32_t value) override { radius = value; }
    std::int32_t GetRadius() const override { return radius; }
    void SetCapacity(std::int32_t value) override { capacity = value; }
    std::int32_t GetCapacity() const override { return capacity; }
    void SetTokens(std::int32_t value) override { tokens = value; }
    std::int32_t GetTokens() const override { return tokens; }

    // Stored as: id, x, y, label reference, radius, capacity, tokens.
    void Serialize(CArchive& archive) override;

protected:
    // The circle's outline.
    std::pair<std::int32_t, std::int32_t> Border(std::int32_t px, std::int32_t py,
                                                 std::int32_t along,
                                                 std::int32_t across) const override;

private:
    std::int32_t radius = 0;
    std::int32_t capacity = 0;
    std::int32_t tokens = 0;
};

}  // namespace orvane
