// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "orvane-db results FOLDER [--csv] [--run NAME]": the results table of an exam in a working
// folder, as JSON (the shape is in docs/results-format.md) or as the window's CSV export. The
// newest run by default.
#include <cstdio>

namespace orvane {

// Runs the command with the arguments argv[2..argc); answers the exit status, or
// kWrongCommandLine (ToolLines.h).
int RunResultsCommand(int argc, const char* const argv[], std::FILE* out, std::FILE* err);

}  // namespace orvane
