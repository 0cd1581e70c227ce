// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CByteBlocks: the bytes a storing archive writes, in blocks that never move once made. A full
// block stays as it is and the next one, twice as large up to a limit, takes the bytes that
// follow; growing never copies what is written, and a write is a bounds check and a store.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace orvane {

class CByteBlocks {
public:
    // Room for `size` more bytes after the last ones, to be filled by the caller.
    std::uint8_t* Extend(std::size_t size) {
        if (static_cast<std::size_t>(limit - cursor) < size) [[unlikely]] {
            StartBlock(size);
        }
        std::uint8_t* bytes = cursor;
        cursor += size;
        return bytes;
    }

    std::size_t Size() const;
    // The bytes in order, one piece per block.
    std::vector<std::span<const std::uint8_t>> Pieces() const;
    void AppendTo(std::vector<std::uint8_t>& out) const;
    void Clear();

private:
    struct Block {
        std::unique_ptr<std::uint8_t[]> bytes;
        std::size_t capacity = 0;
        std::size_t used = 0;  // of every block but the last; the last one's ends at `cursor`
    };

    void StartBlock(std::size_t size);
    std::size_t Used(std::size_t block) const;

    std::vector<Block> blocks;
    std::uint8_t* cursor = nullptr;
    std::uint8_t* limit = nullptr;
};

}  // namespace orvane
