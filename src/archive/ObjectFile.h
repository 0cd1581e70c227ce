// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A database file as a whole: the archive of one object, read in one go and written through
// an atomic replacement. Every outcome is a CFileResult for the caller to judge; the console
// lines that the databases have always printed are printed here.
#include <sys/types.h>

#include <cstdint>
#include <string>

#include "common/AtomicFile.h"
#include "common/FileResult.h"

namespace orvane {

class CObject;

// Loads the object from the file's bytes. A file that is missing or cannot be read is the
// console line "Cannot open file: <name>" and leaves the object as it was. Bytes that do not
// decode are Malformed with the archive's cause, and memory running out while they decode is
// Unreadable (ENOMEM); either may leave the object partly loaded, so the caller drops it.
// `digest`, when given, receives the ContentDigest of the bytes read.
CFileResult LoadObjectFile(CObject& object, const std::u16string& fileName,
                           std::uint64_t* digest = nullptr);
// Replaces the file with the object's stored form; a failed write is the console line
// "Cannot write to file: <name>" and leaves the earlier file as it was. A file made new gets
// `newFileMode` (less the umask). `digest`, when given, receives the ContentDigest of the
// bytes written, and only once they are in the file.
CFileResult SaveObjectFile(CObject& object, const std::u16string& fileName,
                           mode_t newFileMode = kNewFileMode, std::uint64_t* digest = nullptr);

}  // namespace orvane
