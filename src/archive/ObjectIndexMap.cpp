#include "archive/ObjectIndexMap.h"

namespace orvane {
namespace {

constexpr std::size_t kFirstCapacity = 64;  // a power of two
// An 8 KiB page's objects start their probes in a window of 64 slots, one per 128 bytes.
constexpr unsigned kPageBits = 13;
constexpr unsigned kStepBits = 7;
constexpr std::uint64_t kScatter = 0x9E3779B97F4A7C15ull;  // 2^64 divided by the golden ratio

}  // namespace

std::size_t CObjectIndexMap::Home(const CObject* object) const {
    const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(object));
    const std::uint64_t window = ((address >> kPageBits) * kScatter) >> 32;
    const std::uint64_t step = (address >> kStepBits) & ((1u << (kPageBits - kStepBits)) - 1);
    return static_cast<std::size_t>(window + step) & (slots.size() - 1);
}

CObjectIndexMap::Slot& CObjectIndexMap::Probe(const CObject* object) {
    const std::size_t mask = slots.size() - 1;
    for (std::size_t at = Home(object);; at = (at + 1) & mask) {
        Slot& slot = slots[at];
        if (slot.object == object || slot.object == nullptr) {
            return slot;
        }
    }
}

void CObjectIndexMap::Grow() {
    std::vector<Slot> old(slots.empty() ? kFirstCapacity : 2 * slots.size());
    old.swap(slots);
    for (const Slot& slot : old) {
        if (slot.object != nullptr) {
            Probe(slot.object) = slot;
        }
    }
}

std::uint32_t& CObjectIndexMap::IndexOf(const CObject* object) {
    // At most half full, so probes stay short and always meet an empty slot.
    if (2 * (count + 1) > slots.size()) {
        Grow();
    }
    Slot& slot = Probe(object);
    if (slot.object == nullptr) {
        slot.object = object;
        ++count;
    }
    return slot.index;
}

}  // namespace orvane
