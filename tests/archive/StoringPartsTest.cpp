// The parts behind a storing archive: the blocks that hold its bytes, and the table that gives
// every object stored its index.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "archive/ByteBlocks.h"
#include "archive/ObjectIndexMap.h"

namespace orvane::test {
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

// Addresses only: the map never looks at the objects themselves.
const CObject* At(std::uintptr_t address) {
    return reinterpret_cast<const CObject*>(address);
}

// Adds every address with the index i + 1, then finds each one again under its index.
void ExpectEveryIndexKept(const std::vector<std::uintptr_t>& addresses) {
    CObjectIndexMap map;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        ASSERT_EQ(map.Find(At(addresses[i])), 0u) << "address " << i << " was not new";
        map.Add(At(addresses[i]), static_cast<std::uint32_t>(i + 1));
    }
    EXPECT_EQ(map.Size(), addresses.size());
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        ASSERT_EQ(map.Find(At(addresses[i])), i + 1) << "address " << i;
    }
    EXPECT_EQ(map.Size(), addresses.size());
}

TEST(ObjectIndexMap, KeepsTheIndexOfObjectsWhereverTheyLie) {
    // Packed side by side, at the same offset of many pages, and 2^35 bytes apart (the same tag
    // in the table).
    const struct {
        std::uintptr_t start, stride;
        std::size_t count;
    } runs[] = {{0x55550000'1000, 8, 20'000},
                {0x55550000'1010, 112, 50'000},
                {0x7F000000'0000, 4096, 50'000},
                {0x7F000000'0040, 1 << 20, 20'000},
                {0x10000000'0040, std::uintptr_t{1} << 35, 1000}};
    for (const auto& run : runs) {
        std::vector<std::uintptr_t> addresses;
        for (std::size_t i = 0; i < run.count; ++i) {
            addresses.push_back(run.start + i * run.stride);
        }
        ExpectEveryIndexKept(addresses);
    }
    // Made in no order.
    std::vector<std::uintptr_t> addresses;
    std::uint64_t state = 1;
    for (int i = 0; i < 30'000; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        addresses.push_back(static_cast<std::uintptr_t>((state >> 16) & ~std::uint64_t{15}));
    }
    std::sort(addresses.begin(), addresses.end());
    addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());
    std::reverse(addresses.begin() + 1000, addresses.end() - 1000);
    ExpectEveryIndexKept(addresses);

    CObjectIndexMap map;
    map.Find(At(0x1000));
    map.Add(At(0x1000), 7);
    EXPECT_EQ(map.Find(At(0x1000 + (std::uintptr_t{1} << 35))), 0u);
    EXPECT_EQ(map.Find(At(0x1000)), 7u);
    EXPECT_EQ(map.Size(), 1u);
}

}  // namespace
}  // namespace orvane::test
