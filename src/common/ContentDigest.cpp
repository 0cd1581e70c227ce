// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ContentDigest.h"

namespace orvane {

std::uint64_t ContentDigest(std::span<const std::uint8_t> bytes, std::uint64_t digest) {
    for (const std::uint8_t byte : bytes) {
        digest = (digest ^ byte) * 1099511628211ULL;
    }
    return digest;
}

}  // namespace orvane
