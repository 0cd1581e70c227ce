// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Replaces a file as one step, durably. The new content goes to a temporary file in the same
// folder and is renamed over the target only when complete: a reader sees the old file or the
// new one, never half of one. Where the file system has them the temporary file is unnamed
// until the commit, so a killed writer leaves nothing behind; elsewhere it has a short hidden
// name of fixed length (it begins with ".", so the server never hands it out, and any target
// name that fits the file system also leaves room for it). The content is on the disk before
// the rename, and the rename is on the disk before Commit answers. A replaced file keeps its
// permission bits and, where the process may set them, its owner and group. A write that
// fails, or a writer that is dropped before Commit, leaves the old file as it was and removes
// the temporary file.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "common/FileResult.h"

namespace orvane {

// The mode of a file created new: 0666 lets the umask decide, as for any file the program
// creates. A file that holds passwords is created readable by its owner only.
inline constexpr mode_t kNewFileMode = 0666;
inline constexpr mode_t kPrivateFileMode = 0600;

class CAtomicFile {
public:
    CAtomicFile() = default;
    ~CAtomicFile();
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // Creates the temporary file beside `target`; false when the folder cannot take it.
    // `newFileMode`, less the umask, is the mode of the target if it does not exist yet.
    // `targetExists` is what the caller has just found, or nothing for Open to look.
    bool Open(const std::string& target, mode_t newFileMode = kNewFileMode,
              std::optional<bool> targetExists = std::nullopt);
    // Appends bytes; false (and the temporary file is dropped) when they cannot be written.
    bool Write(const void* data, std::size_t size);
    // Puts the content on the disk and renames it over the target; false when that fails,
    // and the target is then as it was.
    bool Commit();
    // Drops the temporary file; the target stays as it was.
    void Abort();

    // Gives the content written so far another name as well, as a hard link (no copy) that
    // stays when the commit renames the file: false, with errno, when it cannot be made (a
    // `path` that exists is EEXIST).
    bool LinkAs(const std::string& path) const;
    // The same as a copy of its own, replaced in one step and durable like any other write,
    // where a link cannot be made (a file system without hard links, another file system) or
    // the copy needs a mode of its own: false, with errno, when it cannot be made.
    bool CopyAs(const std::string& path, mode_t mode) const;

    bool IsOpen() const { return fd >= 0; }
    // The hidden name of the temporary file, with the target's folder; empty while the file
    // has no name.
    std::string TemporaryPath() const;

private:
    bool OpenUnnamed(mode_t mode);
    bool OpenNamed(mode_t mode);
    bool GiveName();
    void TakeOwnerAndMode() const;
    void StartFlushing();

    int fd = -1;
    int folder = -1;  // the target's folder, open for the *at calls and its own fsync
    off_t bytesWritten = 0;
    off_t bytesFlushing = 0;  // handed to the disk ahead of the commit's fsync
    std::string folderPath;
    std::string name;           // the target's name in its folder
    std::string temporaryName;  // empty while the temporary file is unnamed
};

// Whether writes may use unnamed temporary files where the file system has them (the
// default). When not, every write takes a named one, as on a file system without them.
void AllowUnnamedTemporaryFiles(bool allowed);

// Removes the named temporary files that no writer holds any more in `folder` (a process
// killed while it wrote) and that have not changed for a while. A writer holds a lock on its
// file for its whole life, which the file system enforces for every process of every host
// that shares the folder.
void RemoveStaleTemporaryFiles(const std::string& folder);

// Writes `bytes` to `target` through a CAtomicFile; Unwritable with the errno of the step
// that failed.
CFileResult WriteFileAtomically(const std::string& target, std::span<const std::uint8_t> bytes,
                                mode_t newFileMode = kNewFileMode);
// The same for bytes given in pieces, written one after the other.
CFileResult WriteFileAtomically(const std::string& target,
                                std::span<const std::span<const std::uint8_t>> pieces,
                                mode_t newFileMode = kNewFileMode);

}  // namespace orvane
