// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/RandomSource.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>

#include "common/Interrupted.h"

namespace orvane {
namespace {

constexpr std::int32_t kValues = 0x8000;  // a value of the generator has 15 bits

bool ReadDevice(std::span<std::uint8_t> bytes) {
    const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    std::size_t done = 0;
    while (fd >= 0 && done < bytes.size()) {
        const ssize_t read =
            RetryInterrupted([&] { return ::read(fd, bytes.data() + done, bytes.size() - done); });
        if (read <= 0) {
            break;
        }
        done += static_cast<std::size_t>(read);
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return done == bytes.size();
}

std::uint32_t KernelState() {
    std::uint32_t state = 0;
    if (ReadKernelRandom({reinterpret_cast<std::uint8_t*>(&state), sizeof state})) {
        return state;
    }
    // Without the kernel's bytes (a chroot without /dev on an old kernel), the moment of the
    // start is what differs most between runs.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::uint32_t>(now.tv_nsec) ^ static_cast<std::uint32_t>(now.tv_sec) ^
           (static_cast<std::uint32_t>(::getpid()) << 16);
}

std::atomic<std::uint32_t>& State() {
    static std::atomic<std::uint32_t> state{KernelState()};
    return state;
}

}  // namespace

bool ReadKernelRandom(std::span<std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t read = RetryInterrupted(
            [&] { return ::getrandom(bytes.data() + done, bytes.size() - done, 0); });
        if (read < 0) {
            return ReadDevice(bytes.subspan(done));  // a kernel or a filter without getrandom
        }
        done += static_cast<std::size_t>(read);
    }
    return true;
}

int NextRandom() {
    std::atomic<std::uint32_t>& state = State();
    std::uint32_t current = state.load(std::memory_order_relaxed);
    std::uint32_t next = 0;
    do {
        next = current * 214013u + 2531011u;
    } while (!state.compare_exchange_weak(current, next, std::memory_order_relaxed));
    return static_cast<int>((next >> 16) & 0x7FFF);
}

std::int32_t NextRandomBelow(std::int32_t bound) {
    // Two values make 30 bits where one would not reach the bound.
    const bool wide = bound > kValues;
    const std::int64_t range = wide ? std::int64_t{kValues} * kValues : kValues;
    const std::int64_t limit = range - range % bound;
    std::int64_t value = 0;
    do {
        value = wide ? std::int64_t{NextRandom()} * kValues + NextRandom() : NextRandom();
    } while (value >= limit);
    return static_cast<std::int32_t>(value % bound);
}

void SeedRandomSource(std::uint32_t state) {
    State().store(state, std::memory_order_relaxed);
}

void SeedRandomSourceFromKernel() {
    SeedRandomSource(KernelState());
}

}  // namespace orvane
