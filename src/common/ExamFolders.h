// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where an exam leaves its files: the tests generated for each student in "tests/<login>/" and
// every upload that a client completed in "submissions/<login>/", both inside the working
// folder. The server never serves them by name (a name with "/" is refused). A login becomes
// a folder name only through LoginFileName, so that no login ("..", "a/b", a very long one)
// can name a path anywhere else, and two logins never share a folder.
//
// A kept file is named after the UTC time at which it was kept, to the microsecond, then "-"
// and what it is: "20261207T014148.123456Z-testdb_bla". The names of one folder sort oldest
// first.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/FileResult.h"

namespace orvane {

inline constexpr std::string_view kKeptTestsFolder = "tests";
inline constexpr std::string_view kSubmissionsFolder = "submissions";

using KeptTime = std::chrono::sys_time<std::chrono::microseconds>;

// The folder name of a login. ASCII letters, digits, "-", "_" and "." (not first) and every
// letter beyond ASCII stay as they are; any other character is "%" and two hexadecimal
// digits ("%u" and four for a lone surrogate); the empty login is "%". A name that would be
// longer than 128 bytes is cut and ends in "~" and a hash of the whole login.
std::string LoginFileName(std::u16string_view login);
// The login whose folder name is `name`; nothing for a name that does not give its login in
// full (a cut one) and for any name that LoginFileName does not make.
std::optional<std::u16string> LoginOfFileName(std::string_view name);
std::string KeptTestsFolderOf(std::u16string_view login);
std::string SubmissionsFolderOf(std::u16string_view login);

// "<time>-<what>"; `what` is cut, at a character's boundary, so that the name fits the
// 255 bytes of a file name.
std::string KeptFileName(KeptTime time, std::string_view what);
// The time and the `what` of a kept file's name; nothing for any other name.
std::optional<std::pair<KeptTime, std::string_view>> ParseKeptFileName(std::string_view name);
// The names of the kept files in `folder` (regular files, not links), oldest first; none when
// the folder is missing.
std::vector<std::string> KeptFileNames(const std::string& folder);
// The name of the newest kept file in `folder` (the largest name of a regular file that is a
// kept file's), read from the folder's listing without looking at each file; empty when there
// is none.
std::string NewestKeptFileName(const std::string& folder);
// The folders of `root` (not links), one per login, in no particular order.
std::vector<std::string> LoginFolders(std::string_view root);

// False when `path` answers only to another spelling of its name: on a file system that
// ignores letter case, "tests/jano" finds the folder "tests/Jano", which belongs to another
// login. True when its folder lists the name exactly, or when nothing answers to it.
bool IsNamedExactly(const std::string& path);

// Moves the kept files of the folder `from` into the folder `to` (two logins' folders of one
// root), as one rename of the folder where `to` does not exist yet. Into an existing `to` each
// kept file moves on its own; one whose name `to` holds already stays where it was (EEXIST).
// `from` goes once it is empty; a missing `from`, or one that is `to` already (a file system
// that ignores letter case), moves nothing. The first failure is answered.
[[nodiscard]] CFileResult MoveKeptFiles(const std::string& from, const std::string& to);

// Creates a login's folder ("tests/<login>", as KeptTestsFolderOf names it) and the folder
// above it where they are missing, readable by their owner only; but a folder made inside
// one with the set-group-ID bit, which an administrator shares with a group on purpose (a
// teachers' group that reads the results), is readable by that group too, as far as the
// umask allows.
CFileResult MakePrivateFolder(const std::string& folder);

}  // namespace orvane
