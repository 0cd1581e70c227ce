// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/FileIdentity.h"

#include <algorithm>

namespace orvane {
namespace {

// Longer than any clock tick of a local file system and than the second of coarse ones.
constexpr long long kSettleNanoseconds = 1'000'000'000;

long long Nanoseconds(const timespec& time) {
    return static_cast<long long>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

}  // namespace

FileIdentity FileIdentity::Of(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

bool FileIdentity::operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           Nanoseconds(modified) == Nanoseconds(other.modified) &&
           Nanoseconds(changed) == Nanoseconds(other.changed);
}

bool FileIdentity::IsSettledAt(const timespec& lookBegan) const {
    return IsBefore(SettlesAt(), lookBegan);
}

timespec FileIdentity::SettlesAt() const {
    const long long settles =
        std::max(Nanoseconds(modified), Nanoseconds(changed)) + kSettleNanoseconds;
    return {static_cast<std::time_t>(settles / 1'000'000'000), settles % 1'000'000'000};
}

timespec RealTimeNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

bool IsBefore(const timespec& a, const timespec& b) {
    return Nanoseconds(a) < Nanoseconds(b);
}

}  // namespace orvane
