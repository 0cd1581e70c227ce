// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names that the sessions serve, and what a name stands for. Only a plain name of a file
// in the working folder travels: no path, no hidden name. Dumps, exports, backups and editor
// files are never downloaded, whoever asks: they may hold every account or every key. And a
// file is judged by what it is as well as by its name: a second link to "userdb", or "USERDB"
// on a file system that ignores letter case, is "userdb".
#include <sys/stat.h>

#include <span>
#include <string>
#include <string_view>

#include "common/FileNames.h"
#include "common/TextSets.h"

namespace orvane {

// A plain name of the working folder: not empty, no "/" or "\", no control character, not
// beginning with "." (which also keeps the temporary files of uploads out of reach).
bool IsServedName(std::u16string_view name);
// JSON dumps, CSV exports, backups ("*.bak", "*~", archives), editor files ("*.swp",
// "#name#"), logs and core dumps: never downloaded.
bool IsNeverServed(std::u16string_view name);
// The names of the folders of kept tests and submissions, in any letter case: no upload may
// take them, or nothing could be kept in them.
bool IsKeptFolderName(std::u16string_view name);

// The fixed name whose file `file` is (same device and inode), or `name` itself when it is
// none of them.
std::u16string FixedNameOf(std::u16string_view name, const struct stat& file);

// Why `folder`, a login's folder in `root` (kept tests or submissions), cannot be trusted to be
// the login's own: it answers only through another letter case (IsNamedExactly), so it is
// another login's on a file system that ignores case. Empty when it can be trusted.
std::string OtherLoginsFolder(std::string_view root, const std::string& folder);

}  // namespace orvane
