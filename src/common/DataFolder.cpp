// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/DataFolder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace orvane {
namespace {

namespace fs = std::filesystem;

fs::path Resolved(const std::string& path) {
    std::error_code ignored;
    fs::path resolved = fs::weakly_canonical(fs::absolute(path, ignored), ignored);
    return resolved.empty() ? fs::path(path).lexically_normal() : resolved;
}

std::vector<fs::path> HomeFolders() {
    std::vector<fs::path> homes;
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        homes.push_back(Resolved(home));
    }
    if (const passwd* entry = ::getpwuid(::geteuid()); entry != nullptr && entry->pw_dir) {
        homes.push_back(Resolved(entry->pw_dir));
    }
    return homes;
}

}  // namespace

bool IsHomeOrRoot(const std::string& folder) {
    const fs::path resolved = Resolved(folder);
    if (resolved == resolved.root_path() || resolved == "/root" || resolved == "/home" ||
        resolved.parent_path() == "/home") {
        return true;
    }
    for (const fs::path& home : HomeFolders()) {
        if (resolved == home) {
            return true;
        }
    }
    return false;
}

bool WouldBeServed(const std::string& path, const std::string& folder) {
    return Resolved(path).parent_path() == Resolved(folder);
}

int EnterDataFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return errno;
    }
    return ::chdir(folder.c_str()) == 0 ? 0 : errno;
}

}  // namespace orvane
