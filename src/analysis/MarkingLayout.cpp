// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/MarkingLayout.h"

#include <algorithm>
#include <bit>

namespace orvane {
namespace {

// Fields of places without a known bound: wide enough for what such nets usually reach, and
// for the initial marking with room to grow.
constexpr std::uint32_t kOpenWidth = 16;
constexpr std::uint32_t kWidestField = 32;

}  // namespace

CMarkingLayout::CMarkingLayout(const std::vector<std::uint64_t>& bounds,
                               std::uint32_t largestStart) {
    std::uint32_t offset = 0;
    const std::uint32_t open = std::min(
        kWidestField, std::max<std::uint32_t>(kOpenWidth, std::bit_width(largestStart) + 2));
    for (const std::uint64_t bound : bounds) {
        const bool known = bound != kUnknownBound;
        const std::uint32_t width =
            known ? std::clamp<std::uint32_t>(std::bit_width(bound), 1, kWidestField) : open;
        const std::uint64_t mask = (std::uint64_t{1} << width) - 1;
        fields.push_back(
            {offset, width, mask, static_cast<std::uint32_t>(known ? mask : mask - 1), !known});
        offset += width;
    }
    bytes = (offset + 7) / 8;
}

void CMarkingLayout::Unpack(const std::uint8_t* packed, std::uint32_t* values) const {
    for (std::uint32_t place = 0; place < fields.size(); ++place) {
        values[place] = Get(packed, place);
    }
}

}  // namespace orvane
