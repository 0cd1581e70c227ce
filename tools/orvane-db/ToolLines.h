// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every command of orvane-db shares: its input ("-" for standard input), its one line
// of error and its answer to a command line it does not take.
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/FileResult.h"

namespace orvane {

inline constexpr std::string_view kStandardStream = "-";

// What a command answers for a command line it does not take.
inline constexpr int kWrongCommandLine = -1;

// One line "orvane-db: <pieces>" on `err`, written piece by piece: it must get out also when
// memory has run out. Answers the exit status 1.
int Fail(std::FILE* err, std::initializer_list<std::string_view> pieces);

// The name a path has in messages: "standard input" for "-".
std::string_view NameOf(std::string_view path);

CFileResult ReadInput(const std::string& path, std::vector<std::uint8_t>& bytes);

// "orvane-db: FILE: cannot read the file: <reason>"; answers 1.
int CannotRead(std::FILE* err, const std::string& path, const CFileResult& result);

// Flushes `out`, standard output; answers 0, or 1 after "orvane-db: cannot write to standard
// output" when what was written to it did not get out.
int FlushOutput(std::FILE* out, std::FILE* err);

}  // namespace orvane
