#pragma once
// Replaces a file as one step. The new content goes to a hidden temporary file in the same
// folder (its name begins with ".", so the server never hands it out) and is renamed over the
// target only when complete: a reader sees the old file or the new one, never half of one.
// A write that fails, or a writer that is dropped before Commit, leaves the old file as it
// was and removes the temporary file.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
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
    bool Open(const std::string& target, mode_t newFileMode = kNewFileMode);
    // Appends bytes; false (and the temporary file is dropped) when they cannot be written.
    bool Write(const void* data, std::size_t size);
    // Renames the temporary file over the target; false when that fails.
    bool Commit();
    // Drops the temporary file; the target stays as it was.
    void Abort();

    bool IsOpen() const { return fd >= 0; }
    const std::string& TemporaryPath() const { return temporaryPath; }

private:
    int fd = -1;
    std::string target;
    std::string temporaryPath;
};

// Removes the temporary files that processes which no longer run left in `folder` (a process
// killed while it wrote); those of running processes, this one included, stay.
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
