// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "common/Interrupted.h"

namespace orvane {
namespace {

constexpr char kNotRegular[] = "not a regular file";
constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;

CFileResult FailedOpen() {
    return errno == ENOENT ? CFileResult::Missing() : CFileResult::Unreadable(errno);
}

// A regular file opened at `fd`: anything else is closed again.
CFileResult CheckRegular(int& fd, struct stat* known = nullptr) {
    struct stat own {};
    struct stat& info = known != nullptr ? *known : own;
    CFileResult result;
    if (::fstat(fd, &info) != 0) {
        result = CFileResult::Unreadable(errno);
    } else if (S_ISDIR(info.st_mode)) {
        result = CFileResult::Unreadable(EISDIR);
    } else if (!S_ISREG(info.st_mode)) {
        result = CFileResult::Unreadable(EINVAL, kNotRegular);
    }
    if (!result.IsOk()) {
        ::close(fd);
        fd = -1;
    }
    return result;
}

}  // namespace

CFileResult OpenFileForReading(const std::string& path, int& fd) {
    fd = ::open(path.c_str(), kReadFlags);
    return fd < 0 ? FailedOpen() : CheckRegular(fd);
}

// Each folder on the way is opened on its own, none of them through a link.
CFileResult OpenFileWithoutLinks(const std::string& path, int& fd, struct stat* info) {
    int folder = path.starts_with('/') ? ::open("/", O_PATH | O_CLOEXEC) : AT_FDCWD;
    std::size_t from = path.starts_with('/') ? 1 : 0;
    for (std::size_t slash; (slash = path.find('/', from)) != std::string::npos; from = slash + 1) {
        const std::string part = path.substr(from, slash - from);
        const int next =
            ::openat(folder, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        if (folder != AT_FDCWD) {
            ::close(folder);
        }
        if (next < 0) {
            fd = -1;
            errno = error;
            return FailedOpen();
        }
        folder = next;
    }
    fd = ::openat(folder, path.c_str() + from, kReadFlags | O_NOFOLLOW);
    const int error = errno;
    if (folder != AT_FDCWD) {
        ::close(folder);
    }
    errno = error;
    return fd < 0 ? FailedOpen() : CheckRegular(fd, info);
}

CFileResult ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    int fd = -1;
    CFileResult result = OpenFileForReading(path, fd);
    if (result.IsOk()) {
        result = ReadDescriptorBytes(fd, bytes);
        ::close(fd);
    }
    return result;
}

CFileResult ReadDescriptorBytes(int fd, std::vector<std::uint8_t>& bytes, std::size_t size) {
    bytes.clear();
    try {
        bytes.resize(size);
        std::size_t filled = 0;
        while (filled < size) {
            const ssize_t got = RetryInterrupted([&] {
                return ::pread(fd, bytes.data() + filled, size - filled,
                               static_cast<off_t>(filled));
            });
            if (got < 0) {
                return CFileResult::Unreadable(errno);
            }
            if (got == 0) {
                break;  // shorter than it was: what there is
            }
            filled += static_cast<std::size_t>(got);
        }
        bytes.resize(filled);
        return {};
    } catch (const std::bad_alloc&) {
        bytes = {};
        return CFileResult::Unreadable(ENOMEM);
    }
}

CFileResult ReadDescriptorBytes(int fd, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    try {
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
            bytes.reserve(static_cast<std::size_t>(info.st_size));
        }
        std::uint8_t block[65536];
        for (;;) {
            const ssize_t got = RetryInterrupted([&] { return ::read(fd, block, sizeof block); });
            if (got < 0) {
                return CFileResult::Unreadable(errno);
            }
            if (got == 0) {
                return {};
            }
            bytes.insert(bytes.end(), block, block + got);
        }
    } catch (const std::bad_alloc&) {
        bytes = {};
        return CFileResult::Unreadable(ENOMEM);
    }
}

}  // namespace orvane
