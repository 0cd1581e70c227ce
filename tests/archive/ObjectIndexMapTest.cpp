#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "archive/ObjectIndexMap.h"

namespace orvane {
namespace {

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
}  // namespace orvane
