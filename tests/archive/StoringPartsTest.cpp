// SPDX-License-Identifier: GPL-3.0-or-later
// The parts behind a storing archive: the blocks that hold its bytes, and the table that gives
// every object stored its index.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "archive/ByteBlocks.h"
#include "archive/ObjectIndexMap.h"

namespace orvane::test {
namespace {

TEST(ByteBlocks, KeepsEveryByteInOrderAcrossBlocksOfAnySize) {
    CByteBlocks blocks;
    std::vector<std::uint8_t> expected{0xEE};  // already in the vector appended to
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

    EXPECT_EQ(blocks.Size(), expected.size() - 1);
    EXPECT_GT(blocks.Pieces().size(), 2u);
    std::vector<std::uint8_t> appended{0xEE};
    blocks.AppendTo(appended);  // piece after piece
    EXPECT_TRUE(appended == expected);
}

// Addresses only: the map never looks at the objects themselves.
const CObject* At(std::uintptr_t address) {
    return reinterpret_cast<const CObject*>(address);
}

// Packed side by side, at the same offset of many pages, and 2^35 bytes apart (the same tag in
// the table): every address added with the index i + 1 is found again under it.
TEST(ObjectIndexMap, KeepsTheIndexOfObjectsWhereverTheyLie) {
    const struct {
        std::uintptr_t start, stride;
        std::size_t count;
    } runs[] = {{0x55550000'1000, 8, 20'000},
                {0x55550000'1010, 112, 50'000},
                {0x7F000000'0000, 4096, 50'000},
                {0x7F000000'0040, 1 << 20, 20'000},
                {0x10000000'0040, std::uintptr_t{1} << 35, 1000}};
    for (const auto& run : runs) {
        CObjectIndexMap map;
        for (std::size_t i = 0; i < run.count; ++i) {
            ASSERT_EQ(map.Find(At(run.start + i * run.stride)), 0u) << i << " was not new";
            map.Add(At(run.start + i * run.stride), static_cast<std::uint32_t>(i + 1));
        }
        for (std::size_t i = 0; i < run.count; ++i) {
            ASSERT_EQ(map.Find(At(run.start + i * run.stride)), i + 1) << i;
        }
        EXPECT_EQ(map.Size(), run.count);
    }
}

}  // namespace
}  // namespace orvane::test
