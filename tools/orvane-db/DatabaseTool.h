// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of orvane-db: dump and pack, the help and the version. A function of its
// own, apart from main, so that the tests can run it in the same process.
#include <cstdio>

namespace orvane {

// Runs the command in argv[1..argc), with `out` for standard output and `err` for standard
// error; answers the exit status: 0, 1 after an error (one line on `err`, also when memory
// runs out), 2 for a wrong command line.
int RunDatabaseTool(int argc, const char* const argv[], std::FILE* out, std::FILE* err);

}  // namespace orvane
