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

std::string MakeOwnDataFolder(int& error) {
    const std::vector<fs::path> homes = HomeFolders();
    if (homes.empty()) {
        error = ENOENT;
        return {};
    }
    const fs::path folder = homes.front() / "Orvane";
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = errno;
        return {};
    }
    struct stat made {};
    if (::stat(folder.c_str(), &made) != 0 || !S_ISDIR(made.st_mode)) {
        error = ENOTDIR;
        return {};
    }
    error = 0;
    return folder.string();
}

}  // namespace orvane
