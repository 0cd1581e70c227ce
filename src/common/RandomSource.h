// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two random sources of the process.
//
// The kernel's (getrandom) gives everything that must not be guessed: generated passwords.
//
// The draw's is the classic generator of values 0 to 32767 (state = state * 214013 + 2531011
// mod 2^32; value = bits 16 to 30 of the new state). Its start state comes from the kernel the
// first time it is used, so no two runs and no two machines draw alike; a test may seed it.
#include <cstddef>
#include <cstdint>
#include <span>

namespace orvane {

// Fills `bytes` from the kernel; false (and no bytes to use) only when the kernel has none to
// give, where neither getrandom nor /dev/urandom can be used.
[[nodiscard]] bool ReadKernelRandom(std::span<std::uint8_t> bytes);

// The next value, 0 to 32767, of the draw's generator.
int NextRandom();
// A value from 0 to bound - 1 (bound from 1 to 2^30), every one equally likely: values of the
// generator that would favour the low ones are drawn again.
std::int32_t NextRandomBelow(std::int32_t bound);

// Gives the draw's generator this state (tests), or a new one from the kernel.
void SeedRandomSource(std::uint32_t state);
void SeedRandomSourceFromKernel();

}  // namespace orvane
