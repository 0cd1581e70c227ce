// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every command of orvane-db shares: its input ("-" for standard input) and its one line
// of error.
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "common/FileResult.h"

namespace orvane {

inline constexpr std::string_view kStandardStream = "-";

// One line "orvane-db: <pieces>" on `err`, written piece by piece: it must get out also when
// memory has run out. Answers the exit status 1.
int Fail(std::FILE* err, std::initializer_list<std::string_view> pieces);

// The name a path has in messages: "standard input" for "-".
std::string_view NameOf(std::string_view path);

CFileResult ReadInput(const std::string& path, std::vector<std::uint8_t>& bytes);

// "orvane-db: FILE: cannot read the file: <reason>"; answers 1.
int CannotRead(std::FILE* err, const std::string& path, const CFileResult& result);

}  // namespace orvane
