#pragma once
// Console lines, the databases' only way of reporting file errors: one line of UTF-8 text on
// standard output, written whole even when several threads report at once.
#include <cstdio>
#include <string_view>

namespace orvane {

void PrintConsoleLine(std::string_view text);

// Sends console lines to another stream (a tool whose standard output carries data uses
// standard error); null restores standard output.
void SetConsoleStream(std::FILE* stream);

}  // namespace orvane
