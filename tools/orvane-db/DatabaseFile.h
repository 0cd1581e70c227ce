// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A database file and its JSON form. Which kind a file holds is told by its bytes: a test file
// starts with an object tag (FF FF for the class record of its test), a user database with a
// 32-bit count; one of 65,535 or more accounts starts with FF FF too, so a file that begins
// with FF FF but does not load as a test is tried as a user database.
#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <span>
#include <stdexcept>
#include <vector>

#include "JsonShape.h"

namespace orvane {

class DatabaseFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The JSON of a file may take this many bytes for each byte of the file, and kDumpSlack more.
// The programs' own files take at most about 10: only a file that refers back to the same
// objects over and over (each reference two bytes, each one dumped in full) needs more, and
// such a file of kilobytes could fill gigabytes.
inline constexpr std::uint64_t kDumpBytesPerByte = 32;
inline constexpr std::uint64_t kDumpSlack = 4096;

// Writes the content of a "userdb", "testdb" or "quesdb" file to `out` as one JSON document
// (with `out` null, only checks that it can). DatabaseFileError, before anything is written,
// when the file loads as neither kind or when its JSON would pass the bound above.
void DumpDatabaseFile(std::span<const std::uint8_t> bytes, std::FILE* out);

struct PackedFile {
    std::vector<std::uint8_t> bytes;
    mode_t newFileMode;  // for a file made new: a user database holds passwords
};

// The bytes that the program's own store code writes for the document; JsonShapeError names
// the key that does not fit.
PackedFile PackDatabaseDocument(const Json& document);

}  // namespace orvane
