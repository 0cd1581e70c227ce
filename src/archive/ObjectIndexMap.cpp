// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/ObjectIndexMap.h"

#include <algorithm>

namespace orvane {
namespace {

constexpr std::size_t kFirstCapacity = 64;  // a power of two
// An 8 KiB page's objects start their probes in a window of 64 slots, one per 128 bytes.
constexpr unsigned kPageBits = 13;
constexpr unsigned kStepBits = 7;
constexpr std::uint64_t kScatter = 0x9E3779B97F4A7C15ull;  // 2^64 divided by the golden ratio

std::uint64_t Address(const CObject* object) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(object));
}

std::uint32_t Tag(const CObject* object) {
    return static_cast<std::uint32_t>(Address(object) >> 3);
}

}  // namespace

std::size_t CObjectIndexMap::Home(const CObject* object) const {
    const std::uint64_t address = Address(object);
    const std::uint64_t window = ((address >> kPageBits) * kScatter) >> 32;
    const std::uint64_t step = (address >> kStepBits) & ((1u << (kPageBits - kStepBits)) - 1);
    return static_cast<std::size_t>(window + step) & (slots.size() - 1);
}

std::uint32_t CObjectIndexMap::Find(const CObject* object) {
    // At most half full, so probes stay short and always meet an empty slot.
    if (2 * (count + 1) > slots.size()) {
        Grow();
    }
    const std::uint32_t tag = Tag(object);
    const std::size_t mask = slots.size() - 1;
    std::size_t at = Home(object);
    for (; slots[at].index != 0; at = (at + 1) & mask) {
        if (slots[at].tag == tag && objects[slots[at].index] == object) {
            return slots[at].index;
        }
    }
    vacant = at;
    return 0;
}

void CObjectIndexMap::Add(const CObject* object, std::uint32_t index) {
    slots[vacant] = {Tag(object), index};
    if (index >= objects.size()) {
        objects.resize(std::max<std::size_t>(index + 1, 2 * objects.size()));
    }
    objects[index] = object;
    ++count;
}

void CObjectIndexMap::Grow() {
    slots.assign(slots.empty() ? kFirstCapacity : 2 * slots.size(), Slot{});
    // Rebuilt in the order of the indices: the addresses are read one after another.
    const std::size_t mask = slots.size() - 1;
    for (std::size_t index = 1; index < objects.size(); ++index) {
        const CObject* object = objects[index];
        if (object == nullptr) {
            continue;
        }
        std::size_t at = Home(object);
        while (slots[at].index != 0) {
            at = (at + 1) & mask;
        }
        slots[at] = {Tag(object), static_cast<std::uint32_t>(index)};
    }
}

}  // namespace orvane
