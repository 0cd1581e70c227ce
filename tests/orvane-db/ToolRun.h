// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// orvane-db as a program: files and standard input in, files out, one line on failure.
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/TempFolder.h"

namespace orvane {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

inline std::string Slurp(const std::string& path) {
    const auto bytes = test::ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

// Runs orvane-db with the arguments (shell syntax) in the working folder.
inline ToolRun Tool(const std::string& arguments) {
    const std::string command = "'" ORVANE_DB_PROGRAM "' " + arguments + " >.out 2>.err";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(".out"), Slurp(".err")};
}

}  // namespace orvane
