// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// FileIdentity: what tells one version of a file or folder from another without reading it:
// device, inode, size, and the modification and change times to the nanosecond. A cache of
// what a file holds (the accounts of "userdb", the newest test in a login's folder) keeps its
// copy while the identity stays the same.
//
// File systems stamp times from a clock that ticks coarsely, so a change soon after a look
// can leave a reused inode with the same identity. A version whose last change lies well
// before the look began (IsSettledAt) is safe to keep: any later change is stamped later.
#include <sys/stat.h>

#include <ctime>

namespace orvane {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    timespec changed{};

    static FileIdentity Of(const struct stat& info);
    bool operator==(const FileIdentity& other) const;
    // True when the last change lies more than the settle time before `lookBegan` (the
    // real-time clock when the file was looked at).
    bool IsSettledAt(const timespec& lookBegan) const;
    // When the settle time after the last change ends.
    timespec SettlesAt() const;
};

// The real-time clock now, as the file system stamps times.
timespec RealTimeNow();
// `a` is earlier than `b`.
bool IsBefore(const timespec& a, const timespec& b);

}  // namespace orvane
