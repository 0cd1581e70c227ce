#include <gtest/gtest.h>

#include "common/RandomSource.h"

namespace orvane {
namespace {

TEST(RandomSource, StartsWithTheSameSequenceAtEveryStart) {
    ResetRandomSource();
    // The first values of the classic C library generator with its start state 1.
    EXPECT_EQ(NextRandom(), 41);
    EXPECT_EQ(NextRandom(), 18467);
    EXPECT_EQ(NextRandom(), 6334);
    EXPECT_EQ(NextRandom(), 26500);
    ResetRandomSource();
    EXPECT_EQ(NextRandom(), 41);
}

TEST(RandomSource, StaysWithinZeroTo32767) {
    ResetRandomSource();
    for (int i = 0; i < 100000; ++i) {
        const int value = NextRandom();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}

}  // namespace
}  // namespace orvane
