// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A 64-bit digest (FNV-1a) of a file's bytes, to tell whether a file still holds what a
// program last read or wrote without keeping a copy of it. Bytes given in pieces give the
// digest of the pieces joined.
#include <cstdint>
#include <span>

namespace orvane {

inline constexpr std::uint64_t kEmptyDigest = 14695981039346656037ULL;

std::uint64_t ContentDigest(std::span<const std::uint8_t> bytes,
                            std::uint64_t digest = kEmptyDigest);

}  // namespace orvane
