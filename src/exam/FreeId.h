// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The numbers of tests and questions: the one a test database gives a new test and a test
// gives a new question is the smallest non-negative number that none of the existing ones
// uses; lookups by number take the first item from the front that has it.
#include <cstdint>
#include <span>
#include <vector>

namespace orvane {

// The smallest non-negative number not in `used`; -1 when every one of them is taken.
std::int32_t SmallestFreeId(std::span<const std::int32_t> used);

// The same for the numbers (GetId) of a list of tests or questions.
template <class Items>
std::int32_t SmallestFreeIdOf(const Items& items) {
    std::vector<std::int32_t> used;
    for (const auto& item : items) {
        used.push_back(item->GetId());
    }
    return SmallestFreeId(used);
}

// Matches the test or question with that number.
inline auto HasId(std::int32_t id) {
    return [id](const auto& item) { return item->GetId() == id; };
}

}  // namespace orvane
