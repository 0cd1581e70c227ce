// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/ByteBlocks.h"

#include <algorithm>
#include <cstring>

namespace orvane {
namespace {

constexpr std::size_t kFirstBlockSize = 4096;
// Large enough that a block's bookkeeping is lost in its bytes; small enough that the unused
// end of the last block does not matter.
constexpr std::size_t kLargestBlockSize = std::size_t{1} << 20;

}  // namespace

void CByteBlocks::StartBlock(std::size_t size) {
    if (!blocks.empty()) {
        blocks.back().used = static_cast<std::size_t>(cursor - blocks.back().bytes.get());
    }
    const std::size_t usual =
        blocks.empty() ? kFirstBlockSize : std::min(2 * blocks.back().capacity, kLargestBlockSize);
    const std::size_t capacity = std::max(usual, size);
    // Left uninitialised: every byte is written before it is read.
    blocks.push_back({std::make_unique_for_overwrite<std::uint8_t[]>(capacity), capacity, 0});
    cursor = blocks.back().bytes.get();
    limit = cursor + capacity;
}

std::size_t CByteBlocks::Used(std::size_t block) const {
    return block + 1 == blocks.size() ? static_cast<std::size_t>(cursor - blocks[block].bytes.get())
                                      : blocks[block].used;
}

std::size_t CByteBlocks::Size() const {
    std::size_t size = 0;
    for (std::size_t block = 0; block < blocks.size(); ++block) {
        size += Used(block);
    }
    return size;
}

std::vector<std::span<const std::uint8_t>> CByteBlocks::Pieces() const {
    std::vector<std::span<const std::uint8_t>> pieces;
    for (std::size_t block = 0; block < blocks.size(); ++block) {
        pieces.emplace_back(blocks[block].bytes.get(), Used(block));
    }
    return pieces;
}

void CByteBlocks::AppendTo(std::vector<std::uint8_t>& out) const {
    out.reserve(out.size() + Size());
    for (const auto piece : Pieces()) {
        out.insert(out.end(), piece.begin(), piece.end());
    }
}

void CByteBlocks::Clear() {
    blocks.clear();
    cursor = nullptr;
    limit = nullptr;
}

}  // namespace orvane
