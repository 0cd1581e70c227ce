#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "archive/ByteBlocks.h"

namespace orvane {
namespace {

std::vector<std::uint8_t> Joined(const std::vector<std::span<const std::uint8_t>>& pieces) {
    std::vector<std::uint8_t> bytes;
    for (const auto piece : pieces) {
        bytes.insert(bytes.end(), piece.begin(), piece.end());
    }
    return bytes;
}

TEST(ByteBlocks, KeepsEveryByteInOrderAcrossBlocksOfAnySize) {
    CByteBlocks blocks;
    std::vector<std::uint8_t> expected;
    // Small items that fill block after block, then one item larger than any block.
    for (std::uint32_t i = 0; i < 300'000; ++i) {
        std::memcpy(blocks.Extend(4), &i, 4);
        expected.insert(expected.end(), reinterpret_cast<const std::uint8_t*>(&i),
                        reinterpret_cast<const std::uint8_t*>(&i) + 4);
    }
    const std::vector<std::uint8_t> large(3 << 20, 0x5A);
    std::memcpy(blocks.Extend(large.size()), large.data(), large.size());
    expected.insert(expected.end(), large.begin(), large.end());
    *blocks.Extend(1) = 0x01;
    expected.push_back(0x01);

    EXPECT_EQ(blocks.Size(), expected.size());
    EXPECT_GT(blocks.Pieces().size(), 2u);
    EXPECT_TRUE(Joined(blocks.Pieces()) == expected);
    std::vector<std::uint8_t> appended{0xEE};
    blocks.AppendTo(appended);
    expected.insert(expected.begin(), 0xEE);
    EXPECT_TRUE(appended == expected);
}

}  // namespace
}  // namespace orvane
