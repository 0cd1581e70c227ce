// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The commands of orvane-db about nets: "analyse" (the analysis of every net of a test file,
// and the comparison of each question's work net with its solution), "pnml" (one net as PNML)
// and "pnml-import" (a PNML net as the JSON of a question's net).
#include <cstdio>
#include <string_view>

namespace orvane {

// Runs `command` with the arguments argv[2..argc); answers the exit status, or
// kWrongCommandLine (ToolLines.h).
int RunNetCommand(std::string_view command, int argc, const char* const argv[], std::FILE* out,
                  std::FILE* err);

}  // namespace orvane
