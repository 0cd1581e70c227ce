// SPDX-License-Identifier: GPL-3.0-or-later
#include "exam/FreeId.h"

#include <limits>
#include <unordered_set>

namespace orvane {

std::int32_t SmallestFreeId(std::span<const std::int32_t> used) {
    const std::unordered_set<std::int32_t> taken(used.begin(), used.end());
    // Among taken.size() + 1 candidates from 0 upward one is free, unless the top is reached.
    for (std::int32_t candidate = 0;; ++candidate) {
        if (!taken.contains(candidate)) {
            return candidate;
        }
        if (candidate == std::numeric_limits<std::int32_t>::max()) {
            return -1;
        }
    }
}

}  // namespace orvane
