// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/NewestKeptTests.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "common/ExamFolders.h"

namespace orvane {
namespace {

// More logins than any course has; past it, everything found is forgotten and found again.
constexpr std::size_t kMostFolders = 65536;

}  // namespace

CNewestKeptTests& CNewestKeptTests::Shared() {
    // Never destroyed: detached session threads may still ask while the process ends.
    static CNewestKeptTests* const tests = new CNewestKeptTests;
    return *tests;
}

std::string CNewestKeptTests::NewestIn(const std::string& folder) {
    const timespec began = RealTimeNow();
    struct stat info {};
    if (::fstatat(AT_FDCWD, folder.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT) {
        return {};
    }
    // Only a folder itself is remembered; what stands in its place (a link) is read each time,
    // and the download refuses what it finds there.
    const bool isFolder = S_ISDIR(info.st_mode);
    const FileIdentity identity = FileIdentity::Of(info);
    if (isFolder) {
        const CMutexLock lock(mutex);
        const auto known = found.find(folder);
        if (known != found.end() && known->second.identity == identity) {
            return known->second.newest;
        }
    }
    std::string newest = NewestKeptFileName(folder);
    if (isFolder && identity.IsSettledAt(began)) {
        const CMutexLock lock(mutex);
        if (found.size() >= kMostFolders) {
            found.clear();
        }
        found[folder] = Found{identity, newest};
    }
    return newest;
}

}  // namespace orvane
