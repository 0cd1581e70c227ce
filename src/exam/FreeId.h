#pragma once
// The number a test database gives a new test and a test gives a new question: the smallest
// non-negative number that none of the existing ones uses.
#include <cstdint>
#include <span>

namespace orvane {

// The smallest non-negative number not in `used`; -1 when every one of them is taken.
std::int32_t SmallestFreeId(std::span<const std::int32_t> used);

}  // namespace orvane
