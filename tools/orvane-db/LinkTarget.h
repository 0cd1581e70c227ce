// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file that a write to a path is meant for. Replacing a file renames a new one over its
// name, which would put a plain file in place of a symbolic link; writing to the end of the
// link's chain instead keeps the link and replaces what it points to.
#include <string>

#include "common/FileResult.h"

namespace orvane {

// The end of the chain of symbolic links that starts at `path` (`path` itself when it is no
// link, or does not exist); a dangling link gives the name that it points to, so the write
// creates it. A loop, or a chain longer than the system follows, is Unwritable (ELOOP).
CFileResult ResolveLinks(const std::string& path, std::string& target);

}  // namespace orvane
