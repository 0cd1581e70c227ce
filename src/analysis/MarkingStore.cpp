// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/MarkingStore.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "analysis/MarkingLayout.h"

namespace orvane {
namespace {

constexpr std::size_t kFirstTableSize = 16;
// A block holds about 2^kBlockBits bytes of markings: small nets take little, and a block
// costs one pointer.
constexpr std::uint32_t kBlockBits = 10;

// The 8 bytes at `at`, of which those at `bytes` and beyond count as 0: every marking has
// readable padding after it, so the last word is read whole and masked.
std::uint64_t Word(const std::uint8_t* packed, std::size_t at, std::size_t bytes) {
    std::uint64_t word;
    std::memcpy(&word, packed + at, sizeof word);
    const std::size_t left = bytes - at;
    return left >= 8 ? word : word & ((std::uint64_t{1} << (8 * left)) - 1);
}

}  // namespace

CMarkingStore::CMarkingStore(std::size_t bytesPerMarking)
    : markingBytes(bytesPerMarking),
      blockShift(static_cast<std::uint32_t>(
          std::max<int>(4, static_cast<int>(kBlockBits) - std::bit_width(bytesPerMarking)))),
      blockMask((std::uint32_t{1} << blockShift) - 1),
      table(kFirstTableSize, kNone) {}

std::uint64_t CMarkingStore::Hash(const std::uint8_t* packed, std::size_t bytes) {
    std::uint64_t hash = bytes;
    for (std::size_t at = 0; at < bytes; at += 8) {
        hash = (hash ^ Word(packed, at, bytes)) * 0x9E3779B97F4A7C15ULL;
        hash ^= hash >> 32;
    }
    return hash;
}

bool CMarkingStore::Same(const std::uint8_t* a, const std::uint8_t* b) const {
    for (std::size_t at = 0; at < markingBytes; at += 8) {
        if (Word(a, at, markingBytes) != Word(b, at, markingBytes)) {
            return false;
        }
    }
    return true;
}

std::size_t CMarkingStore::Probe(const std::uint8_t* packed) const {
    for (std::size_t slot = Slot(Hash(packed, markingBytes));; slot = Slot(slot + 1)) {
        const std::uint32_t index = table[slot];
        if (index == kNone || Same(At(index), packed)) {
            return slot;
        }
    }
}

std::uint32_t CMarkingStore::Find(const std::uint8_t* packed) const {
    return table[Probe(packed)];
}

CMarkingStore::SFound CMarkingStore::Insert(const std::uint8_t* packed, bool mayAdd) {
    const std::size_t slot = Probe(packed);
    if (table[slot] != kNone) {
        return {table[slot], false};
    }
    if (!mayAdd) {
        return {kNone, false};
    }
    Append(packed);
    table[slot] = size++;
    if (size * std::size_t{2} >= table.size()) {
        Grow();
    }
    return {size - 1, true};
}

std::size_t CMarkingStore::BlockBytes() const {
    return (std::size_t{blockMask} + 1) * markingBytes + CMarkingLayout::kPadding;
}

void CMarkingStore::Append(const std::uint8_t* packed) {
    if ((size & blockMask) == 0) {
        blocks.emplace_back(new std::uint8_t[BlockBytes()]());
    }
    std::memcpy(blocks.back().get() + (size & blockMask) * markingBytes, packed, markingBytes);
}

void CMarkingStore::Grow() {
    std::vector<std::uint32_t> larger(table.size() * 2, kNone);
    table.swap(larger);
    for (std::uint32_t index = 0; index < size; ++index) {
        std::size_t slot = Slot(Hash(At(index), markingBytes));
        while (table[slot] != kNone) {
            slot = Slot(slot + 1);
        }
        table[slot] = index;
    }
}

std::size_t CMarkingStore::MemoryBytes() const {
    return blocks.size() * BlockBytes() + table.size() * sizeof(std::uint32_t) +
           blocks.capacity() * sizeof(blocks[0]);
}

}  // namespace orvane
