#include <gtest/gtest.h>

#include "common/RandomSource.h"

namespace orvane::test {
namespace {

// The classic C library generator with its start state 1, at every start.
TEST(RandomSource, StartsWithTheSameSequenceAndStaysWithinZeroTo32767) {
    for (int start = 0; start < 2; ++start) {
        ResetRandomSource();
        EXPECT_EQ(NextRandom(), 41);
        EXPECT_EQ(NextRandom(), 18467);
        EXPECT_EQ(NextRandom(), 6334);
        EXPECT_EQ(NextRandom(), 26500);
    }
    for (int i = 0; i < 100000; ++i) {
        const int value = NextRandom();
        ASSERT_TRUE(value >= 0 && value <= 32767) << value;
    }
}

}  // namespace
}  // namespace orvane::test
