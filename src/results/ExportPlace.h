// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where an export of results may be written. The server hands out every plain name of its
// working folder to anyone logged in (subfolders it never serves), so a file of everyone's
// points must not land there: the exports refuse a path whose folder is the working folder,
// however the path is written (relative, with "..", through a symbolic link).
#include <string>

namespace orvane {

// Whether the file `path` would lie directly in the served folder `folder`. A folder that
// does not exist is not the served one (writing there fails on its own).
bool LiesInServedFolder(const std::string& path, const std::string& folder);

}  // namespace orvane
