// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/ExportPlace.h"

#include <filesystem>
#include <system_error>

namespace orvane {

bool LiesInServedFolder(const std::string& path, const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path served = fs::canonical(folder, error);
    if (error) {
        return false;
    }
    const fs::path parent = fs::absolute(fs::path(path), error).parent_path();
    if (error) {
        return false;
    }
    const fs::path where = fs::canonical(parent, error);
    return !error && where == served;
}

}  // namespace orvane
