// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Console lines, the databases' only way of reporting file errors: one line of UTF-8 text on
// standard output, written whole even when several threads report at once.
#include <cstdio>
#include <string_view>

namespace orvane {

// The three console lines of the databases, each followed by a file name or a login. Their
// wording is what operators and scripts know; it never changes.
inline constexpr std::string_view kCannotOpenFile = "Cannot open file: ";
inline constexpr std::string_view kCannotWriteToFile = "Cannot write to file: ";
inline constexpr std::string_view kCannotLoadUser = "Cannot load user: ";

void PrintConsoleLine(std::string_view text);
// One of the lines above followed by its name: PrintConsoleLine(kCannotOpenFile, "userdb").
void PrintConsoleLine(std::string_view text, std::string_view name);

// Sends console lines to another stream (a tool whose standard output carries data uses
// standard error); null restores standard output.
void SetConsoleStream(std::FILE* stream);
// Hands every console line, without its line end, to `sink` instead of a stream (a server
// whose output must never hold up its sessions queues them); null restores the stream.
void SetConsoleSink(void (*sink)(std::string_view line));

}  // namespace orvane
