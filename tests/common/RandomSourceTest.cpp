// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "common/RandomSource.h"

namespace orvane::test {
namespace {

std::vector<int> FirstValues() {
    return {NextRandom(), NextRandom(), NextRandom(), NextRandom()};
}

// Seeded with 1 the draw's generator gives the C library's classic sequence; seeded from the
// kernel, no two starts give the same one. Below a bound every value is as likely as the
// others, also beyond the 15 bits of one value of the generator.
TEST(RandomSource, TheDrawsGeneratorIsTheClassicOneWithASeedFromTheKernel) {
    SeedRandomSourceFromKernel();
    const std::vector<int> first = FirstValues();
    SeedRandomSourceFromKernel();
    EXPECT_NE(FirstValues(), first);
    SeedRandomSource(1);
    EXPECT_EQ(FirstValues(), (std::vector<int>{41, 18467, 6334, 26500}));
    for (const std::int32_t bound : {3, 50'000}) {
        std::vector<int> counts(3, 0);  // of the lowest, the middle and the highest third
        for (int i = 0; i < 30'000; ++i) {
            const std::int32_t value = NextRandomBelow(bound);
            ASSERT_TRUE(value >= 0 && value < bound) << value;
            ++counts[static_cast<std::size_t>(value * 3 / bound)];
        }
        for (const int count : counts) {
            EXPECT_NEAR(count, 10'000, 400) << bound;
        }
    }
}

}  // namespace
}  // namespace orvane::test
