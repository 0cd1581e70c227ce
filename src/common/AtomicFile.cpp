// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Interrupted.h"

namespace orvane {
namespace {

// A named temporary file is ".orvane-" + 12 hexadecimal digits + ".tmp": short and always of
// the same length, so that it fits beside a name of any length the file system takes. It says
// nothing of its writer, which may be a process of another host or PID namespace: only the
// writer's lock tells whether the file is still being written.
constexpr std::string_view kTemporaryPrefix = ".orvane-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kTemporaryDigits = 12;

// A named temporary file that no writer holds is removed only once it has not changed for this
// long: where locks do not reach every host that shares the folder (an NFS mount with
// "nolock"), the age still keeps a running upload from being taken for a dead one.
constexpr std::time_t kStaleSeconds = 10 * 60;

std::atomic<bool> unnamedAllowed{true};
std::atomic<std::uint64_t> nameCounter{0};

std::string NewTemporaryName() {
    std::uint64_t value = 0;
    if (::getrandom(&value, sizeof value, GRND_NONBLOCK) != sizeof value) {
        // O_EXCL catches a clash; this mix only has to make one rare.
        value = static_cast<std::uint64_t>(
                    std::chrono::steady_clock::now().time_since_epoch().count()) ^
                (static_cast<std::uint64_t>(::getpid()) << 40) ^
                (nameCounter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    }
    char digits[kTemporaryDigits + 1];
    std::snprintf(digits, sizeof digits, "%012llx",
                  static_cast<unsigned long long>(value & 0xFFFFFFFFFFFFull));
    return std::string(kTemporaryPrefix) + digits + std::string(kTemporarySuffix);
}

bool IsTemporaryName(std::string_view name) {
    return name.size() == kTemporaryPrefix.size() + kTemporaryDigits + kTemporarySuffix.size() &&
           name.starts_with(kTemporaryPrefix) && name.ends_with(kTemporarySuffix) &&
           name.substr(kTemporaryPrefix.size(), kTemporaryDigits)
                   .find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// A lock on the whole file that belongs to the open file description, not to the process: it
// conflicts with every other opening of the file, in this process, in another PID namespace or,
// through the file server, on another host; and it ends with the writer, however it ends.
bool LockWholeFile(int fd, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

std::string ProcPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// Removes a named temporary file unless a writer holds it or it changed lately. While the lock
// taken here is held, a writer that has just created the name cannot lock it and takes another.
void RemoveIfStale(int folder, const char* name, std::time_t changedBefore) {
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    struct stat info {};
    if (LockWholeFile(fd, F_RDLCK) && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_mtime < changedBefore) {
        ::unlinkat(folder, name, 0);
    }
    ::close(fd);
}

}  // namespace

CAtomicFile::~CAtomicFile() {
    Abort();
}

bool CAtomicFile::Open(const std::string& target, mode_t newFileMode,
                       std::optional<bool> targetExists) {
    Abort();
    const std::size_t slash = target.rfind('/');
    folderPath = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    name = slash == std::string::npos ? target : target.substr(slash + 1);
    folder = ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return false;
    }
    // The content of a file that is replaced stays private until Commit gives it the old mode.
    struct stat existing {};
    const bool exists =
        targetExists ? *targetExists : ::fstatat(folder, name.c_str(), &existing, 0) == 0;
    const mode_t mode = exists ? kPrivateFileMode : newFileMode;
    if ((unnamedAllowed && OpenUnnamed(mode)) || OpenNamed(mode)) {
        return true;
    }
    Abort();
    return false;
}

bool CAtomicFile::OpenUnnamed(mode_t mode) {
    // Commit names the file through /proc; without it, a named file is taken from the start.
    // Whether /proc is there is asked once.
    static const bool hasProc = ::access("/proc/self/fd", F_OK) == 0;
    fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd >= 0 && !hasProc) {
        ::close(fd);
        fd = -1;
    }
    if (fd >= 0) {
        LockWholeFile(fd, F_WRLCK);  // for the moment between its hidden name and the rename
    }
    return fd >= 0;
}

bool CAtomicFile::OpenNamed(mode_t mode) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = NewTemporaryName();
        fd = ::openat(folder, candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
        if (fd < 0) {
            continue;
        }
        // A clean-up may have locked the new name first, and even removed it: then another
        // name is taken. A file system without locks leaves the file unlocked, and a clean-up
        // there cannot lock it either.
        const bool locked = LockWholeFile(fd, F_WRLCK) || errno != EAGAIN;
        struct stat opened {
        }, named{};
        const bool stillNamed =
            ::fstat(fd, &opened) == 0 &&
            ::fstatat(folder, candidate.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
        if (locked && stillNamed) {
            temporaryName = std::move(candidate);  // no allocation once the name exists
            return true;
        }
        if (stillNamed) {
            ::unlinkat(folder, candidate.c_str(), 0);
        }
        ::close(fd);
        fd = -1;
    }
    errno = EEXIST;
    return false;
}

bool CAtomicFile::Write(const void* data, std::size_t size) {
    if (fd < 0) {
        return false;
    }
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = RetryInterrupted([&] { return ::write(fd, bytes, size); });
        if (written <= 0) {
            Abort();
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
        bytesWritten += written;
    }
    StartFlushing();
    return true;
}

// A large file goes to the disk while it is still being written, each few megabytes as they
// are complete, so that the commit's fsync waits only for the last of them and not for the
// whole file. Starting the write-back does not wait for it; a file system that cannot do
// this leaves everything to the fsync.
void CAtomicFile::StartFlushing() {
    constexpr off_t kFlushStep = 8 << 20;
    if (bytesWritten - bytesFlushing >= kFlushStep) {
        ::sync_file_range(fd, bytesFlushing, bytesWritten - bytesFlushing, SYNC_FILE_RANGE_WRITE);
        bytesFlushing = bytesWritten;
    }
}

bool CAtomicFile::Commit() {
    if (fd < 0) {
        return false;
    }
    TakeOwnerAndMode();
    if (::fsync(fd) != 0 || (temporaryName.empty() && !GiveName()) ||
        ::renameat(folder, temporaryName.c_str(), folder, name.c_str()) != 0) {
        Abort();
        return false;
    }
    temporaryName.clear();
    // The rename lasts once the folder is on the disk. Some file systems refuse fsync on a
    // folder (EINVAL); the new file is in place all the same.
    ::fsync(folder);
    Abort();  // closes the descriptors; nothing is left to remove
    return true;
}

// Links the unnamed file under a hidden name, as linkat cannot replace the target and rename
// needs a name to move.
bool CAtomicFile::GiveName() {
    const std::string source = ProcPath(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = NewTemporaryName();
        if (::linkat(AT_FDCWD, source.c_str(), folder, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporaryName = std::move(candidate);  // no allocation once the name exists
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

// The owner and group go first, as changing them clears the set-user-ID and set-group-ID bits.
// A process may not give a file away (EPERM) but may keep a group it belongs to. A file system
// without Unix permissions refuses both; the content goes through all the same, and a file that
// existed at Open stays private.
void CAtomicFile::TakeOwnerAndMode() const {
    struct stat existing {};
    if (::fstatat(folder, name.c_str(), &existing, 0) != 0 || !S_ISREG(existing.st_mode)) {
        return;
    }
    if (::fchown(fd, existing.st_uid, existing.st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid) != 0) {
        // the file keeps this process's owner and group
    }
    ::fchmod(fd, existing.st_mode & 07777);
}

void CAtomicFile::Abort() {
    const int error = errno;  // callers report the error that made them give up
    if (!temporaryName.empty()) {
        ::unlinkat(folder, temporaryName.c_str(), 0);  // still locked, so no clean-up meets it
    }
    if (fd >= 0) {
        ::close(fd);
    }
    if (folder >= 0) {
        ::close(folder);
    }
    fd = -1;
    folder = -1;
    bytesWritten = 0;
    bytesFlushing = 0;
    temporaryName.clear();
    errno = error;
}

bool CAtomicFile::LinkAs(const std::string& path) const {
    if (fd < 0) {
        errno = EBADF;
        return false;
    }
    if (!temporaryName.empty()) {
        return ::linkat(folder, temporaryName.c_str(), AT_FDCWD, path.c_str(), 0) == 0;
    }
    return ::linkat(AT_FDCWD, ProcPath(fd).c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

bool CAtomicFile::CopyAs(const std::string& path, mode_t mode) const {
    if (fd < 0) {
        errno = EBADF;
        return false;
    }
    // The temporary file is open for writing only; its inode is opened again to be read.
    const int source = ::open(ProcPath(fd).c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) {
        return false;
    }
    CAtomicFile copy;
    bool copied = copy.Open(path, mode);
    std::vector<char> block(copied ? 256 * 1024 : 0);
    for (off_t offset = 0; copied;) {
        const ssize_t got =
            RetryInterrupted([&] { return ::pread(source, block.data(), block.size(), offset); });
        if (got <= 0) {
            copied = got == 0 && copy.Commit();
            break;
        }
        copied = copy.Write(block.data(), static_cast<std::size_t>(got));
        offset += got;
    }
    const int error = errno;
    ::close(source);
    errno = error;
    return copied;
}

std::string CAtomicFile::TemporaryPath() const {
    return temporaryName.empty() ? std::string() : folderPath + "/" + temporaryName;
}

void AllowUnnamedTemporaryFiles(bool allowed) {
    unnamedAllowed = allowed;
}

void RemoveStaleTemporaryFiles(const std::string& folder) {
    DIR* const entries = ::opendir(folder.c_str());
    if (entries == nullptr) {
        return;
    }
    const std::time_t changedBefore = std::time(nullptr) - kStaleSeconds;
    while (const dirent* entry = ::readdir(entries)) {
        if (IsTemporaryName(entry->d_name)) {
            RemoveIfStale(::dirfd(entries), entry->d_name, changedBefore);
        }
    }
    ::closedir(entries);
}

CFileResult WriteFileAtomically(const std::string& target, std::span<const std::uint8_t> bytes,
                                mode_t newFileMode) {
    return WriteFileAtomically(target, std::span(&bytes, 1), newFileMode);
}

CFileResult WriteFileAtomically(const std::string& target,
                                std::span<const std::span<const std::uint8_t>> pieces,
                                mode_t newFileMode) {
    CAtomicFile file;
    if (!file.Open(target, newFileMode)) {
        return CFileResult::Unwritable(errno);
    }
    for (const auto piece : pieces) {
        if (!file.Write(piece.data(), piece.size())) {
            return CFileResult::Unwritable(errno);
        }
    }
    return file.Commit() ? CFileResult() : CFileResult::Unwritable(errno);
}

}  // namespace orvane
