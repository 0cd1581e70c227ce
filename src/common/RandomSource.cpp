#include "common/RandomSource.h"

#include <atomic>
#include <cstdint>

namespace orvane {
namespace {

constexpr std::uint32_t kStartState = 1;
std::atomic<std::uint32_t> state{kStartState};

}  // namespace

int NextRandom() {
    std::uint32_t current = state.load(std::memory_order_relaxed);
    std::uint32_t next = 0;
    do {
        next = current * 214013u + 2531011u;
    } while (!state.compare_exchange_weak(current, next, std::memory_order_relaxed));
    return static_cast<int>((next >> 16) & 0x7FFF);
}

void ResetRandomSource() {
    state.store(kStartState, std::memory_order_relaxed);
}

}  // namespace orvane
