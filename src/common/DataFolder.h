// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where an exam's files may live and where files about it may go. Everything in the data
// folder is served by name to every logged-in client, so the data folder must be one made for
// the exam, never a home folder (a student could download or overwrite the teacher's own
// files) nor the root; and an export holding passwords must not be written into it.
#include <string>

namespace orvane {

// True when `folder` is "/", the home folder of the user running the program ($HOME or the
// password database's entry), or the home folder of any account of this machine
// ("/home/<name>", "/root").
bool IsHomeOrRoot(const std::string& folder);

// True when the file `path` would lie directly in `folder` (compared after resolving links,
// "." and ".."), where the server hands it to anyone logged in. Subfolders are never served.
bool WouldBeServed(const std::string& path, const std::string& folder);

// Makes `folder` the working folder, creating it readable by its owner only (0700) when it is
// missing (its parent must exist), as the desktop start does with "~/Orvane". Answers 0 or
// the errno of the step that failed.
int EnterDataFolder(const std::string& folder);

}  // namespace orvane
