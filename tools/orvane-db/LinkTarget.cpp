// SPDX-License-Identifier: GPL-3.0-or-later
#include "LinkTarget.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string_view>

namespace orvane {
namespace {

// As many links as the kernel follows in one path (Linux: 40).
constexpr int kMaxLinks = 40;

}  // namespace

CFileResult ResolveLinks(const std::string& path, std::string& target) {
    target = path;
    for (int links = 0;; ++links) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return {};  // a name that cannot be looked at is left to the write to report
        }
        if (links == kMaxLinks) {
            return CFileResult::Unwritable(ELOOP);
        }
        char link[PATH_MAX];
        const ssize_t length = ::readlink(target.c_str(), link, sizeof link);
        if (length < 0 || static_cast<std::size_t>(length) == sizeof link) {
            return CFileResult::Unwritable(length < 0 ? errno : ENAMETOOLONG);
        }
        const std::string_view linked(link, static_cast<std::size_t>(length));
        // A relative link is relative to the folder that holds it.
        const std::size_t slash = target.rfind('/');
        target = linked.starts_with('/') || slash == std::string::npos
                     ? std::string(linked)
                     : target.substr(0, slash + 1) + std::string(linked);
    }
}

}  // namespace orvane
