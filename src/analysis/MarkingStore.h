// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CMarkingStore: the set of markings seen, each packed into the same number of bytes. The
// markings lie one after another in blocks that never move, numbered in the order they came;
// an open-addressing table of their numbers finds them. A marking costs its bytes and 8 to 16
// bytes of table (the table doubles when it is half full, which keeps probes short), and a
// block of about 1 KiB is the least a store takes.
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace orvane {

class CMarkingStore {
public:
    static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

    explicit CMarkingStore(std::size_t markingBytes);
    CMarkingStore(const CMarkingStore&) = delete;
    CMarkingStore& operator=(const CMarkingStore&) = delete;

    struct SFound {
        std::uint32_t index;  // kNone: absent and not added
        bool added;
    };
    // Finds the marking, or adds a copy when `mayAdd`. Like every packed marking, `packed`
    // has CMarkingLayout::kPadding readable bytes after it.
    SFound Insert(const std::uint8_t* packed, bool mayAdd);
    std::uint32_t Find(const std::uint8_t* packed) const;

    // The packed marking, readable for its bytes and 8 more.
    const std::uint8_t* At(std::uint32_t index) const {
        return blocks[index >> blockShift].get() + (index & blockMask) * markingBytes;
    }
    std::uint32_t Size() const { return size; }
    std::size_t MemoryBytes() const;

    static std::uint64_t Hash(const std::uint8_t* packed, std::size_t bytes);

private:
    std::size_t Slot(std::uint64_t hash) const { return hash & (table.size() - 1); }
    bool Same(const std::uint8_t* a, const std::uint8_t* b) const;
    // The table's slot that holds the marking, or the empty one where it would go.
    std::size_t Probe(const std::uint8_t* packed) const;
    std::size_t BlockBytes() const;
    void Grow();
    void Append(const std::uint8_t* packed);

    std::size_t markingBytes;
    std::uint32_t blockShift;
    std::uint32_t blockMask;
    std::vector<std::unique_ptr<std::uint8_t[]>> blocks;
    std::vector<std::uint32_t> table;
    std::uint32_t size = 0;
};

}  // namespace orvane
